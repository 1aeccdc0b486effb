#include "ProcessRunner.h"
#include "TestUtil.h"
#include "UDiebold.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace velquist {
namespace {

using test::Lines;
using test::Msg;

const std::string kHeader =
    "Write Command (33)\r\nLogical Unit Number = 000\r\nMessage Sequence Number = 001\r\n";

std::string Body(const std::string& field3, const std::string& field4) {
    const std::string text = TDieboldMsg(Msg({"3", "000", "001", field3, field4})).GetDecodedText();
    EXPECT_TRUE(text.starts_with(kHeader)) << text;
    return text.substr(kHeader.size());
}

// ---------------------------------------------------------------- body table

struct BodyCase {
    std::string field3;
    std::string field4;
    std::string body;
};

class WriteBody : public ::testing::TestWithParam<BodyCase> {};

TEST_P(WriteBody, NamedByIdentifierAndModifier) {
    EXPECT_EQ(Body(GetParam().field3, GetParam().field4), GetParam().body);
}

// One message of every kind, decoded here and through velquist-decode.
const BodyCase kKinds[] = {
    BodyCase{"11", "000ABC", "Write Identifier = 1\r\nModifier = (1) Screens"},
    BodyCase{"12", "", "Write Identifier = 1\r\nModifier = (2) States"},
    BodyCase{"15", "", "Write Identifier = 1\r\nModifier = (5) FITs"},
    BodyCase{"1;", "", "Write Identifier = 1\r\nModifier = (;) EMG Icon definition data"},
    BodyCase{"1<", "", "Write Identifier = 1\r\nModifier = (<) EMG Font definition data"},
    BodyCase{"1=", "", "Write Identifier = 1\r\nModifier = (=) EMG Library cell data"},
    BodyCase{"1@", "", "Write Identifier = 1\r\nModifier = (@) Format Templates"},
    BodyCase{"1A", "", "Write Identifier = 1\r\nModifier = (A) Stored Value Card"},
    BodyCase{"2", "", "Write Identifier = 2\r\nModifier = () Unknown"},
    BodyCase{"16", "0101",
             "Write Identifier = 1\r\nModifier = (6) Write Command VIII Message "
             "(Configuration ID)\r\nConfiguration ID=0101"},
    BodyCase{"32", "001255016",
             "Write Identifier = 3\r\nModifier = (2) Write Command VII Message (encryption "
             "key change)\r\n(2) Decrypt new COMM key with current master key\r\n"
             "Key (01FF10) \"001255016\""},
    BodyCase{"13", "0000000000000128000064000000003032",
             Lines({"Write Identifier = 1", "Modifier = (3) ",
                    "Write Command III Message (LUNO, miscellaneous parameters, timers)",
                    "Raw = 0000000000000128000064000000003032", "   0 Camera Control",
                    " 128 Miscellaneous Features 1", "     - Append rollover counts",
                    " 064 Miscellaneous Features 2", "     - Reject Reason codes to network",
                    " 003 Miscellaneous Features 3", "     - Doubling timer 03 feature",
                    "     - Double Expanded hardware configuration status",
                    " 032 Miscellaneous Features 4",
                    "     - Send Expanded MDS status to the network"})}};

INSTANTIATE_TEST_SUITE_P(Kinds, WriteBody, ::testing::ValuesIn(kKinds),
                         test::NamedBy([](const BodyCase& c) {
                             return c.field3 + " " + c.field4;
                         }));

INSTANTIATE_TEST_SUITE_P(
    EdgeCases, WriteBody,
    ::testing::Values(
        BodyCase{"14", "", "Write Identifier = 1\r\nModifier = (4) "},
        BodyCase{"1?", "", "Write Identifier = 1\r\nModifier = (?) "},
        BodyCase{"1B", "", "Write Identifier = 1\r\nModifier = (B) "},
        BodyCase{"2X", "", "Write Identifier = 2\r\nModifier = (X) Unknown"},
        BodyCase{"9Z", "", "Write Identifier = 9\r\nModifier = (Z) "},
        BodyCase{"1", "", "Write Identifier = 1\r\nModifier = () "},
        BodyCase{"", "", "Write Identifier = \r\nModifier = () "},
        BodyCase{"13", "",
                 "Write Identifier = 1\r\nModifier = (3) \r\nWrite Command III Message (LUNO, "
                 "miscellaneous parameters, timers)\r\nRaw = \r\n     Camera Control\r\n"}),
    test::NamedBy([](const BodyCase& c) { return c.field3 + " " + c.field4; }));

// ---------------------------------------------------------------- Write Command III

// Features 1 = "001", 2 = "002", 3 = "004", 4 = "008"; cut to each length.
const std::string kFeatureData = "9000000000000001000002000000004008XYZ";

struct LengthCase {
    std::size_t length;
    std::vector<std::string> blocks;
};

class WriteCommand3Length : public ::testing::TestWithParam<LengthCase> {};

TEST_P(WriteCommand3Length, BlocksAppearAtTheirThresholds) {
    const std::string data = kFeatureData.substr(0, GetParam().length);
    std::string expected =
        "Write Identifier = 1\r\nModifier = (3) \r\nWrite Command III Message (LUNO, "
        "miscellaneous parameters, timers)\r\nRaw = " +
        data + "\r\n   9 Camera Control\r\n";
    for (const auto& block : GetParam().blocks) {
        expected += block;
    }
    EXPECT_EQ(Body("13", data), expected);
}

const std::string kBlock1 = " 001 Miscellaneous Features 1\r\n     - Separate ready response\r\n";
const std::string kBlock2 = " 002 Miscellaneous Features 2\r\n     - Reserved\r\n";
const std::string kBlock3 = " 004 Miscellaneous Features 3\r\n"
                            "     - Extended range for Message Coordination Number field\r\n";
const std::string kBlock4 =
    " 008 Miscellaneous Features 4\r\n     - Dispenser Diagnostic Control\r\n";

INSTANTIATE_TEST_SUITE_P(
    Table, WriteCommand3Length,
    ::testing::Values(LengthCase{1, {}}, LengthCase{24, {}}, LengthCase{25, {kBlock1, kBlock2}},
                      LengthCase{30, {kBlock1, kBlock2}},
                      LengthCase{31, {kBlock1, kBlock2, kBlock3}},
                      LengthCase{33, {kBlock1, kBlock2, kBlock3}},
                      LengthCase{34, {kBlock1, kBlock2, kBlock3, kBlock4}},
                      LengthCase{37, {kBlock1, kBlock2, kBlock3, kBlock4}}),
    test::NamedBy([](const LengthCase& c) { return std::to_string(c.length) + " bytes"; }));

struct FeaturesCase {
    std::size_t position; // of the value in field 4
    std::string value;
    std::string block; // the heading and the bit lines of that value
};

class WriteCommand3Features : public ::testing::TestWithParam<FeaturesCase> {};

// The headings of the blocks after the one at `position`, all "000".
std::string ZeroBlocksAfter(std::size_t position) {
    std::string text;
    if (position < 20) {
        text += " 000 Miscellaneous Features 2\r\n";
    }
    if (position < 29) {
        text += " 000 Miscellaneous Features 3\r\n";
    }
    if (position < 32) {
        text += " 000 Miscellaneous Features 4\r\n";
    }
    return text;
}

TEST_P(WriteCommand3Features, SetBitsFromSevenDown) {
    std::string data(34, '0');
    data.replace(GetParam().position - 1, 3, GetParam().value);
    const std::string text = Body("13", data);
    EXPECT_TRUE(text.ends_with(GetParam().block + ZeroBlocksAfter(GetParam().position))) << text;
}

INSTANTIATE_TEST_SUITE_P(
    Table, WriteCommand3Features,
    ::testing::Values(
        FeaturesCase{14, "255",
                     Lines({" 255 Miscellaneous Features 1", "     - Append rollover counts",
                            "     - Decimal style", "     - Deposit cancel status bit",
                            "     - Dollar decimal places", "     - Dollar Buffer size",
                            "     - Fault status print", "     - Automatic return to previous mode",
                            "     - Separate ready response"})},
        FeaturesCase{20, "255",
                     Lines({" 255 Miscellaneous Features 2", "     - Reserved",
                            "     - Reject Reason codes to network",
                            "     - i Series/MDS status bytes to network",
                            "     - Maintenance mode log to network",
                            "     - Change MMD mispick timer from 2 minutes to 30 seconds",
                            "     - Expanded hardware configuration status", "     - Reserved",
                            "     - Reserved"})},
        FeaturesCase{29, "255",
                     Lines({" 255 Miscellaneous Features 3",
                            "     - Enable OK and correction keys for 9000 states (B, M, H)",
                            "     - Transaction verification status", "     - No retract",
                            "     - Send all status",
                            "     - Message Sequence Number in Solicited Status messages",
                            "     - Extended range for Message Coordination Number field",
                            "     - Doubling timer 03 feature",
                            "     - Double Expanded hardware configuration status"})},
        FeaturesCase{14, "300",
                     Lines({" 300 Miscellaneous Features 1", "     - Deposit cancel status bit",
                            "     - Dollar Buffer size", "     - Fault status print"})},
        FeaturesCase{14, " 64", Lines({"  64 Miscellaneous Features 1", "     - Decimal style"})},
        FeaturesCase{14, "$81",
                     Lines({" $81 Miscellaneous Features 1", "     - Append rollover counts",
                            "     - Separate ready response"})},
        // Only the low 8 bits count: -1 is 255.
        FeaturesCase{32, "-01",
                     Lines({" -01 Miscellaneous Features 4", "     - Reserved", "     - Reserved",
                            "     - Send Expanded MDS status to the network",
                            "     - Disallow Dispense with Safe Door Open",
                            "     - Dispenser Diagnostic Control", "     - Network SDM DIT Control",
                            "     - Send Supplemental Dispenser status to network",
                            "     - Disable Automatic Dispensing Mode"})},
        FeaturesCase{14, "abc", Lines({" abc Miscellaneous Features 1"})},
        FeaturesCase{14, "   ", Lines({"     Miscellaneous Features 1"})},
        FeaturesCase{14, "12 ", Lines({" 12  Miscellaneous Features 1"})}),
    test::NamedBy([](const FeaturesCase& c) {
        return "at " + std::to_string(c.position) + " " + c.value;
    }));

// ---------------------------------------------------------------- Write Command VII

struct KeyCase {
    std::string modifier;
    std::string handling;
};

class WriteCommand7 : public ::testing::TestWithParam<KeyCase> {};

TEST_P(WriteCommand7, KeyHandlingAndKey) {
    const TDieboldMsg message(Msg({"3", "000", "001", "3" + GetParam().modifier, "0012550160"}));
    EXPECT_EQ(message.GetDecodedText(),
              kHeader + "Write Identifier = 3\r\nModifier = (" + GetParam().modifier +
                  ") Write Command VII Message (encryption key change)\r\n" + GetParam().handling +
                  "\r\nKey (01FF10) \"0012550160\"");
    EXPECT_EQ(message.MsgType(), mtWriteCommand7);
    EXPECT_EQ(message.Key(), "01FF10");
}

INSTANTIATE_TEST_SUITE_P(
    Table, WriteCommand7,
    ::testing::Values(KeyCase{"1", "(1) Decrypt new master key with current master key"},
                      KeyCase{"2", "(2) Decrypt new COMM key with current master key"},
                      KeyCase{"3", "(3) Decrypt new COMM key with current COMM key"},
                      KeyCase{"4", "(4) Use Power-up COMM key (B key) as current COMM key"},
                      KeyCase{"5", "(5) Decrypt MAC key with current Master key"},
                      KeyCase{"6", "(6) Decrypt MAC key with current COMM key"},
                      KeyCase{"7", "(7) Use Power-up COMM key (B key) as current MAC key"},
                      KeyCase{"8", "(8) Decrypt new VISA Master key with current VISA Master key"},
                      KeyCase{"9", "(9) Send VISA key table to Terminal"},
                      KeyCase{"?", "(?) Remote Key Transport"},
                      KeyCase{"@", "(@) Public Key Certificate"}, KeyCase{":", ""},
                      KeyCase{">", ""}, KeyCase{"", ""}, KeyCase{"%", ""}),
    test::NamedBy(&KeyCase::handling));

TEST(WriteCommand7, OtherKindsKeepTypeAndKey) {
    const TDieboldMsg message(Msg({"3", "000", "001", "11", "0012550160"}));
    EXPECT_EQ(message.MsgType(), mtWriteCommand);
    EXPECT_EQ(message.Key(), "");
}

// ---------------------------------------------------------------- missing fields

using test::DecodeErrors;
using test::TDecodeErrorCase;

// Field 4 is read only by Write Command III, VIII and VII.
INSTANTIATE_TEST_SUITE_P(
    WriteCommand, DecodeErrors,
    ::testing::Values(
        TDecodeErrorCase{Msg({"3", "000", "001"}), "List index out of bounds (3)"},
        TDecodeErrorCase{Msg({"3", "000", "001", "13"}), "List index out of bounds (4)"},
        TDecodeErrorCase{Msg({"3", "000", "001", "16"}), "List index out of bounds (4)"},
        TDecodeErrorCase{Msg({"3", "000", "001", "31"}), "List index out of bounds (4)"}),
    test::NamedBy(&test::TDecodeErrorCase::Error));

TEST(WriteCommand, NeedsNoField4ForOtherKinds) {
    for (const std::string kind : {"11", "2", "1A"}) {
        const auto result = DecodeMessage(Msg({"3", "000", "001", kind}));
        EXPECT_TRUE(result.Ok) << kind << ": " << result.Error;
    }
}

// ---------------------------------------------------------------- end to end

class WriteCommandEndToEnd : public ::testing::TestWithParam<BodyCase> {};

TEST_P(WriteCommandEndToEnd, ThroughVelquistDecode) {
    const auto run =
        test::RunProcess({VELQUIST_DECODE_PATH, "--mode", "string", "--text",
                          "3~005~017~" + GetParam().field3 +
                              (GetParam().field4.empty() ? "" : "~") + GetParam().field4},
                         "");
    EXPECT_EQ(run.ExitCode, 0) << run.Err;
    EXPECT_EQ(run.Out, "Write Command (33)\r\nLogical Unit Number = 005\r\n"
                       "Message Sequence Number = 017\r\n" +
                           GetParam().body);
}

INSTANTIATE_TEST_SUITE_P(Kinds, WriteCommandEndToEnd, ::testing::ValuesIn(kKinds),
                         test::NamedBy([](const BodyCase& c) {
                             return c.field3 + " " + c.field4;
                         }));

} // namespace
} // namespace velquist
