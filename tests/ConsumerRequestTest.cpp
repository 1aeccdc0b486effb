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

TEST(ConsumerRequest, DecodesEveryFieldAndTheLastTransactionStatus) {
    const TDieboldMsg message(
        Msg({"11", "001", "", "A1B2", "0A", "1234=5678", "", "AAB", "00002000", "", "6012310"}));
    EXPECT_EQ(message.GetDecodedText(),
              Lines({"Consumer Request (31 31)", "Logical Unit Number = 001",
                     "Time Variant Number = A1B2", "Top-Of-Form Flag = 0",
                     "Message Coordination Number = A", "Track-2 data = 1234=5678",
                     "Track-3 data = ", "Operation Key Buffer = AAB",
                     "Dollar/Cents Keyboard Entry = 00002000",
                     "PIN Buffer = ", "Last Transaction Status:", "- Last Trx Serial Number = 0123",
                     "- Function command Response = (1) Ready 9 or B",
                     "- Retract operation = 0 - No retract operation occurred"}));
    EXPECT_EQ(message.Track2(), "1234=5678");
    EXPECT_EQ(message.PinBuffer(), "");
}

TEST(ConsumerRequest, RemembersTrack2AndPinBuffer) {
    const TDieboldMsg message(Msg({"11", "1", "", "2", "34", ";12=3?", "", "", "", "0?:\xFF"}));
    EXPECT_EQ(message.Track2(), ";12=3?");
    EXPECT_EQ(message.PinBuffer(), "0FAF");
}

// ---------------------------------------------------------------- field 4

struct Field4Case {
    std::string field4;
    std::string lines;
};

class ConsumerRequestField4 : public ::testing::TestWithParam<Field4Case> {};

TEST_P(ConsumerRequestField4, MissingCharactersShowNothing) {
    const std::string text =
        TDieboldMsg(Msg({"11", "1", "", "2", GetParam().field4, "", "", "", "", ""}))
            .GetDecodedText();
    EXPECT_NE(text.find("\r\n" + GetParam().lines + "Track-2"), std::string::npos) << text;
}

INSTANTIATE_TEST_SUITE_P(
    Table, ConsumerRequestField4,
    ::testing::Values(Field4Case{"", "Top-Of-Form Flag = \r\nMessage Coordination Number = \r\n"},
                      Field4Case{"1", "Top-Of-Form Flag = 1\r\nMessage Coordination Number = \r\n"},
                      Field4Case{"12",
                                 "Top-Of-Form Flag = 1\r\nMessage Coordination Number = 2\r\n"}),
    test::NamedBy(&Field4Case::field4));

// ---------------------------------------------------------------- last transaction status

struct StatusCase {
    std::vector<std::string> fields; // the fields of the message from field 5 on
    std::string status;              // the text after the PIN buffer line
};

class LastTransactionStatus : public ::testing::TestWithParam<StatusCase> {};

TEST_P(LastTransactionStatus, FirstFieldAfterThePinBufferBeginningWith6) {
    std::string message = Msg({"11", "6001", "", "6000", "00"});
    for (const auto& field : GetParam().fields) {
        message += '\x1C' + field;
    }
    const std::string text = TDieboldMsg(message).GetDecodedText();
    const auto pin = text.find("PIN Buffer = ");
    ASSERT_NE(pin, std::string::npos);
    EXPECT_EQ(text.substr(text.find("\r\n", pin) + 2), GetParam().status);
}

std::string Status(std::string_view serial, std::string_view response, std::string_view retract) {
    return "Last Transaction Status:\r\n- Last Trx Serial Number = " + std::string(serial) +
           "\r\n- Function command Response = " + std::string(response) +
           "\r\n- Retract operation = " + std::string(retract) + "\r\n";
}

INSTANTIATE_TEST_SUITE_P(
    Table, LastTransactionStatus,
    ::testing::Values(
        // No status field: the header alone.
        StatusCase{{"", "", "", "", ""}, ""}, StatusCase{{"", "", "", "", "", "", "X6", "56"}, ""},
        // Track 2 and the PIN buffer begin with "6": the real status comes after them.
        StatusCase{{"6123=45", "", "", "", "6:;<", "", "6432131", "6999900"},
                   Status("4321", "(3) Last function command rejected",
                          "1 - Retract operation initiated during the last transaction")},
        StatusCase{{"", "", "", "", "", "6000020"},
                   Status("0000", "(2) Fault status reply", "0 - No retract operation occurred")},
        StatusCase{{"", "", "", "", "", "600000"}, Status("0000", "(0) No response", "")},
        StatusCase{
            {"", "", "", "", "", "6123456X"},
            Status("1234", "", "1 - Retract operation initiated during the last transaction")},
        StatusCase{{"", "", "", "", "", "612"}, Status("12", "", "")},
        StatusCase{{"", "", "", "", "", "6"}, Status("", "", "")},
        StatusCase{{"", "", "", "", "", "6%d%s10"},
                   Status("%d%s", "(1) Ready 9 or B", "0 - No retract operation occurred")}),
    test::NamedBy(&StatusCase::status));

// ---------------------------------------------------------------- errors

using test::DecodeErrors;
using test::TDecodeErrorCase;

// A consumer request of `fieldCount` fields, each after field 0 a "6" that could
// pass for a last transaction status.
std::string RequestOfFields(int fieldCount) {
    std::string message = "11";
    for (int i = 1; i < fieldCount; ++i) {
        message += "\x1C"
                   "6";
    }
    return message;
}

// The fields are fetched in the order 1, 3, 4 ... 9.
INSTANTIATE_TEST_SUITE_P(
    ConsumerRequest, DecodeErrors,
    ::testing::Values(TDecodeErrorCase{RequestOfFields(1), "List index out of bounds (1)"},
                      TDecodeErrorCase{RequestOfFields(2), "List index out of bounds (3)"},
                      TDecodeErrorCase{RequestOfFields(3), "List index out of bounds (3)"},
                      TDecodeErrorCase{RequestOfFields(4), "List index out of bounds (4)"},
                      TDecodeErrorCase{RequestOfFields(5), "List index out of bounds (5)"},
                      TDecodeErrorCase{RequestOfFields(8), "List index out of bounds (8)"},
                      TDecodeErrorCase{RequestOfFields(9), "List index out of bounds (9)"}),
    test::NamedBy(&test::TDecodeErrorCase::Error));

// ---------------------------------------------------------------- velquist-decode

TEST(ConsumerRequestEndToEnd, TrackPinAndStatus) {
    const auto run =
        test::RunProcess({VELQUIST_DECODE_PATH, "--mode", "string"},
                         "11~009~7~4C1F2A07~25:~;4761739001010010=25121011143878?~~ A  B~"
                         "00004000~=2;7>9:04?1<835~~6004211");
    EXPECT_EQ(run.ExitCode, 0);
    EXPECT_EQ(run.Out,
              Lines({"Consumer Request (31 31)", "Logical Unit Number = 009",
                     "Time Variant Number = 4C1F2A07", "Top-Of-Form Flag = 2",
                     "Message Coordination Number = 5",
                     "Track-2 data = ;4761739001010010=25121011143878?",
                     "Track-3 data = ", "Operation Key Buffer =  A  B",
                     "Dollar/Cents Keyboard Entry = 00004000", "PIN Buffer = D2B7E9A04F1C835",
                     "Last Transaction Status:", "- Last Trx Serial Number = 0042",
                     "- Function command Response = (1) Ready 9 or B",
                     "- Retract operation = 1 - Retract operation initiated during the last "
                     "transaction"}));
    EXPECT_EQ(run.Err, "");
}

} // namespace
} // namespace velquist
