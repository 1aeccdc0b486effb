// Every decoded line tied to the message bytes it shows; the field table; card
// data masked.

#include "MessageGen.h"
#include "TestUtil.h"
#include "UDiebold.h"
#include "velquist/Decode.h"

#include <gtest/gtest.h>

#include <optional>
#include <set>
#include <string>
#include <vector>

namespace velquist {
namespace {

using namespace std::string_literals;
using test::Msg;

TDecodeResult Decode(std::string_view message, bool mask = false) {
    TDecodeOptions options;
    options.Structure = true;
    options.MaskCardData = mask;
    return DecodeMessage(message, options);
}

// The bytes a line shows, or nothing for a line without a range.
std::optional<std::string> ShownBytes(std::string_view message, const TDecodedLine& line) {
    if (!line.Range) {
        return std::nullopt;
    }
    return std::string(message.substr(line.Range->Offset, line.Range->Length));
}

// ---------------------------------------------------------------- properties

// Lines whose value is copied from the message unchanged.
const std::set<std::string_view> kCopiedValues = {
    "Logical Unit Number",
    "Time Variant Number",
    "Message Sequence Number",
    "Next State ID",
    "Top-Of-Form Flag",
    "Message Coordination Number",
    "Track-2 data",
    "Track-3 data",
    "Operation Key Buffer",
    "Dollar/Cents Keyboard Entry",
    "- Last Trx Serial Number",
    "Transaction SN",
    "Screen Number",
    "Screen Disp Update",
    "Message Coord. Number",
    "Raw",
};

// Where masked card data may differ.
const std::set<std::string_view> kCardData = {"Track-2 data", "Track-3 data", "PIN Buffer"};

void ExpectFieldTableSplitsAtEveryFs(std::string_view message, const TDecodeResult& result) {
    ASSERT_FALSE(result.Fields.empty());
    std::size_t expectedStart = 0;
    for (const TByteRange& field : result.Fields) {
        ASSERT_EQ(field.Offset, expectedStart);
        ASSERT_LE(field.End(), message.size());
        EXPECT_EQ(message.substr(field.Offset, field.Length).find(kFS), std::string_view::npos);
        if (field.End() < message.size()) {
            EXPECT_EQ(message[field.End()], kFS);
        }
        expectedStart = field.End() + 1;
    }
    EXPECT_EQ(result.Fields.back().End(), message.size());
}

void ExpectLinesMakeTheText(const TDecodeResult& result) {
    std::string joined;
    for (const TDecodedLine& line : result.Lines) {
        EXPECT_EQ(line.TextOffset, joined.size());
        const std::string_view text = result.LineText(line);
        EXPECT_EQ(text.find("\r\n"), std::string_view::npos);
        joined.append(text).append("\r\n");
    }
    if (!result.Text.ends_with("\r\n") && !joined.empty()) {
        joined.resize(joined.size() - 2); // the last line ends with the text
    }
    EXPECT_EQ(joined, result.Text);
}

void ExpectRangesShowTheirBytes(std::string_view message, const TDecodeResult& result) {
    for (const TDecodedLine& line : result.Lines) {
        if (!line.Range) {
            continue;
        }
        ASSERT_LE(line.Range->End(), message.size()) << result.LineText(line);
        const auto nameValue = SplitNameValue(result.LineText(line));
        if (nameValue && kCopiedValues.contains(nameValue->Name)) {
            EXPECT_EQ(nameValue->Value, *ShownBytes(message, line)) << result.LineText(line);
        }
    }
}

// Masking changes card data in place and nothing else.
void ExpectMaskingKeepsTheLayout(const TDecodeResult& plain, const TDecodeResult& masked) {
    ASSERT_EQ(masked.Ok, plain.Ok);
    ASSERT_EQ(masked.Text.size(), plain.Text.size());
    ASSERT_EQ(masked.Lines.size(), plain.Lines.size());
    for (std::size_t i = 0; i < plain.Lines.size(); ++i) {
        const TDecodedLine& line = plain.Lines[i];
        EXPECT_EQ(masked.Lines[i].TextOffset, line.TextOffset);
        EXPECT_EQ(masked.Lines[i].TextLength, line.TextLength);
        EXPECT_EQ(masked.Lines[i].Range, line.Range);
        const std::string_view before = plain.LineText(line);
        const std::string_view after = masked.LineText(masked.Lines[i]);
        const auto nameValue = SplitNameValue(before);
        if (plain.Type != mtCustomerRequest || !nameValue || !kCardData.contains(nameValue->Name)) {
            EXPECT_EQ(after, before);
            continue;
        }
        for (std::size_t c = 0; c < before.size(); ++c) {
            EXPECT_TRUE(after[c] == before[c] || after[c] == '*') << before << " / " << after;
        }
    }
}

class GeneratedMessages : public ::testing::TestWithParam<std::string> {};

TEST_P(GeneratedMessages, LinesFieldsAndMaskingHold) {
    test::TMessageGen gen(test::SeedFor(0x5EED, GetParam()));
    for (int n = 0; n < 1500; ++n) {
        const std::string message = gen.Message(GetParam());
        SCOPED_TRACE(::testing::PrintToString(message));
        const TDecodeResult plain = DecodeMessage(message);
        const TDecodeResult result = Decode(message);
        ASSERT_EQ(result.Ok, plain.Ok);
        ASSERT_EQ(result.Text, plain.Text);
        ASSERT_EQ(result.Error, plain.Error);
        ExpectFieldTableSplitsAtEveryFs(message, result);
        if (!result.Ok) {
            EXPECT_TRUE(result.Lines.empty());
            continue;
        }
        ExpectLinesMakeTheText(result);
        ExpectRangesShowTheirBytes(message, result);
        ExpectMaskingKeepsTheLayout(result, Decode(message, true));
    }
}

INSTANTIATE_TEST_SUITE_P(EveryClass, GeneratedMessages,
                         ::testing::Values("11", "22", "12", "4", "3", "1", "unknown"),
                         test::NamedBy([](const std::string& kind) { return "class " + kind; }));

// ---------------------------------------------------------------- ranges by class

struct RangeCase {
    std::string message;
    std::string line;                 // a line of the decoded text
    std::optional<std::string> shows; // the message bytes it shows
};

class LineRanges : public ::testing::TestWithParam<RangeCase> {};

TEST_P(LineRanges, ShowTheBytesTheLineCameFrom) {
    const RangeCase& c = GetParam();
    const TDecodeResult result = Decode(c.message);
    ASSERT_TRUE(result.Ok) << result.Error;
    for (const TDecodedLine& line : result.Lines) {
        if (result.LineText(line) == c.line) {
            EXPECT_EQ(ShownBytes(c.message, line), c.shows);
            return;
        }
    }
    ADD_FAILURE() << "no line \"" << c.line << "\" in\n" << result.Text;
}

const std::string kRequest =
    Msg({"11", "001", "", "A1B2", "0A", ";4761739001010119=15122011143804489?", "", "AAB",
         "00002000", "1234:;<=", "6012310"});
const std::string kSolicited = Msg({"22", "000", "", "8",
                                    "?0\x1D"
                                    "4xyz\x1D=1\x1D<12346001\x1D"
                                    "D<1>2\x1D"
                                    "B01020304050607080910"});
const std::string kFunction = Msg({"4", "001", "002", "003", "0205",
                                   "0042B010000\x0F"
                                   "ABPLEASE WAIT!\x0F"
                                   "BCSECOND",
                                   "102THANK YOU\n\x0E"
                                   "3AMOUNT\x0C\n\x1BXTOTAL"});

INSTANTIATE_TEST_SUITE_P(
    ConsumerRequest, LineRanges,
    ::testing::Values(RangeCase{kRequest, "Consumer Request (31 31)", "11"},
                      RangeCase{kRequest, "Logical Unit Number = 001", "001"},
                      RangeCase{kRequest, "Message Coordination Number = A", "A"},
                      RangeCase{kRequest, "Track-3 data = ", ""},
                      RangeCase{kRequest, "PIN Buffer = 1234ABCD", "1234:;<="},
                      RangeCase{kRequest, "Last Transaction Status:", "6012310"},
                      RangeCase{kRequest, "- Function command Response = (1) Ready 9 or B", "1"}),
    test::NamedBy(&RangeCase::line));

INSTANTIATE_TEST_SUITE_P(
    SolicitedStatus, LineRanges,
    ::testing::Values(
        RangeCase{kSolicited, "Status Descriptor = Device Fault / Configuration Information (38)",
                  "8"},
        RangeCase{kSolicited, "- Dispenser (3F 30)", "?0"},
        RangeCase{kSolicited,
                  "- Configuration ID 12346001 (CfgNum=1234, Supervisor switch, Supply switch, Go "
                  "In-service flag)",
                  "<12346001"},
        RangeCase{kSolicited, "- Cassette (44)", "D"},
        RangeCase{kSolicited,
                  "   - Cassette 2, Cassette Denomination B Currency Supply Low (3E 32)", ">2"},
        RangeCase{kSolicited, "   a. 911 mode", "01"},
        RangeCase{kSolicited, "      Depositor: present", "03"},
        RangeCase{kSolicited, "  Standard Hardware Configuration", std::nullopt}),
    test::NamedBy(&RangeCase::line));

INSTANTIATE_TEST_SUITE_P(
    FunctionCommand, LineRanges,
    ::testing::Values(RangeCase{kFunction, "Number of Bills: ", std::nullopt},
                      RangeCase{kFunction, "    > Dispense 5 B bills", "05"},
                      RangeCase{kFunction, "\tFunction ID        : Perform a dispense (B)", "B"},
                      RangeCase{kFunction, "\t\tRow=A Col=B Data:PLEASE WAIT!",
                                "\x0F"
                                "ABPLEASE WAIT!"},
                      RangeCase{kFunction, "\t\tRow=B Col=C Data:SECOND",
                                "\x0F"
                                "BCSECOND"},
                      RangeCase{kFunction, "Printer flag: print on transaction record printer only",
                                "2"},
                      RangeCase{kFunction, "THANK YOU", "THANK YOU\n"},
                      RangeCase{kFunction, "   AMOUNT",
                                "\x0E"
                                "3AMOUNT\x0C\n"},
                      RangeCase{kFunction, "TOTAL", "\x1BXTOTAL"},
                      RangeCase{kFunction, "Printer Data:", std::nullopt}),
    test::NamedBy(&RangeCase::line));

INSTANTIATE_TEST_SUITE_P(
    OtherClasses, LineRanges,
    ::testing::Values(
        RangeCase{Msg({"12", "000", "", "482A0"}), "  - Consumer printer has run low on paper",
                  "A0"},
        RangeCase{Msg({"12", "000", "", "801"}), "Status Descriptor = Vandal Shield 383031", "801"},
        RangeCase{Msg({"13", "001", "002", "9"}), "Command Code = ", "9"},
        RangeCase{Msg({"3", "001", "002", "13", "0000000000000128000064000000003032"}),
                  "     - Append rollover counts", "128"},
        RangeCase{Msg({"3", "001", "002", "13", "0000000000000128000064000000003032"}),
                  "Write Command III Message (LUNO, miscellaneous parameters, timers)", "13"},
        RangeCase{Msg({"3", "001", "002", "32", "001255016"}), "Key (01FF10) \"001255016\"",
                  "001255016"},
        RangeCase{Msg({"AB", "", "C"}), "DieField[1] = ", ""},
        RangeCase{Msg({"AB", "", "C"}), "mtUnknown", std::nullopt}),
    test::NamedBy(&RangeCase::line));

// A value with a line break in it shows on two lines, each with its own bytes.
TEST(LineRanges, CopiedValueOverALineBreak) {
    const std::string message = Msg({"13", "0\r\n01", "002", "1"});
    const TDecodeResult result = Decode(message);
    ASSERT_TRUE(result.Ok);
    ASSERT_GE(result.Lines.size(), 3u);
    EXPECT_EQ(result.LineText(result.Lines[1]), "Logical Unit Number = 0");
    EXPECT_EQ(ShownBytes(message, result.Lines[1]), "0");
    EXPECT_EQ(result.LineText(result.Lines[2]), "01");
    EXPECT_EQ(ShownBytes(message, result.Lines[2]), "01");
}

// ---------------------------------------------------------------- name and value

struct NameValueCase {
    std::string line;
    std::optional<std::pair<std::string, std::string>> split;
};

class NameValue : public ::testing::TestWithParam<NameValueCase> {};

TEST_P(NameValue, SplitAtTheFirstSeparator) {
    const auto split = SplitNameValue(GetParam().line);
    ASSERT_EQ(split.has_value(), GetParam().split.has_value());
    if (split) {
        EXPECT_EQ(split->Name, GetParam().split->first);
        EXPECT_EQ(split->Value, GetParam().split->second);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Table, NameValue,
    ::testing::Values(NameValueCase{"Logical Unit Number = 001", {{"Logical Unit Number", "001"}}},
                      NameValueCase{"Track-3 data = ", {{"Track-3 data", ""}}},
                      NameValueCase{"Key = a = b", {{"Key", "a = b"}}},
                      NameValueCase{"\tTransaction SN     : 0042", {{"Transaction SN", "0042"}}},
                      NameValueCase{"Card Flag: return card", {{"Card Flag", "return card"}}},
                      NameValueCase{"   b. Quick Cash Fascia: enable",
                                    {{"b. Quick Cash Fascia", "enable"}}},
                      NameValueCase{"Time: 12 = noon", {{"Time: 12", "noon"}}}, // " = " goes first
                      NameValueCase{"Printer Data:", std::nullopt},
                      NameValueCase{"\t\tRow=A Col=B Data:PLEASE", std::nullopt},
                      NameValueCase{"", std::nullopt}),
    test::NamedBy(&NameValueCase::line));

// ---------------------------------------------------------------- masking

TEST(MaskCardData, ConsumerRequestCardLinesOnly) {
    const TDecodeResult plain = Decode(kRequest);
    const TDecodeResult masked = Decode(kRequest, true);
    ASSERT_TRUE(masked.Ok);
    EXPECT_NE(masked.Text.find("Track-2 data = ;476173******0119=1512201**********?\r\n"),
              std::string::npos)
        << masked.Text;
    EXPECT_NE(masked.Text.find("PIN Buffer = ********\r\n"), std::string::npos);
    EXPECT_NE(masked.Text.find("Dollar/Cents Keyboard Entry = 00002000\r\n"), std::string::npos);
    ExpectMaskingKeepsTheLayout(plain, masked);

    // Masking needs no structure, and the message keeps only the masked track.
    TDecodeOptions maskOnly;
    maskOnly.MaskCardData = true;
    EXPECT_EQ(DecodeMessage(kRequest, maskOnly).Text, masked.Text);
    TDecodeOptions options;
    options.MaskCardData = true;
    const TDieboldMsg decoded(kRequest, options);
    EXPECT_EQ(decoded.Track2(), ";476173******0119=1512201**********?");
    EXPECT_EQ(decoded.PinBuffer(), "********");
}

// Nothing is known to be card data in a field listing or another class.
TEST(MaskCardData, OtherClassesUnchanged) {
    for (const std::string& message : {Msg({"AB", ";4761739001010119=1512?"}),
                                       Msg({"22", "4761739001010119", "", "9"}), kFunction}) {
        EXPECT_EQ(Decode(message, true).Text, Decode(message).Text);
    }
}

} // namespace
} // namespace velquist
