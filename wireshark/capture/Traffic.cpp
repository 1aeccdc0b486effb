#include "Traffic.h"

#include "SeededRandom.h"

#include <array>
#include <chrono>
#include <stdexcept>

namespace velquist::capture {

namespace {

using namespace std::chrono_literals;

constexpr char kFS = '\x1C';

std::string Luno(std::size_t terminal) {
    std::string luno = std::to_string(terminal % 1000);
    luno.insert(0, 3 - luno.size(), '0');
    return luno;
}

TEndpoint Terminal(std::size_t terminal) {
    return {{10, 1, static_cast<std::uint8_t>(terminal / 250),
             static_cast<std::uint8_t>(terminal % 250 + 1)},
            static_cast<std::uint16_t>(40000 + terminal % 20000)};
}

TEndpoint Host(std::uint16_t port) {
    return {{10, 0, 0, 1}, port};
}

std::string Framed(TFraming framing, std::string_view message) {
    const auto framed = FrameMessage(framing, message);
    if (!framed) {
        throw std::length_error("message too long for its framing");
    }
    return *framed;
}

constexpr std::chrono::nanoseconds kStart = 1'700'000'000s; // November 2023

// A capture with every terminal's conversation opened at the start.
TCaptureWriter OpenConversations(const TTrafficOptions& options) {
    TCaptureWriter capture;
    for (std::size_t terminal = 0; terminal < options.Conversations; ++terminal) {
        capture.Open(Terminal(terminal), Host(options.Port), kStart);
    }
    return capture;
}

// One step of a terminal's cycle: who sends what.
struct TStep {
    TSide From;
    std::string (*Make)(std::string_view luno, char mcn);
};

const std::array<TStep, 12> kCycle = {{
    {TSide::Client, [](std::string_view luno, char mcn) { return ConsumerRequest(luno, mcn); }},
    {TSide::Server, [](std::string_view luno, char mcn) { return FunctionCommand(luno, mcn); }},
    {TSide::Client, [](std::string_view luno, char) { return SolicitedStatus(luno, 'B'); }},
    {TSide::Client, [](std::string_view luno, char) { return UnsolicitedStatus(luno); }},
    {TSide::Server, [](std::string_view luno, char) { return WriteCommand(luno); }},
    {TSide::Client, [](std::string_view luno, char mcn) { return ConsumerRequest(luno, mcn); }},
    {TSide::Server,
     [](std::string_view luno, char mcn) { return FunctionCommand(luno, mcn, 'E'); }},
    {TSide::Client, [](std::string_view luno, char) { return SolicitedStatus(luno, '9'); }},
    {TSide::Server, [](std::string_view luno, char) { return OperationalCommand(luno, '3'); }},
    {TSide::Client, [](std::string_view luno, char) { return ConfigurationStatus(luno); }},
    {TSide::Client, [](std::string_view luno, char) { return UnsolicitedStatus(luno, "1"); }},
    {TSide::Server, [](std::string_view, char) { return UnknownMessage(); }},
}};

} // namespace

std::string Message(std::initializer_list<std::string_view> fields) {
    std::string message;
    for (const auto field : fields) {
        message.append(field).push_back(kFS);
    }
    if (!message.empty()) {
        message.pop_back(); // no FS after the last field
    }
    return message;
}

std::string ConsumerRequest(std::string_view luno, char mcn, std::string_view track2) {
    const std::string topOfFormAndMcn{'1', mcn};
    return Message({"11", luno, "", "A1B2C3D4", topOfFormAndMcn, track2, "", "AAB C   ", "00010000",
                    "0123456789:;<=>?"});
}

std::string FunctionCommand(std::string_view luno, char mcn, char functionId) {
    const std::string functionField = std::string("0042") + functionId +
                                      "010000\x0F"
                                      "ABPLEASE WAIT!\x0F"
                                      "BATAKE CASH";
    const std::string cardAndPrinter = std::string(1, mcn) + "02THANK YOU\n";
    return Message({"4", luno, "123", "025", "0200", functionField, cardAndPrinter});
}

std::string SolicitedStatus(std::string_view luno, char descriptor) {
    return Message({"22", luno, "", std::string_view(&descriptor, 1)});
}

std::string ConfigurationStatus(std::string_view luno) {
    return Message({"22", luno, "", "8",
                    ">0001\x1D"
                    "D<1>2=30?\x1D<12346001\x1D?0\x1D=1"});
}

std::string UnsolicitedStatus(std::string_view luno, std::string_view status) {
    return Message({"12", luno, "", status});
}

std::string WriteCommand(std::string_view luno) {
    return Message({"3", luno, "000", "11", "000\x1B[27;80m"});
}

std::string OperationalCommand(std::string_view luno, char commandCode) {
    return Message({"1", luno, "000", std::string_view(&commandCode, 1)});
}

std::string UnknownMessage() {
    return Message({"99", "ABC", "", std::string_view("\x00\xFF", 2)});
}

TCaptureWriter ExchangeTraffic(const TTrafficOptions& options) {
    TCaptureWriter capture = OpenConversations(options);
    TSeededRandom random(options.Seed);
    std::chrono::nanoseconds clock = kStart;
    for (std::size_t i = 0; i < options.Messages; ++i) {
        // The terminals take turns; each goes through its own cycle.
        const std::size_t terminal = i % options.Conversations;
        const std::size_t round = i / options.Conversations;
        const TStep& step = kCycle[round % kCycle.size()];
        // A new coordination number for each of the cycle's two requests.
        const std::size_t request = round / kCycle.size() * 2 + (round % kCycle.size() >= 5);
        const char mcn = static_cast<char>('1' + request % 9);
        clock += std::chrono::milliseconds(5 + random.Below(300));
        capture.Send(terminal, step.From,
                     Framed(options.Framing, step.Make(Luno(terminal + 1), mcn)), clock);
    }
    return capture;
}

TCaptureWriter RandomTraffic(const TTrafficOptions& options) {
    TCaptureWriter capture = OpenConversations(options);
    TSeededRandom random(options.Seed);
    std::chrono::nanoseconds clock = kStart;
    for (std::size_t i = 0; i < options.Messages; ++i) {
        std::string payload(random.Below(601), '\0');
        for (char& byte : payload) {
            byte = static_cast<char>(random.Byte());
        }
        clock += 1ms;
        capture.Send(i % options.Conversations, i % 2 == 0 ? TSide::Client : TSide::Server,
                     Framed(options.Framing, payload), clock);
    }
    return capture;
}

} // namespace velquist::capture
