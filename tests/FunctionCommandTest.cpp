#include "HexText.h"
#include "ProcessRunner.h"
#include "TestUtil.h"
#include "UDiebold.h"

#include <gtest/gtest.h>

#include <string>

namespace velquist {
namespace {

using namespace std::string_literals;
using test::Lines;
using test::Msg;

struct TextCase {
    std::string in;
    std::string out;
};

// ---------------------------------------------------------------- bill counts

class BillCounts : public ::testing::TestWithParam<TextCase> {};

TEST_P(BillCounts, OneLinePerPair) {
    EXPECT_EQ(TDieboldMsg::DecodeBillCounts(GetParam().in), GetParam().out);
}

INSTANTIATE_TEST_SUITE_P(
    Table, BillCounts,
    ::testing::Values(TextCase{"0200", "    > Dispense 2 A bills\r\n    > Dispense 0 B bills\r\n"},
                      TextCase{"", ""}, TextCase{"0", ""},
                      TextCase{"01020", "    > Dispense 1 A bills\r\n    > Dispense 2 B bills\r\n"},
                      TextCase{"AB 7-15 $F",
                               "    > Dispense 0 A bills\r\n    > Dispense 7 B bills\r\n"
                               "    > Dispense -1 C bills\r\n    > Dispense 0 D bills\r\n"
                               "    > Dispense 15 E bills\r\n"}),
    test::NamedBy(&TextCase::in));

TEST(BillCounts, EveryPairPast191GetsItsLine) {
    std::string field;
    for (int i = 0; i < 193; ++i) {
        field += "01";
    }
    const std::string text = TDieboldMsg::DecodeBillCounts(field);
    EXPECT_TRUE(text.starts_with("    > Dispense 1 A bills\r\n"));
    EXPECT_TRUE(text.ends_with("    > Dispense 1 \xFF bills\r\n    > Dispense 1 #192 bills\r\n"
                               "    > Dispense 1 #193 bills\r\n"));
}

// ---------------------------------------------------------------- function IDs

class FunctionIdName : public ::testing::TestWithParam<TextCase> {};

TEST_P(FunctionIdName, WholeTable) {
    EXPECT_EQ(TDieboldMsg::FunctionIdName(GetParam().in), GetParam().out);
}

// The texts as the terminal documentation has them, misspellings included.
INSTANTIATE_TEST_SUITE_P(
    Table, FunctionIdName,
    ::testing::Values(
        TextCase{"4", "Perform a print immediate"},
        TextCase{"=", "Write card, return card, dispense, deliver, and print"},
        TextCase{"?", "Deposit, write card, return card, dispense, deliver, and print"},
        TextCase{"A", "Perform a deposit (valid for the TABS 912 terminal only)"},
        TextCase{"D", "Perform a print and wait for for commpletion"},
        TextCase{"G", "Perform a Scuromatic deposit"},
        TextCase{"K", "Deposit envelope, return card, dispense, deliver, and print (911)"},
        TextCase{"X", "Disable IDM and allow no further operations"}, TextCase{"Z", "Do Nothing"},
        TextCase{"ZB", "Do Nothing"}, TextCase{"I", "Unknown Function ID"},
        TextCase{"N", "Unknown Function ID"}, TextCase{"Y", "Unknown Function ID"},
        TextCase{":", "Unknown Function ID"}, TextCase{"1", "Unknown Function ID"},
        TextCase{"a", "Unknown Function ID"}, TextCase{"@", "Unknown Function ID"},
        TextCase{"", "Unknown Function ID"}),
    test::NamedBy(&TextCase::out));

class FunctionIds : public ::testing::TestWithParam<TextCase> {};

TEST_P(FunctionIds, Block) {
    EXPECT_EQ(TDieboldMsg::DecodeFunctionIds(GetParam().in), GetParam().out);
}

INSTANTIATE_TEST_SUITE_P(
    Table, FunctionIds,
    ::testing::Values(
        // The screen data runs to the end of the field: the "!" is shown.
        TextCase{"0042B010000\x0F"
                 "ABPLEASE WAIT!",
                 "Function ID:\r\n\tTransaction SN     : 0042\r\n"
                 "\tFunction ID        : Perform a dispense (B)\r\n\tScreen Number      : 010\r\n"
                 "\tScreen Disp Update : 000\r\n"
                 "\tScreen Data        : \r\n\t\tRow=A Col=B Data:PLEASE WAIT!\r\n"},
        TextCase{"0042B010000", Lines({"Function ID:", "\tTransaction SN     : 0042",
                                       "\tFunction ID        : Perform a dispense (B)",
                                       "\tScreen Number      : 010", "\tScreen Disp Update : 000",
                                       "\tScreen Data        : "})},
        TextCase{"00428010000X", Lines({"Function ID:", "\tTransaction SN     : 0042",
                                        "\tFunction ID        : Dispense, deliver, and print (8)",
                                        "\tScreen Number      : 010", "\tScreen Disp Update : 000",
                                        "\tScreen Data        : X"})},
        TextCase{"004",
                 Lines({"Function ID:", "\tTransaction SN     : 004",
                        "\tFunction ID        : Unknown Function ID ()", "\tScreen Number      : ",
                        "\tScreen Disp Update : ", "\tScreen Data        : "})}),
    test::NamedBy(&TextCase::in));

// ---------------------------------------------------------------- screen data

class ScreenData : public ::testing::TestWithParam<TextCase> {};

TEST_P(ScreenData, PositioningSequencesBecomeLabels) {
    EXPECT_EQ(TDieboldMsg::DecodeScreenData(GetParam().in), GetParam().out);
}

INSTANTIATE_TEST_SUITE_P(
    Table, ScreenData,
    ::testing::Values(TextCase{"\x0F"
                               "AAHELLO\x0F"
                               "BAWORLD",
                               "\r\n\t\tRow=A Col=A Data:HELLO\r\n\t\tRow=B Col=A Data:WORLD"},
                      TextCase{"", ""}, TextCase{"\x0F", "\r\n\t\tRow= Col= Data:"},
                      TextCase{"X\x0F"
                               "A",
                               "X\r\n\t\tRow=A Col= Data:"},
                      // Row and column are taken from what follows once it has been decoded.
                      TextCase{"\x0F\x0F"
                               "AB",
                               "\r\n\t\tRow=\r Col=\n Data:\t\tRow=A Col=B Data:"},
                      TextCase{"\x0F"
                               "A\x0F"
                               "BC",
                               "\r\n\t\tRow=A Col=\r Data:\n\t\tRow=B Col=C Data:"},
                      TextCase{"A\x0E"
                               "3\n\x1B\x0C\0B"s,
                               "A\x0E"
                               "3\n\x1B\x0C\0B"s}),
    test::NamedBy(&TextCase::in));

TEST(ScreenData, LongerThan16BitPositions) {
    const std::string data = std::string(70000, 'x') + "\x0F"
                                                       "12end";
    const std::string text = TDieboldMsg::DecodeScreenData(data);
    EXPECT_EQ(text.size(), 70000u + 24u);
    EXPECT_TRUE(text.ends_with("x\r\n\t\tRow=1 Col=2 Data:end"));
}

// ---------------------------------------------------------------- card and printer

const std::string kRuleTop = "Printer Data:\r\n========================================\r\n";
const std::string kRuleEnd = "\r\n====================END=================\r\n";

TEST(CardAndPrinter, FramesOnlyTheProcessedPrinterData) {
    EXPECT_EQ(TDieboldMsg::DecodeCardAndPrinter("102THANK YOU\n\x0E"
                                                "3AMOUNT\x0C"),
              "Message Coord. Number : 1\r\nCard Flag: return card\r\n"
              "Printer flag: print on transaction record printer only\r\n"
              "Printer Data:\r\n========================================\r\n"
              "THANK YOU\r\n   AMOUNT\r\n====================END=================\r\n");
}

struct FlagCase {
    std::string field;
    std::string header; // everything before the frame
    std::string data;   // between the rules
};

class CardAndPrinter : public ::testing::TestWithParam<FlagCase> {};

TEST_P(CardAndPrinter, FlagsAndFramedData) {
    EXPECT_EQ(TDieboldMsg::DecodeCardAndPrinter(GetParam().field),
              GetParam().header + kRuleTop + GetParam().data + kRuleEnd);
}

INSTANTIATE_TEST_SUITE_P(
    Table, CardAndPrinter,
    ::testing::Values(FlagCase{"911TEXT",
                               "Message Coord. Number : 9\r\nCard Flag: retain card\r\n"
                               "Printer flag: print on journal printer only\r\n",
                               "TEXT"},
                      FlagCase{"500TEXT",
                               "Message Coord. Number : 5\r\nCard Flag: return card\r\n"
                               "Printer flag: don't print\r\n",
                               ""},
                      FlagCase{"0X3",
                               "Message Coord. Number : 0\r\nCard Flag: unknown flag\r\n"
                               "Printer flag: print on both printers\r\n",
                               ""},
                      FlagCase{"12?A",
                               "Message Coord. Number : 1\r\nCard Flag: unknown flag\r\n"
                               "Printer flag: unknown flag\r\n",
                               "A"},
                      FlagCase{"10",
                               "Message Coord. Number : 1\r\nCard Flag: return card\r\n"
                               "Printer flag: unknown flag\r\n",
                               ""},
                      FlagCase{"",
                               "Message Coord. Number : \r\nCard Flag: unknown flag\r\n"
                               "Printer flag: unknown flag\r\n",
                               ""},
                      // The coordination number and the flags are never printer controls.
                      FlagCase{"\x1B"
                               "01AB",
                               "Message Coord. Number : \x1B\r\nCard Flag: return card\r\n"
                               "Printer flag: print on journal printer only\r\n",
                               "AB"}),
    test::NamedBy(&FlagCase::field));

class PrinterData : public ::testing::TestWithParam<TextCase> {};

TEST_P(PrinterData, ControlsProcessedFromTheEnd) {
    const std::string text = TDieboldMsg::DecodeCardAndPrinter("101" + GetParam().in);
    const std::size_t start = text.find(kRuleTop) + kRuleTop.size();
    ASSERT_TRUE(text.ends_with(kRuleEnd));
    EXPECT_EQ(text.substr(start, text.size() - kRuleEnd.size() - start), GetParam().out);
}

INSTANTIATE_TEST_SUITE_P(
    Table, PrinterData,
    ::testing::Values(TextCase{"A\nB", "A\r\nB"}, TextCase{"A\r\nB", "A\r\r\nB"},
                      TextCase{"A\x0C", "A"},
                      TextCase{"A\x1B"
                               "XB",
                               "AB"},
                      TextCase{"A\x1B", "A"},
                      TextCase{"\x1B\x1B"
                               "XY",
                               ""},
                      TextCase{"A\x0E"
                               "0B",
                               "AB"},
                      TextCase{"A\x0E", "A"}, TextCase{"A\x0E/B", "AB"},
                      TextCase{"A\x0E\x01"
                               "B",
                               "AB"},
                      TextCase{"A\x0E:B", "A          B"}, TextCase{"\x0E?", "               "},
                      TextCase{"\x0E\xFF", std::string(207, ' ')},
                      // Each control sees the text after it as already processed.
                      TextCase{"A\x0E\nB", "A\nB"}, TextCase{"A\x1B\nB", "A\nB"},
                      TextCase{"A\x1B\x0E"
                               "3B",
                               "A  B"},
                      TextCase{"A\x0E\x0C"
                               "B",
                               "A                  "},
                      TextCase{"\0\x0F"s, "\0\x0F"s}),
    test::NamedBy(&TextCase::in));

TEST(PrinterData, LongerThan16BitPositions) {
    std::string expected;
    for (int i = 0; i < 70000; ++i) {
        expected += "\r\n";
    }
    expected += "  X";
    EXPECT_EQ(TDieboldMsg::DecodeCardAndPrinter("101" + std::string(70000, '\n') +
                                                "\x0E"
                                                "2X"),
              "Message Coord. Number : 1\r\nCard Flag: return card\r\n"
              "Printer flag: print on journal printer only\r\n" +
                  kRuleTop + expected + kRuleEnd);
}

// ---------------------------------------------------------------- whole messages

TEST(FunctionCommand, DecodesBillsFunctionScreenAndReceipt) {
    EXPECT_EQ(TDieboldMsg(Msg({"4", "001", "042", "123", "0200",
                               "0042B010000\x0F"
                               "ABPLEASE WAIT!",
                               "102THANK YOU\n\x0E"
                               "3AMOUNT\x0C"}))
                  .GetDecodedText(),
              Lines({"Function Command (34)",
                     "Logical Unit Number = 001",
                     "Message Sequence Number = 042",
                     "Next State ID = 123",
                     "Number of Bills: ",
                     "    > Dispense 2 A bills",
                     "    > Dispense 0 B bills",
                     "Function ID:",
                     "\tTransaction SN     : 0042",
                     "\tFunction ID        : Perform a dispense (B)",
                     "\tScreen Number      : 010",
                     "\tScreen Disp Update : 000",
                     "\tScreen Data        : ",
                     "\t\tRow=A Col=B Data:PLEASE WAIT!",
                     "Message Coord. Number : 1",
                     "Card Flag: return card",
                     "Printer flag: print on transaction record printer only",
                     "Printer Data:",
                     "========================================",
                     "THANK YOU",
                     "   AMOUNT",
                     "====================END=================",
                     ""}));
}

using test::DecodeErrors;
using test::TDecodeErrorCase;

INSTANTIATE_TEST_SUITE_P(FunctionCommand, DecodeErrors,
                         ::testing::Values(TDecodeErrorCase{Msg({"41", "001", "042", "123"}),
                                                            "List index out of bounds (4)"},
                                           TDecodeErrorCase{Msg({"41", "001", "042", "123", "01"}),
                                                            "List index out of bounds (5)"},
                                           TDecodeErrorCase{
                                               Msg({"41", "001", "042", "123", "01", "0042B"}),
                                               "List index out of bounds (6)"}),
                         test::NamedBy(&test::TDecodeErrorCase::Error));

TEST(FunctionCommand, EndToEndThroughVelquistDecode) {
    const std::string message = Msg({"4", "001", "007", "215", "0305",
                                     "12348004012\x0F"
                                     "A1ACCOUNT\x0F"
                                     "C1TAKE CASH\x0F"
                                     "J5THANKS",
                                     "312\x1B"
                                     "1BANK RECEIPT\n\x0C"
                                     "DATE 01/02\x0E"
                                     "4TIME 10:15\n\x0E"
                                     "2CASH\x0E"
                                     "480.00\n"});
    const auto run = test::RunProcess({VELQUIST_DECODE_PATH}, StrToHex(message));
    EXPECT_EQ(run.ExitCode, 0);
    EXPECT_EQ(run.Err, "");
    EXPECT_EQ(run.Out, Lines({"Function Command (34)",
                              "Logical Unit Number = 001",
                              "Message Sequence Number = 007",
                              "Next State ID = 215",
                              "Number of Bills: ",
                              "    > Dispense 3 A bills",
                              "    > Dispense 5 B bills",
                              "Function ID:",
                              "\tTransaction SN     : 1234",
                              "\tFunction ID        : Dispense, deliver, and print (8)",
                              "\tScreen Number      : 004",
                              "\tScreen Disp Update : 012",
                              "\tScreen Data        : ",
                              "\t\tRow=A Col=1 Data:ACCOUNT",
                              "\t\tRow=C Col=1 Data:TAKE CASH",
                              "\t\tRow=J Col=5 Data:THANKS",
                              "Message Coord. Number : 3",
                              "Card Flag: retain card",
                              "Printer flag: print on transaction record printer only",
                              "Printer Data:",
                              "========================================",
                              "BANK RECEIPT",
                              "DATE 01/02    TIME 10:15",
                              "  CASH    80.00",
                              "",
                              "====================END=================",
                              ""}));
}

} // namespace
} // namespace velquist
