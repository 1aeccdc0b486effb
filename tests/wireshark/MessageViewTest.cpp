// The dissector's view of one message: the summary the library gives (LUNO,
// MCN, descriptor, telling item, each where it stands in the message), the Info
// column line and what pairing learns of it.

#include "MessageView.h"
#include "Traffic.h"

#include <gtest/gtest.h>

#include <ostream>

#include <algorithm>
#include <optional>
#include <string>
#include <utility>

namespace velquist::ws {
namespace {

using namespace std::chrono_literals;
using capture::Message;

struct TInfoCase {
    std::string Name;
    std::string Message;
    std::string Info;
};

// A case prints as its name, as the test name has it.
void PrintTo(const TInfoCase& c, std::ostream* out) {
    *out << c.Name;
}

class InfoLineTest : public ::testing::TestWithParam<TInfoCase> {};

TEST_P(InfoLineTest, NamesTypeLunoAndTheTellingItem) {
    const auto& c = GetParam();
    EXPECT_EQ(InfoLine(ViewMessage(c.Message, {})), c.Info);
}

INSTANTIATE_TEST_SUITE_P(
    Messages, InfoLineTest,
    ::testing::Values(
        TInfoCase{"ConsumerRequest", capture::ConsumerRequest("001", 'A'),
                  "Consumer Request LUNO=001 MCN=A"},
        TInfoCase{"FunctionCommand", capture::FunctionCommand("017", '3', '9'),
                  "Function Command LUNO=017 MCN=3: Deliver and print"},
        TInfoCase{"FunctionCommandUnknownId", capture::FunctionCommand("017", '3', 'I'),
                  "Function Command LUNO=017 MCN=3: Unknown Function ID"},
        TInfoCase{"SolicitedStatus", capture::SolicitedStatus("002", 'B'),
                  "Solicited Status LUNO=002: Ready (Function Command Successful)"},
        TInfoCase{"SolicitedStatusOfNoKnownDescriptor", capture::SolicitedStatus("002", '5'),
                  "Solicited Status LUNO=002"},
        TInfoCase{"UnsolicitedStatus", capture::UnsolicitedStatus("003"),
                  "Unsolicited Status LUNO=003"},
        TInfoCase{"WriteCommand", capture::WriteCommand("004"), "Write Command LUNO=004"},
        TInfoCase{"KeyChange", Message({"3", "004", "000", "32", "001255016"}),
                  "Key Change LUNO=004"},
        TInfoCase{"OperationalCommand", capture::OperationalCommand("005", '2'),
                  "Operational Command LUNO=005: Go out-of-service to consumers (shutdown)"},
        TInfoCase{"OperationalCommandOfNoKnownCode", capture::OperationalCommand("005", '9'),
                  "Operational Command LUNO=005"},
        // A message of no known class has no LUNO: its field 1 may be anything.
        TInfoCase{"Unknown", capture::UnknownMessage(), "Unknown"},
        TInfoCase{"ShortConsumerRequest", Message({"11", "001", "", "A1B2", "1Q"}),
                  "Consumer Request LUNO=001 MCN=Q [List index out of bounds (5)]"},
        TInfoCase{"OneField", "12", "Unsolicited Status [List index out of bounds (1)]"},
        TInfoCase{"Empty", "", "Unknown [Empty message]"}),
    [](const auto& info) { return info.param.Name; });

// A line's value as the dissector writes it, into a buffer of the length it
// asks for; a byte beyond it must stay untouched.
std::string Escaped(std::string_view line, TEscapes escapes = TEscapes::Value) {
    const std::size_t length = EscapedLength(line, escapes);
    std::string buffer(length + 1, '#');
    WriteEscaped(line, buffer.data(), escapes);
    EXPECT_EQ(buffer.back(), '#') << "written beyond the length";
    buffer.pop_back();
    return buffer;
}

TEST(EscapedLine, WritesControlBytesAsWiresharkLabelsDo) {
    const std::pair<std::string, std::string> cases[] = {
        {"", ""},
        {"Logical Unit Number = 001", "Logical Unit Number = 001"},
        {std::string("0\0"
                     "1",
                     3),
         "0\\0001"},
        {"\a\b\t\n\v\f\r", "\\a\\b\\t\\n\\v\\f\\r"},
        {"\x01\x06\x0E\x1B[27m\x1C\x1F\x7F", "\\001\\006\\016\\033[27m\\034\\037\\177"},
        // A backslash and the bytes above 0x7F stay as they are.
        {"C:\\000 \x80\xE9\xFF", "C:\\000 \x80\xE9\xFF"},
    };
    for (const auto& [line, value] : cases) {
        EXPECT_EQ(Escaped(line), value) << line;
    }
    // A label keeps the blanks of the line, which Wireshark shows as blanks.
    EXPECT_EQ(Escaped(std::string("\tA\0\a\b\t\n\v\f\r\x0E", 11), TEscapes::Label),
              "\tA\\000\\a\\b\t\n\v\f\r\\016");
}

// Reads a value back to its line, for lines without a backslash of their own.
std::string Unescaped(std::string_view value) {
    constexpr std::string_view kLetters = "abtnvfr";
    std::string line;
    for (std::size_t i = 0; i < value.size(); ++i) {
        if (value[i] != '\\') {
            line.push_back(value[i]);
        } else if (const auto letter = kLetters.find(value[++i]); letter != kLetters.npos) {
            line.push_back(static_cast<char>(0x07 + letter));
        } else {
            line.push_back(static_cast<char>((value[i] - '0') * 64 + (value[i + 1] - '0') * 8 +
                                             (value[i + 2] - '0')));
            i += 2;
        }
    }
    return line;
}

TEST(EscapedLine, EveryByteComesBackAndNoControlByteStays) {
    for (int b = 0; b < 256; ++b) {
        if (b == '\\') {
            continue;
        }
        const std::string line = std::string("A") + static_cast<char>(b) + "B";
        const std::string value = Escaped(line);
        EXPECT_EQ(std::count_if(
                      value.begin(), value.end(),
                      [](char c) { return static_cast<unsigned char>(c) < 0x20 || c == '\x7F'; }),
                  0)
            << b;
        EXPECT_EQ(Unescaped(value), line) << b;
        EXPECT_EQ(value == line, b >= 0x20 && b != 0x7F) << b;
    }
}

// Where a part of the summary stands in the message, or -1 when it is absent.
long PlaceOf(const std::optional<std::string_view>& part, const std::string& message) {
    return part ? part->data() - message.data() : -1;
}

struct TSummaryCase {
    std::string Name;
    std::string Message;
    long Luno;   // offset in the message, -1 for none
    long Mcn;    // offset, -1 for none
    long Status; // offset of the status descriptor, -1 for none
};

// A case prints as its name, as the test name has it.
void PrintTo(const TSummaryCase& c, std::ostream* out) {
    *out << c.Name;
}

class SummaryTest : public ::testing::TestWithParam<TSummaryCase> {};

TEST_P(SummaryTest, PointsAtTheBytesOfEachItem) {
    const auto& c = GetParam();
    const TMessageSummary summary = ViewMessage(c.Message, {}).Summary;
    EXPECT_EQ(summary.Class.data(), c.Message.data());
    EXPECT_EQ(PlaceOf(summary.Luno, c.Message), c.Luno);
    EXPECT_EQ(PlaceOf(summary.Mcn, c.Message), c.Mcn);
    EXPECT_EQ(PlaceOf(summary.StatusDescriptor, c.Message), c.Status);
    for (const auto& part : {summary.Mcn, summary.StatusDescriptor}) {
        if (part) {
            EXPECT_EQ(part->size(), 1u);
        }
    }
}

INSTANTIATE_TEST_SUITE_P(
    Messages, SummaryTest,
    ::testing::Values(
        // "11" FS "001" FS FS "A1B2" FS "1Q" ...: the MCN is character 2 of field 4.
        TSummaryCase{"ConsumerRequest",
                     Message({"11", "001", "", "A1B2", "1Q", "", "", "", "", ""}), 3, 14, -1},
        TSummaryCase{"ConsumerRequestWithoutMcn", Message({"11", "001", "", "A1B2", "1"}), 3, -1,
                     -1},
        TSummaryCase{"ConsumerRequestWithoutField4", Message({"11", "001", "", "A1B2"}), 3, -1, -1},
        // "4" FS "001" FS "123" FS "025" FS "02" FS "0042..." FS "702": character 1 of field 6.
        TSummaryCase{"FunctionCommand",
                     Message({"4", "001", "123", "025", "02", "00428010000X", "702"}), 2, 30, -1},
        TSummaryCase{"FunctionCommandWithEmptyField6",
                     Message({"4", "001", "123", "025", "02", "00428010000X", ""}), 2, -1, -1},
        TSummaryCase{"SolicitedStatus", Message({"22", "001", "", "9"}), 3, -1, 8},
        TSummaryCase{"SolicitedStatusWithEmptyField3", Message({"22", "001", "", ""}), 3, -1, -1},
        TSummaryCase{"UnsolicitedStatus", Message({"12", "001", "", "9"}), 3, -1, -1},
        TSummaryCase{"EmptyLuno", Message({"22", "", "", "9"}), 3, -1, 5},
        TSummaryCase{"OneField", "4", -1, -1, -1}),
    [](const auto& info) { return info.param.Name; });

TEST(Summary, ItemsNeedTheirCharacter) {
    // Field 5 of four characters has no function ID; field 3 absent, no command code.
    EXPECT_EQ(ViewMessage(Message({"4", "001", "1", "2", "3", "0042", "1"}), {}).Summary.Item, "");
    EXPECT_EQ(ViewMessage(Message({"1", "001", "000"}), {}).Summary.Item, "");
    EXPECT_EQ(ViewMessage(Message({"22", "001", ""}), {}).Summary.Item, "");
}

struct TRoleCase {
    std::string Message;
    TPairRole Role;
};

TEST(PairingInputOf, GivesTheRoleLunoAndMcn) {
    const TRoleCase cases[] = {
        {capture::ConsumerRequest("001", '4'), TPairRole::Request},
        {capture::FunctionCommand("001", '4'), TPairRole::Command},
        {capture::SolicitedStatus("001"), TPairRole::Status},
        {capture::UnsolicitedStatus("001"), TPairRole::Other},
        {capture::WriteCommand("001"), TPairRole::Other},
        {capture::OperationalCommand("001"), TPairRole::Other},
        // A message without a LUNO cannot be paired.
        {"11", TPairRole::Other},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Message);
        const TPairingInput input = PairingInputOf(ViewMessage(c.Message, {}), 42ms);
        EXPECT_EQ(input.Role, c.Role);
        if (input.Role == TPairRole::Other) {
            continue;
        }
        EXPECT_EQ(input.Luno, "001");
        EXPECT_EQ(input.Time, 42ms);
        EXPECT_EQ(input.Mcn, c.Role == TPairRole::Status ? std::nullopt
                                                         : std::optional<std::string_view>("4"));
    }
}

TEST(ViewMessage, PassesTheOptionsToTheDecoder) {
    const std::string request = capture::ConsumerRequest("001", 'A');
    const TMessageView plain = ViewMessage(request, {});
    const TMessageView masked = ViewMessage(request, {true, true});
    EXPECT_TRUE(plain.Decoded.Lines.empty());
    EXPECT_FALSE(masked.Decoded.Lines.empty());
    EXPECT_NE(plain.Decoded.Text.find("4761739001010010"), std::string::npos);
    EXPECT_EQ(masked.Decoded.Text.find("4761739001010010"), std::string::npos);
}

} // namespace
} // namespace velquist::ws
