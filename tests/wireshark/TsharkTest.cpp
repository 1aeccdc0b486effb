// tshark with the d912 plugin over captures written here: what a user of tshark
// or Wireshark sees of every message, its lines and their bytes, the framing,
// the pairing, the statistics, and bad input.

#include "Tshark.h"
#include "MessageView.h"
#include "Pdml.h"
#include "Traffic.h"
#include "velquist/Framing.h"

#include "velquist/CodeNames.h"
#include "velquist/Decode.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <ostream>

#include <chrono>
#include <map>
#include <regex>
#include <span>
#include <sstream>
#include <string>
#include <vector>

namespace velquist::test {
namespace {

using namespace std::chrono_literals;
using capture::TCaptureWriter;
using capture::TSide;

const capture::TEndpoint kTerminal{{10, 1, 0, 1}, 40000};
const capture::TEndpoint kOtherTerminal{{10, 1, 0, 2}, 40001};
const capture::TEndpoint kHost{{10, 0, 0, 1}, 7001};
const std::vector<std::string> kDecodeAs = {"-d", "tcp.port==7001,d912"};
constexpr std::chrono::nanoseconds kStart = 1'700'000'000s;

// The tests run with the tshark of the Wireshark the build found, and expect
// what that version writes.
constexpr bool kWireshark40 =
    VELQUIST_WIRESHARK_VERSION_MAJOR == 4 && VELQUIST_WIRESHARK_VERSION_MINOR == 0;

// The item with which tshark reports an exception that a dissector's call raised
// (a "dissector bug"): a field of the malformed-packet item in Wireshark 4.0, a
// protocol item of its own in 4.4.
constexpr const char* kDissectorBug =
    kWireshark40 ? "_ws.malformed.dissector_bug" : "_ws.dissector_bug";

// A value as `tshark -T fields` writes it: unchanged in Wireshark 4.0, with every
// backslash doubled in 4.4.
std::string AsFieldsWriteIt(std::string_view value) {
    std::string written;
    for (const char c : value) {
        written.append(c == '\\' && !kWireshark40 ? 2 : 1, c);
    }
    return written;
}

std::string Framed(std::string_view message, TFraming framing = TFraming::Be16) {
    return FrameMessage(framing, message).value();
}

std::vector<std::string> Join(std::vector<std::string> a, const std::vector<std::string>& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

class TsharkTest : public ::testing::Test {
protected:
    // tshark's PDML over the capture; it must succeed without a word on stderr.
    std::vector<TPdmlPacket> Pdml(const TCaptureWriter& capture,
                                  const std::vector<std::string>& args) const {
        const auto run = FTshark.Run(capture, Join({"-T", "pdml"}, args));
        EXPECT_EQ(run.ExitCode, 0) << run.Err;
        EXPECT_EQ(run.Err, "");
        return ParsePdml(run.Out);
    }

    // tshark -T fields: one row per frame, its values separated by tabs.
    std::vector<std::string> Rows(const TCaptureWriter& capture,
                                  const std::vector<std::string>& args) const {
        const auto run = FTshark.Run(capture, Join({"-T", "fields"}, args));
        EXPECT_EQ(run.ExitCode, 0) << run.Err;
        EXPECT_EQ(run.Err, "");
        std::vector<std::string> rows;
        std::istringstream lines(run.Out);
        for (std::string line; std::getline(lines, line);) {
            rows.push_back(line);
        }
        return rows;
    }

    TTshark FTshark;
};

// A decoded line as d912.line's value: its control bytes escaped.
std::string Escaped(std::string_view line) {
    std::string value(ws::EscapedLength(line), '\0');
    ws::WriteEscaped(line, value.data());
    return value;
}

// The message's lines as tshark shows them must be the library's: the same
// texts (control bytes escaped), and each with the bytes of its range, `base`
// being where the message starts in the data tshark shows.
void ExpectLinesOf(const TPdmlFields& fields, std::string_view message, long base,
                   bool mask = false) {
    const TDecodeResult decoded = DecodeMessage(message, {true, mask});
    const TPdmlFields lines = Named(fields, "d912.line");
    ASSERT_EQ(lines.size(), decoded.Lines.size());
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const TDecodedLine& expected = decoded.Lines[i];
        SCOPED_TRACE(testing::Message() << "line " << i << ": " << decoded.LineText(expected));
        EXPECT_EQ(lines[i].Show, Escaped(decoded.LineText(expected)));
        if (expected.Range) {
            EXPECT_EQ(lines[i].Pos, base + static_cast<long>(expected.Range->Offset));
            EXPECT_EQ(lines[i].Size, static_cast<long>(expected.Range->Length));
        } else {
            EXPECT_EQ(lines[i].Size, 0);
        }
    }
}

// The fields of the message, each with its bytes.
void ExpectFieldsOf(const TPdmlFields& fields, std::string_view message, long base) {
    const TDecodeResult decoded = DecodeMessage(message, {true, false});
    const TPdmlFields shown = Named(fields, "d912.field");
    ASSERT_EQ(shown.size(), decoded.Fields.size());
    for (std::size_t i = 0; i < shown.size(); ++i) {
        SCOPED_TRACE(testing::Message() << "field " << i);
        EXPECT_EQ(shown[i].Pos, base + static_cast<long>(decoded.Fields[i].Offset));
        EXPECT_EQ(shown[i].Size, static_cast<long>(decoded.Fields[i].Length));
        EXPECT_TRUE(shown[i].ShowName.starts_with("Field " + std::to_string(i) + ": "))
            << shown[i].ShowName;
    }
}

// tshark finds the plugin in the folder of its own version and takes it for a
// dissector (from plugin_describe where Wireshark asks for it).
TEST_F(TsharkTest, LoadsThePluginFromItsVersionFolder) {
    const auto run = FTshark.Run({"-G", "plugins"});
    ASSERT_EQ(run.ExitCode, 0) << run.Err;
    std::istringstream lines(run.Out);
    std::string line;
    std::vector<std::string> columns;
    while (std::getline(lines, line) && !line.starts_with("d912.so")) {
    }
    for (std::istringstream cells(line); std::getline(cells, line, '\t');) {
        columns.push_back(line);
    }
    ASSERT_EQ(columns.size(), 4u) << run.Out;
    EXPECT_EQ(columns[1], VELQUIST_PLUGIN_VERSION);
    EXPECT_EQ(columns[2], "dissector");
    EXPECT_TRUE(columns[3].ends_with(std::string("/") + VELQUIST_WIRESHARK_PERSONAL_PLUGIN_DIR +
                                     "/d912.so"))
        << columns[3];
}

TEST_F(TsharkTest, DissectsEveryClassInBothDirections) {
    struct TCase {
        std::string Message;
        std::string Type;
        std::string Luno; // empty for none
    };
    const TCase cases[] = {
        {capture::ConsumerRequest("001", '1'), "mtCustomerRequest", "001"},
        {capture::SolicitedStatus("002", '9'), "mtSolicited", "002"},
        {capture::ConfigurationStatus("003"), "mtSolicited", "003"},
        {capture::UnsolicitedStatus("004"), "mtUnsolicited", "004"},
        {capture::FunctionCommand("005", '1'), "mtFunctionCommand", "005"},
        {capture::WriteCommand("006"), "mtWriteCommand", "006"},
        {capture::Message({"3", "007", "000", "32", "001255016"}), "mtWriteCommand7", "007"},
        {capture::OperationalCommand("008"), "mtOperationalCommand", "008"},
        {capture::UnknownMessage(), "mtUnknown", ""},
    };
    TCaptureWriter capture;
    const auto conversation = capture.Open(kTerminal, kHost, kStart);
    for (const auto side : {TSide::Client, TSide::Server}) {
        for (const auto& c : cases) {
            capture.Send(conversation, side, Framed(c.Message), kStart + 1ms);
        }
    }
    const auto packets = Pdml(capture, kDecodeAs);
    ASSERT_EQ(packets.size(), 3 + 2 * std::size(cases));
    for (std::size_t i = 0; i < 2 * std::size(cases); ++i) {
        const TCase& c = cases[i % std::size(cases)];
        SCOPED_TRACE(testing::Message() << "frame " << i + 4 << ", " << c.Type);
        const TPdmlPacket& packet = packets[i + 3];
        ASSERT_EQ(packet.Messages.size(), 1u);
        const TPdmlFields& message = packet.Messages.front();
        const long base = message.front().Pos + 2;
        EXPECT_EQ(One(message, "d912.length").Show, std::to_string(c.Message.size()));
        EXPECT_EQ(One(message, "d912.type").Show, c.Type);
        EXPECT_EQ(One(message, "d912.class").Show, c.Message.substr(0, c.Message.find('\x1C')));
        EXPECT_EQ(Shows(message, "d912.luno"),
                  c.Luno.empty() ? std::vector<std::string>{} : std::vector{c.Luno});
        ExpectFieldsOf(message, c.Message, base);
        ExpectLinesOf(message, c.Message, base);
    }
}

// Every value of the key, at any depth of the JSON, in document order.
void Collect(const nlohmann::json& json, const std::string& key, std::vector<nlohmann::json>& out) {
    if (json.is_object()) {
        for (const auto& [name, value] : json.items()) {
            if (name == key) {
                out.push_back(value);
            } else {
                Collect(value, key, out);
            }
        }
    } else if (json.is_array()) {
        for (const auto& value : json) {
            Collect(value, key, out);
        }
    }
}

TEST_F(TsharkTest, ExportsEveryLineAsJson) {
    const std::string messages[] = {capture::ConsumerRequest("001", '1'),
                                    capture::FunctionCommand("001", '1')};
    TCaptureWriter capture;
    const auto conversation = capture.Open(kTerminal, kHost, kStart);
    capture.Send(conversation, TSide::Client, Framed(messages[0]), kStart);
    capture.Send(conversation, TSide::Server, Framed(messages[1]), kStart + 1s);
    const auto run =
        FTshark.Run(capture, Join(kDecodeAs, {"-T", "json", "--no-duplicate-keys", "-Y", "d912"}));
    ASSERT_EQ(run.ExitCode, 0) << run.Err;
    const auto packets = nlohmann::json::parse(run.Out);
    ASSERT_EQ(packets.size(), 2u);
    for (std::size_t i = 0; i < 2; ++i) {
        SCOPED_TRACE(i);
        const TDecodeResult decoded = DecodeMessage(messages[i], {true, false});
        std::vector<nlohmann::json> types, lines;
        Collect(packets[i], "d912.type", types);
        Collect(packets[i], "d912.line", lines);
        ASSERT_EQ(types.size(), 1u);
        EXPECT_EQ(types[0], MsgTypeName(decoded.Type));
        ASSERT_EQ(lines.size(), 1u);
        ASSERT_EQ(lines[0].size(), decoded.Lines.size());
        for (std::size_t l = 0; l < decoded.Lines.size(); ++l) {
            EXPECT_EQ(lines[0][l], Escaped(decoded.LineText(decoded.Lines[l])));
        }
    }
}

TEST_F(TsharkTest, ShowsTheCoordinationNumberAtItsByte) {
    TCaptureWriter capture;
    const auto conversation = capture.Open(kTerminal, kHost, kStart);
    const std::string request = capture::ConsumerRequest("001", 'Q');
    const std::string command = capture::FunctionCommand("001", 'Q');
    capture.Send(conversation, TSide::Client, Framed(request), kStart);
    capture.Send(conversation, TSide::Server, Framed(command), kStart);
    const auto packets = Pdml(capture, kDecodeAs);
    ASSERT_EQ(packets.size(), 5u);
    for (const auto& [packet, message] :
         {std::pair{&packets[3], request}, {&packets[4], command}}) {
        ASSERT_EQ(packet->Messages.size(), 1u);
        const auto mcn = One(packet->Messages.front(), "d912.mcn");
        EXPECT_EQ(mcn.Show, "Q");
        const long base = packet->Messages.front().front().Pos + 2;
        EXPECT_EQ(message[static_cast<std::size_t>(mcn.Pos - base)], 'Q');
        EXPECT_EQ(mcn.Size, 1);
    }
}

TEST_F(TsharkTest, ShowsWindows1252BytesAsTheirCharacters) {
    // The euro sign is 0x80 in Windows-1252, e acute 0xE9.
    const std::string status = capture::UnsolicitedStatus("\x80\xE9"
                                                          "1");
    TCaptureWriter capture;
    const auto conversation = capture.Open(kTerminal, kHost, kStart);
    capture.Send(conversation, TSide::Client, Framed(status), kStart);
    const auto packets = Pdml(capture, kDecodeAs);
    ASSERT_EQ(packets.size(), 4u);
    ASSERT_EQ(packets[3].Messages.size(), 1u);
    const TPdmlFields& message = packets[3].Messages.front();
    EXPECT_EQ(One(message, "d912.luno").Show, "\u20AC\u00E9"
                                              "1");
    const auto lines = Shows(message, "d912.line");
    ASSERT_GE(lines.size(), 2u);
    EXPECT_EQ(lines[1], "Logical Unit Number = \u20AC\u00E9"
                        "1");
    EXPECT_EQ(Rows(capture, Join(kDecodeAs, {"-e", "_ws.col.Info"})).back(),
              "Unsolicited Status LUNO=\u20AC\u00E9"
              "1");
}

// Every code of the library's tables named in the tree, at its byte, and a
// filter on the code picks its messages; a code of no name shows as unknown.
TEST_F(TsharkTest, NamesEveryCodeAndFiltersOnIt) {
    struct TCoded {
        std::string Field; // d912.status_descriptor, ...
        std::string Label; // its label's name
        std::span<const TCodeName> Names;
        char Unknown; // a code of no name
        std::string (*Make)(char code);
        std::size_t Offset; // of the code in the message
    };
    const TCoded kinds[] = {
        {"d912.status_descriptor", "Status descriptor", StatusDescriptorNames(), '5',
         [](char code) { return capture::SolicitedStatus("001", code); }, 8},
        {"d912.function_id", "Function ID", FunctionIdNames(), 'I',
         [](char code) { return capture::FunctionCommand("001", '1', code); }, 23},
        {"d912.command_code", "Command code", CommandCodeNames(), '9',
         [](char code) { return capture::OperationalCommand("001", code); }, 10},
    };
    TCaptureWriter capture;
    const auto conversation = capture.Open(kTerminal, kHost, kStart);
    struct TExpected {
        const TCoded* Kind;
        char Code;
        std::string Name;
    };
    std::vector<TExpected> expected;
    for (const TCoded& kind : kinds) {
        for (const TCodeName& row : kind.Names) {
            expected.push_back({&kind, row.Code, std::string(row.Name)});
        }
        expected.push_back({&kind, kind.Unknown, "Unknown"});
    }
    for (const TExpected& e : expected) {
        capture.Send(conversation, TSide::Client, Framed(e.Kind->Make(e.Code)), kStart);
    }
    const auto packets = Pdml(capture, kDecodeAs);
    ASSERT_EQ(packets.size(), 3 + expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i) {
        const TExpected& e = expected[i];
        SCOPED_TRACE(testing::Message() << e.Kind->Field << " " << e.Code);
        ASSERT_EQ(packets[i + 3].Messages.size(), 1u);
        const TPdmlFields& message = packets[i + 3].Messages.front();
        const TPdmlField code = One(message, e.Kind->Field);
        EXPECT_EQ(code.ShowName, e.Kind->Label + ": " + e.Name + " ('" + e.Code + "')");
        EXPECT_EQ(code.Pos, message.front().Pos + 2 + static_cast<long>(e.Kind->Offset));
        EXPECT_EQ(code.Size, 1);
        for (const TCoded& other : kinds) {
            EXPECT_EQ(Shows(message, other.Field).size(), &other == e.Kind ? 1u : 0u);
        }
    }
    // A filter on a code of each kind finds the one message that has it.
    for (const TExpected& pick : {TExpected{&kinds[0], '8', ""}, TExpected{&kinds[1], 'E', ""},
                                  TExpected{&kinds[2], '3', ""}}) {
        const TCoded* kind = pick.Kind;
        const char code = pick.Code;
        const auto found = std::find_if(expected.begin(), expected.end(), [&](const TExpected& e) {
            return e.Kind == kind && e.Code == code;
        });
        ASSERT_NE(found, expected.end());
        const std::string filter = kind->Field + " == '" + code + "'";
        EXPECT_EQ(Rows(capture, Join(kDecodeAs, {"-Y", filter, "-e", "frame.number"})),
                  std::vector{std::to_string(found - expected.begin() + 4)})
            << filter;
    }
}

// A NUL or another control byte in a line leaves its value whole, the byte
// escaped (a tab too, but in the label); its range, the Info column and the
// other lines are as ever.
TEST_F(TsharkTest, EscapesTheControlBytesOfALine) {
    const std::string lunos[] = {std::string("0\0"
                                             "1",
                                             3),
                                 "A\\B\x1B\t\x7F"};
    TCaptureWriter capture;
    const auto conversation = capture.Open(kTerminal, kHost, kStart);
    for (const auto& luno : lunos) {
        capture.Send(conversation, TSide::Client, Framed(capture::SolicitedStatus(luno, '9')),
                     kStart);
    }
    const auto packets = Pdml(capture, kDecodeAs);
    ASSERT_EQ(packets.size(), 5u);
    const std::string shown[] = {"0\\0001", "A\\B\\033\\t\\177"};
    const std::string labels[] = {"0\\0001", "A\\B\\033 \\177"};
    for (std::size_t i = 0; i < 2; ++i) {
        SCOPED_TRACE(i);
        ASSERT_EQ(packets[i + 3].Messages.size(), 1u);
        const TPdmlFields& message = packets[i + 3].Messages.front();
        const auto lines = Named(message, "d912.line");
        ASSERT_EQ(lines.size(), 3u);
        EXPECT_EQ(lines[1].Show, "Logical Unit Number = " + shown[i]);
        // The label shows the tab as a blank, as Wireshark shows blanks.
        EXPECT_EQ(lines[1].ShowName, "Logical Unit Number = " + labels[i]);
        EXPECT_EQ(lines[1].Pos, message.front().Pos + 5);
        EXPECT_EQ(lines[1].Size, static_cast<long>(lunos[i].size()));
        ExpectLinesOf(message, capture::SolicitedStatus(lunos[i], '9'), message.front().Pos + 2);
    }
    const auto info = Rows(capture, Join(kDecodeAs, {"-e", "_ws.col.Info"}));
    ASSERT_EQ(info.size(), 5u);
    EXPECT_EQ(info[3], AsFieldsWriteIt("Solicited Status LUNO=" + shown[0] + ": Ready"));
}

TEST_F(TsharkTest, ReassemblesAMessageSplitAcrossThreeSegments) {
    const std::string request = Framed(capture::ConsumerRequest("001", '1'));
    TCaptureWriter capture;
    const auto conversation = capture.Open(kTerminal, kHost, kStart);
    // The first segment ends inside the length header.
    capture.Send(conversation, TSide::Client, request.substr(0, 1), kStart + 1ms);
    capture.Send(conversation, TSide::Client, request.substr(1, 40), kStart + 2ms);
    capture.Send(conversation, TSide::Client, request.substr(41), kStart + 3ms);
    const auto packets = Pdml(capture, kDecodeAs);
    ASSERT_EQ(packets.size(), 6u);
    EXPECT_TRUE(packets[3].Messages.empty());
    EXPECT_TRUE(packets[4].Messages.empty());
    ASSERT_EQ(packets[5].Messages.size(), 1u);
    const TPdmlFields& message = packets[5].Messages.front();
    EXPECT_EQ(One(message, "d912.length").Show, std::to_string(request.size() - 2));
    EXPECT_EQ(One(message, "d912.type").Show, "mtCustomerRequest");
    ExpectLinesOf(message, std::string_view(request).substr(2), message.front().Pos + 2);
}

TEST_F(TsharkTest, DissectsThreeMessagesInOneSegment) {
    const std::string messages[] = {capture::ConsumerRequest("001", '1'),
                                    capture::UnsolicitedStatus("001"),
                                    capture::SolicitedStatus("001", '9')};
    TCaptureWriter capture;
    const auto conversation = capture.Open(kTerminal, kHost, kStart);
    capture.Send(conversation, TSide::Client,
                 Framed(messages[0]) + Framed(messages[1]) + Framed(messages[2]), kStart);
    const auto packets = Pdml(capture, kDecodeAs);
    ASSERT_EQ(packets.size(), 4u);
    ASSERT_EQ(packets[3].Messages.size(), 3u);
    long base = packets[3].Messages[0].front().Pos;
    for (std::size_t i = 0; i < 3; ++i) {
        SCOPED_TRACE(i);
        const TPdmlFields& message = packets[3].Messages[i];
        EXPECT_EQ(message.front().Pos, base);
        ExpectLinesOf(message, messages[i], base + 2);
        base += static_cast<long>(messages[i].size()) + 2;
    }
    EXPECT_EQ(Rows(capture, Join(kDecodeAs, {"-e", "_ws.col.Info"})).back(),
              "Consumer Request LUNO=001 MCN=1 | Unsolicited Status LUNO=001 | Solicited "
              "Status LUNO=001: Ready");
}

struct TFramingCase {
    std::string Name;
    TFraming Framing;
};

// A case prints as its name, as the test name has it.
void PrintTo(const TFramingCase& c, std::ostream* out) {
    *out << c.Name;
}

class TsharkFramingTest : public TsharkTest, public ::testing::WithParamInterface<TFramingCase> {};

TEST_P(TsharkFramingTest, ReadsTheMessagesItsHeadersFrame) {
    const auto framing = GetParam().Framing;
    const std::string messages[] = {capture::ConsumerRequest("001", '1'),
                                    capture::FunctionCommand("001", '1'),
                                    capture::SolicitedStatus("001", 'B')};
    TCaptureWriter capture;
    const auto conversation = capture.Open(kTerminal, kHost, kStart);
    for (const auto& message : messages) {
        const auto side = message.starts_with('4') ? TSide::Server : TSide::Client;
        capture.Send(conversation, side, Framed(message, framing), kStart);
    }
    const auto packets = Pdml(capture, Join(kDecodeAs, {"-o", "d912.framing:" + GetParam().Name}));
    ASSERT_EQ(packets.size(), 6u);
    for (std::size_t i = 0; i < 3; ++i) {
        SCOPED_TRACE(i);
        ASSERT_EQ(packets[i + 3].Messages.size(), 1u);
        const TPdmlFields& message = packets[i + 3].Messages.front();
        const std::size_t header = HeaderLength(framing);
        EXPECT_EQ(Shows(message, "d912.length"),
                  header == 0 ? std::vector<std::string>{}
                              : std::vector{std::to_string(messages[i].size())});
        ExpectLinesOf(message, messages[i], message.front().Pos + static_cast<long>(header));
    }
}

INSTANTIATE_TEST_SUITE_P(Framings, TsharkFramingTest,
                         ::testing::Values(TFramingCase{"be16", TFraming::Be16},
                                           TFramingCase{"le16", TFraming::Le16},
                                           TFramingCase{"ascii4", TFraming::Ascii4},
                                           TFramingCase{"none", TFraming::None}),
                         [](const auto& info) { return info.param.Name; });

// Two terminals (LUNO 001 and 002) behind one TCP connection, their exchanges
// interleaved, with the same coordination number; and a second connection whose
// terminal is also 001.
TCaptureWriter TwoTerminals() {
    struct TSend {
        bool OtherConnection;
        TSide From;
        std::string Message;
        std::chrono::milliseconds At; // after the connections open, plus 10 s
    };
    const TSend sends[] = {
        {false, TSide::Client, capture::ConsumerRequest("001", '1'), 0ms},
        {false, TSide::Client, capture::ConsumerRequest("002", '1'), 100ms},
        {true, TSide::Client, capture::ConsumerRequest("001", '1'), 200ms},
        {false, TSide::Server, capture::FunctionCommand("002", '1'), 350ms},
        {true, TSide::Server, capture::FunctionCommand("001", '1'), 400ms},
        {false, TSide::Server, capture::FunctionCommand("001", '1'), 500ms},
        {false, TSide::Client, capture::SolicitedStatus("001", 'B'), 600ms},
        {false, TSide::Client, capture::SolicitedStatus("002", '9'), 750ms},
    };
    TCaptureWriter capture;
    const auto link = capture.Open(kTerminal, kHost, kStart);
    const auto other = capture.Open(kOtherTerminal, kHost, kStart);
    for (const auto& send : sends) {
        capture.Send(send.OtherConnection ? other : link, send.From, Framed(send.Message),
                     kStart + 10s + send.At);
    }
    return capture;
}

TEST_F(TsharkTest, PairsRequestsCommandsAndStatusesOfInterleavedTerminals) {
    // Frames 1 to 6 open the two connections; the messages are frames 7 to 14.
    const std::vector<std::string> fields = {"-e", "frame.number",     "-e", "d912.response_in",
                                             "-e", "d912.response_to", "-e", "d912.time",
                                             "-e", "d912.status_in",   "-e", "d912.status_to",
                                             "-e", "d912.status_time", "-Y", "d912"};
    const std::vector<std::string> expected = {
        "7\t12\t\t\t\t\t",
        "8\t10\t\t\t\t\t",
        "9\t11\t\t\t\t\t",
        "10\t\t8\t0.250000000\t14\t\t",
        "11\t\t9\t0.200000000\t\t\t",
        "12\t\t7\t0.500000000\t13\t\t",
        "13\t\t\t\t\t12\t0.100000000",
        "14\t\t\t\t\t10\t0.400000000",
    };
    const auto capture = TwoTerminals();
    const std::vector<std::string> twoPass = {"-2", "-d", "tcp.port==7001,d912"};
    EXPECT_EQ(Rows(capture, Join(twoPass, fields)), expected);

    // In one pass a message cannot know what answers it yet; what it answers, it knows.
    const std::vector<std::string> onePass = {
        "7\t\t\t\t\t\t",
        "8\t\t\t\t\t\t",
        "9\t\t\t\t\t\t",
        "10\t\t8\t0.250000000\t\t\t",
        "11\t\t9\t0.200000000\t\t\t",
        "12\t\t7\t0.500000000\t\t\t",
        "13\t\t\t\t\t12\t0.100000000",
        "14\t\t\t\t\t10\t0.400000000",
    };
    EXPECT_EQ(Rows(capture, Join(kDecodeAs, fields)), onePass);
}

TEST_F(TsharkTest, CountsMessagesStatusesAndResponseTimes) {
    const auto run = FTshark.Run(TwoTerminals(), Join(kDecodeAs, {"-q", "-z", "d912,tree"}));
    ASSERT_EQ(run.ExitCode, 0) << run.Err;
    // Each row: its name, then its count, and for the response times the
    // average, minimum and maximum.
    std::map<std::string, std::vector<std::string>> rows;
    const std::regex row(R"(^\s*(\S.*?)\s{2,}(\d.*?)\s*$)");
    std::istringstream lines(run.Out);
    for (std::string line; std::getline(lines, line);) {
        std::smatch match;
        if (std::regex_match(line, match, row)) {
            std::istringstream values(match[2].str());
            for (std::string value; values >> value;) {
                rows[match[1].str()].push_back(value);
            }
        }
    }
    EXPECT_EQ(rows["Messages by type"].at(0), "8");
    EXPECT_EQ(rows["Consumer Request"].at(0), "3");
    EXPECT_EQ(rows["Function Command"].at(0), "3");
    EXPECT_EQ(rows["Solicited Status"].at(0), "2");
    EXPECT_EQ(rows["Solicited status by status descriptor"].at(0), "2");
    EXPECT_EQ(rows["Ready (Function Command Successful)"].at(0), "1");
    EXPECT_EQ(rows["Ready"].at(0), "1");
    const auto& times = rows["Host response time (ms)"];
    ASSERT_GE(times.size(), 4u) << run.Out;
    EXPECT_EQ(times[0], "3");
    EXPECT_NEAR(std::stod(times[1]), 950.0 / 3, 0.01);
    EXPECT_NEAR(std::stod(times[2]), 200.0, 0.001);
    EXPECT_NEAR(std::stod(times[3]), 500.0, 0.001);
}

TEST_F(TsharkTest, ShowsWhyAMessageCannotBeDecodedAndStillListsItsFields) {
    const std::string shortRequest = capture::Message({"11", "001", "", "A1B2", "1Q"});
    TCaptureWriter capture;
    const auto conversation = capture.Open(kTerminal, kHost, kStart);
    capture.Send(conversation, TSide::Client, Framed(shortRequest), kStart);
    capture.Send(conversation, TSide::Client, Framed(capture::SolicitedStatus("001")), kStart);
    const auto packets = Pdml(capture, kDecodeAs);
    ASSERT_EQ(packets.size(), 5u);
    ASSERT_EQ(packets[3].Messages.size(), 1u);
    const TPdmlFields& message = packets[3].Messages.front();
    EXPECT_EQ(One(message, "d912.type").Show, "mtCustomerRequest");
    EXPECT_EQ(One(message, "d912.luno").Show, "001");
    EXPECT_EQ(One(message, "d912.mcn").Show, "Q");
    ExpectFieldsOf(message, shortRequest, message.front().Pos + 2);
    EXPECT_TRUE(Shows(message, "d912.line").empty());
    EXPECT_EQ(Shows(message, "_ws.malformed").size(), 1u);
    EXPECT_EQ(One(message, "_ws.expert.message").Show, "List index out of bounds (5)");
    EXPECT_EQ(One(message, "_ws.expert").ShowName,
              "Expert Info (Error/Malformed): List index out of bounds (5)");
    // The next message is dissected as usual.
    ASSERT_EQ(packets[4].Messages.size(), 1u);
    EXPECT_TRUE(Shows(packets[4].Messages.front(), "_ws.expert").empty());
    EXPECT_EQ(Shows(packets[4].Messages.front(), "d912.line").size(), 3u);
}

TEST_F(TsharkTest, HandsWiresharkItsOwnErrorsBackFromTheMiddleOfAMessage) {
    // Wireshark stops a dissector that adds more items than its limit allows by
    // throwing its own exception. Met halfway through a message's lines, it must
    // come out as Wireshark reports it, and nothing of the message may be lost
    // on the way (the sanitizer build checks for leaks).
    TCaptureWriter capture;
    const auto conversation = capture.Open(kTerminal, kHost, kStart);
    capture.Send(conversation, TSide::Server, Framed(capture::FunctionCommand("001", '1')), kStart);
    const auto whole = Pdml(capture, kDecodeAs);
    ASSERT_EQ(whole.size(), 4u);
    ASSERT_EQ(whole[3].Messages.size(), 1u);
    const auto lines = Shows(whole[3].Messages.front(), "d912.line").size();
    ASSERT_GT(lines, 20u);
    // A limit that leaves room for all but the last ten lines.
    const std::string limit = std::to_string(whole[3].Fields.size() - 10);
    const auto run =
        FTshark.Run(capture, Join(kDecodeAs, {"-o", "gui.max_tree_items:" + limit, "-T", "pdml"}));
    ASSERT_EQ(run.ExitCode, 0) << run.Err;
    const auto cut = ParsePdml(run.Out);
    ASSERT_EQ(cut.size(), 4u);
    ASSERT_EQ(cut[3].Messages.size(), 1u);
    EXPECT_LT(Shows(cut[3].Messages.front(), "d912.line").size(), lines);
    // The first item of that name: later versions give its expert info's field
    // the same name.
    const auto bugs = Named(cut[3].Fields, kDissectorBug);
    ASSERT_FALSE(bugs.empty()) << kDissectorBug;
    EXPECT_NE(
        bugs.front().ShowName.find("Adding d912.line would put more than " + limit + " items"),
        std::string::npos)
        << bugs.front().ShowName;
}

TEST_F(TsharkTest, MasksCardDataInEveryLineWhenAsked) {
    const std::string request = capture::ConsumerRequest("001", '1');
    TCaptureWriter capture;
    const auto conversation = capture.Open(kTerminal, kHost, kStart);
    capture.Send(conversation, TSide::Client, Framed(request), kStart);
    for (const bool mask : {false, true}) {
        SCOPED_TRACE(mask);
        const auto packets =
            Pdml(capture, Join(kDecodeAs, {"-o", std::string("d912.mask_card_data:") +
                                                     (mask ? "TRUE" : "FALSE")}));
        ASSERT_EQ(packets.size(), 4u);
        ASSERT_EQ(packets[3].Messages.size(), 1u);
        const TPdmlFields& message = packets[3].Messages.front();
        ExpectLinesOf(message, request, message.front().Pos + 2, mask);
        const auto lines = Shows(message, "d912.line");
        const bool showsPan = std::any_of(lines.begin(), lines.end(), [](const std::string& line) {
            return line.find("4761739001010010") != std::string::npos;
        });
        EXPECT_EQ(showsPan, !mask);
        // Nor does a field's label show the card data.
        const auto fields = Named(message, "d912.field");
        ASSERT_EQ(fields.size(), 10u);
        EXPECT_EQ(fields[5].ShowName,
                  mask ? "Field 5: 33 bytes" : "Field 5: 4761739001010010=2212201114384451");
        EXPECT_EQ(std::count(lines.begin(), lines.end(),
                             "Track-2 data = 476173******0010=2212201*********"),
                  mask ? 1 : 0);
    }
}

TEST_F(TsharkTest, DecodesOnlyThePortsItIsGiven) {
    TCaptureWriter capture;
    const auto conversation =
        capture.Open(kTerminal, capture::TEndpoint{{10, 0, 0, 1}, 9912}, kStart);
    capture.Send(conversation, TSide::Client, Framed(capture::SolicitedStatus("001")), kStart);
    const std::vector<std::string> types = {"-e", "d912.type"};
    EXPECT_EQ(Rows(capture, types).back(), "");
    EXPECT_EQ(Rows(capture, Join({"-o", "d912.tcp.port:9912"}, types)).back(), "mtSolicited");
    EXPECT_EQ(Rows(capture, Join({"-d", "tcp.port==9912,d912"}, types)).back(), "mtSolicited");
}

TEST_F(TsharkTest, HandlesAHeaderThatPromisesMoreThanTheCaptureHolds) {
    TCaptureWriter capture;
    const auto conversation = capture.Open(kTerminal, kHost, kStart);
    capture.Send(conversation, TSide::Client, Framed(capture::SolicitedStatus("001")), kStart);
    capture.Send(conversation, TSide::Client,
                 std::string("\x01\xF4", 2) + "22\x1C"
                                              "001",
                 kStart + 1ms);
    // Reassembly waits for the 500 bytes that never come.
    const auto waiting = Pdml(capture, kDecodeAs);
    ASSERT_EQ(waiting.size(), 5u);
    EXPECT_EQ(waiting[3].Messages.size(), 1u);
    EXPECT_TRUE(waiting[4].Messages.empty());
    // Without reassembly the message is cut short, as Wireshark says of any protocol.
    const auto cut = Pdml(capture, Join(kDecodeAs, {"-o", "tcp.desegment_tcp_streams:FALSE"}));
    ASSERT_EQ(cut.size(), 5u);
    ASSERT_EQ(cut[4].Messages.size(), 1u);
    EXPECT_EQ(One(cut[4].Messages.front(), "d912.length").Show, "500");
    EXPECT_EQ(Shows(cut[4].Fields, "_ws.unreassembled").size(), 1u);
}

TEST_F(TsharkTest, ReportsAnAsciiHeaderThatIsNoLength) {
    TCaptureWriter capture;
    const auto conversation = capture.Open(kTerminal, kHost, kStart);
    capture.Send(conversation, TSide::Client, "00x9" + capture::SolicitedStatus("001"), kStart);
    capture.Send(conversation, TSide::Client,
                 Framed(capture::SolicitedStatus("002"), TFraming::Ascii4), kStart + 1ms);
    const auto packets = Pdml(capture, Join(kDecodeAs, {"-o", "d912.framing:ascii4"}));
    ASSERT_EQ(packets.size(), 5u);
    ASSERT_EQ(packets[3].Messages.size(), 1u);
    EXPECT_EQ(One(packets[3].Messages.front(), "_ws.expert.message").Show,
              "The length header is not four decimal digits");
    // The next segment starts afresh.
    ASSERT_EQ(packets[4].Messages.size(), 1u);
    EXPECT_EQ(One(packets[4].Messages.front(), "d912.luno").Show, "002");
}

TEST_F(TsharkTest, DissectsEveryOneOfTenThousandRandomPayloads) {
    capture::TTrafficOptions options;
    options.Messages = 10000;
    options.Seed = 912;
    const TCaptureWriter capture = capture::RandomTraffic(options);
    // The payload of every frame after the handshakes is one framed message.
    const auto rows = Rows(capture, Join(kDecodeAs, {"-e", "frame.number", "-e", "tcp.len", "-e",
                                                     "d912.length", "-e", "d912.type"}));
    ASSERT_EQ(rows.size(), capture.FrameCount());
    std::size_t dissected = 0;
    for (std::size_t i = 3 * options.Conversations; i < rows.size(); ++i) {
        std::istringstream row(rows[i]);
        std::string frame, tcpLength, length, type;
        std::getline(row, frame, '\t');
        std::getline(row, tcpLength, '\t');
        std::getline(row, length, '\t');
        std::getline(row, type, '\t');
        if (length.empty() || std::stoul(length) + 2 != std::stoul(tcpLength) || type.empty()) {
            ADD_FAILURE() << "frame " << rows[i];
            continue;
        }
        ++dissected;
    }
    EXPECT_EQ(dissected, options.Messages);
}

} // namespace
} // namespace velquist::test
