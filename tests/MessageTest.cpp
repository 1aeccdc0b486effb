#include "TestUtil.h"
#include "UDiebold.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <string>

namespace velquist {
namespace {

using namespace std::string_literals;
using test::Msg;

// ---------------------------------------------------------------- classification

struct ClassCase {
    std::string message;
    TDMsgType expected;
};

class Classification : public ::testing::TestWithParam<ClassCase> {};

TEST_P(Classification, ByFirstTwoCharactersOfTheWholeMessage) {
    EXPECT_EQ(ClassifyMessage(GetParam().message), GetParam().expected)
        << "message: " << GetParam().message;
}

INSTANTIATE_TEST_SUITE_P(
    Table, Classification,
    ::testing::Values(ClassCase{"11", mtCustomerRequest}, ClassCase{"12", mtUnsolicited},
                      ClassCase{"1", mtOperationalCommand}, ClassCase{"13", mtOperationalCommand},
                      ClassCase{"1\x1C", mtOperationalCommand},
                      ClassCase{"10", mtOperationalCommand}, ClassCase{"22", mtSolicited},
                      ClassCase{"21", mtUnknown}, ClassCase{"2", mtUnknown},
                      ClassCase{"23", mtUnknown}, ClassCase{"31", mtWriteCommand},
                      ClassCase{"3\x1C", mtWriteCommand}, ClassCase{"3", mtWriteCommand},
                      ClassCase{"32", mtUnknown}, ClassCase{"41", mtFunctionCommand},
                      ClassCase{"4", mtFunctionCommand}, ClassCase{"42", mtUnknown},
                      ClassCase{"52", mtUnknown}, ClassCase{"AB", mtUnknown},
                      ClassCase{"\x1C"
                                "11",
                                mtUnknown},
                      ClassCase{" 11", mtUnknown},
                      ClassCase{"\0"
                                "2"s,
                                mtUnknown}),
    test::NamedBy(&ClassCase::message));

TEST(MsgTypeName, TableInDeclarationOrder) {
    EXPECT_EQ(MsgTypeName(mtUnknown), "mtUnknown");
    EXPECT_EQ(MsgTypeName(mtCustomerRequest), "mtCustomerRequest");
    EXPECT_EQ(MsgTypeName(mtSolicited), "mtSolicited");
    EXPECT_EQ(MsgTypeName(mtUnsolicited), "mtUnsolicited");
    EXPECT_EQ(MsgTypeName(mtFunctionCommand), "mtFunctionCommand");
    EXPECT_EQ(MsgTypeName(mtWriteCommand), "mtWriteCommand");
    EXPECT_EQ(MsgTypeName(mtWriteCommand7), "mtWriteCommand7");
    EXPECT_EQ(MsgTypeName(mtOperationalCommand), "mtOperationalCommand");
}

// Either name leads back to its type, in any case, and no two types share one.
TEST(MsgTypeName, EitherNameFindsItsType) {
    std::set<std::string_view> names;
    for (const TDMsgType type : AllMsgTypes()) {
        for (const std::string_view name : {MsgTypeName(type), MsgTypeDisplayName(type)}) {
            ASSERT_FALSE(name.empty());
            EXPECT_TRUE(names.insert(name).second) << name;
            EXPECT_EQ(MsgTypeFromName(name), type);
            std::string upper(name);
            std::transform(upper.begin(), upper.end(), upper.begin(),
                           [](char c) { return c >= 'a' && c <= 'z' ? c - 32 : c; });
            EXPECT_EQ(MsgTypeFromName(upper), type);
        }
    }
    EXPECT_EQ(names.size(), 16u);
    EXPECT_EQ(MsgTypeDisplayName(mtWriteCommand7), "Key Change");
    EXPECT_EQ(MsgTypeFromName("Consumer"), std::nullopt);
}

// ---------------------------------------------------------------- splitting

struct SplitCase {
    std::string message;
    std::vector<std::string> fields;
};

class Splitting : public ::testing::TestWithParam<SplitCase> {};

TEST_P(Splitting, AtEveryFieldSeparator) {
    const std::string& message = GetParam().message;
    const TDieboldMsg decoded(message);
    const auto fields = decoded.Fields();
    EXPECT_EQ(std::vector<std::string>(fields.begin(), fields.end()), GetParam().fields);

    std::vector<std::string> tabled;
    for (const TByteRange& field : FieldTable(message)) {
        tabled.push_back(message.substr(field.Offset, field.Length));
    }
    EXPECT_EQ(tabled, GetParam().fields);
}

INSTANTIATE_TEST_SUITE_P(Table, Splitting,
                         ::testing::Values(SplitCase{"AB", {"AB"}},
                                           SplitCase{"AB\x1C"
                                                     "CD",
                                                     {"AB", "CD"}},
                                           SplitCase{"22\x1C"
                                                     "000\x1C\x1C"
                                                     "9",
                                                     {"22", "000", "", "9"}},
                                           SplitCase{"AB\x1C", {"AB", ""}},
                                           SplitCase{"\x1C", {"", ""}},
                                           SplitCase{"\x1C\x1C", {"", "", ""}},
                                           SplitCase{"A\x1D"
                                                     "B\x1C\0"s,
                                                     {"A\x1D"
                                                      "B",
                                                      "\0"s}}),
                         test::NamedBy(&SplitCase::message));

// ---------------------------------------------------------------- field listing

TEST(FieldListing, ListsEveryFieldInHex) {
    EXPECT_EQ(TDieboldMsg(Msg({"AB", "CD"})).GetDecodedText(),
              "mtUnknown\r\nDieField[0] = 41 42\r\nDieField[1] = 43 44\r\n");
}

TEST(FieldListing, EmptyAndTrailingFieldsShowNothingAfterTheEqualsSign) {
    EXPECT_EQ(TDieboldMsg(Msg({"AB", "", "C", ""})).GetDecodedText(),
              "mtUnknown\r\nDieField[0] = 41 42\r\nDieField[1] = \r\n"
              "DieField[2] = 43\r\nDieField[3] = \r\n");
}

TEST(FieldListing, IndicesGoOnPast255) {
    std::string message = "99";
    for (int i = 0; i < 300; ++i) {
        message += "\x1C"
                   "x";
    }
    const std::string text = TDieboldMsg(message).GetDecodedText();
    EXPECT_NE(text.find("\r\nDieField[256] = 78\r\n"), std::string::npos);
    EXPECT_TRUE(text.ends_with("\r\nDieField[300] = 78\r\n"));
}

TEST(FieldListing, ShowsEveryByteValue) {
    std::string field;
    for (int b = 0; b < 256; ++b) {
        if (b != 0x1C) {
            field.push_back(static_cast<char>(b));
        }
    }
    const std::string text = TDieboldMsg(Msg({"ZZ", field})).GetDecodedText();
    EXPECT_NE(text.find("DieField[1] = 00 01 02"), std::string::npos);
    EXPECT_NE(text.find("1B 1D 1E"), std::string::npos);
    EXPECT_TRUE(text.ends_with("FD FE FF\r\n"));
}

// ---------------------------------------------------------------- errors

using test::DecodeErrors;
using test::TDecodeErrorCase;

// The message object throws the error, and the decode action hands it on with
// nothing decoded, but with the message's type and fields.
TEST_P(DecodeErrors, NameTheFirstMissingField) {
    const std::string& message = GetParam().Message;
    try {
        const TDieboldMsg decoded(message);
        FAIL() << "decoded: " << decoded.GetDecodedText();
    } catch (const EDecodeError& error) {
        EXPECT_EQ(std::string(error.what()), GetParam().Error);
    }
    TDecodeOptions options;
    options.Structure = true;
    const TDecodeResult result = DecodeMessage(message, options);
    EXPECT_FALSE(result.Ok);
    EXPECT_EQ(result.Error, GetParam().Error);
    EXPECT_EQ(result.Text, "");
    EXPECT_TRUE(result.Lines.empty());
    EXPECT_EQ(result.Type, ClassifyMessage(message));
    EXPECT_EQ(result.Fields, FieldTable(message));
}

INSTANTIATE_TEST_SUITE_P(
    OperationalCommand, DecodeErrors,
    ::testing::Values(TDecodeErrorCase{"", "Empty message"},
                      TDecodeErrorCase{"1", "List index out of bounds (1)"},
                      TDecodeErrorCase{Msg({"1", "001"}), "List index out of bounds (2)"},
                      TDecodeErrorCase{Msg({"1", "001", "002"}), "List index out of bounds (3)"}),
    test::NamedBy(&test::TDecodeErrorCase::Error));

TEST(DecodeMessage, ReturnsTextOrTheOneError) {
    const auto good = DecodeMessage(Msg({"AB", "CD"}));
    EXPECT_TRUE(good.Ok);
    EXPECT_EQ(good.Text, "mtUnknown\r\nDieField[0] = 41 42\r\nDieField[1] = 43 44\r\n");
    EXPECT_EQ(good.Error, "");

    const auto bad = DecodeMessage("1");
    EXPECT_FALSE(bad.Ok);
    EXPECT_EQ(bad.Text, "");
    EXPECT_EQ(bad.Error, "List index out of bounds (1)");

    const auto empty = DecodeMessage("");
    EXPECT_FALSE(empty.Ok);
    EXPECT_EQ(empty.Error, "Empty message");
}

// ---------------------------------------------------------------- operational command

struct CommandCase {
    std::string field3;
    std::string name;
};

class OperationalCommand : public ::testing::TestWithParam<CommandCase> {};

TEST_P(OperationalCommand, NamesCharacterOneOfField3) {
    EXPECT_EQ(TDieboldMsg(Msg({"1", "001", "002", GetParam().field3})).GetDecodedText(),
              "Operational Command (31)\r\nLogical Unit Number = 001\r\n"
              "Message Sequence Number = 002\r\nCommand Code = " +
                  GetParam().name);
}

INSTANTIATE_TEST_SUITE_P(
    Table, OperationalCommand,
    ::testing::Values(CommandCase{"1", "Go in-service to consumers (startup)"},
                      CommandCase{"2", "Go out-of-service to consumers (shutdown)"},
                      CommandCase{"3", "Configuration information request"},
                      CommandCase{"3ABC", "Configuration information request"},
                      CommandCase{"4", "Close vandal shield and allow future operations"},
                      CommandCase{"5", "Open vandal shield and disallow future operations"},
                      CommandCase{"6", "Authorize terminal to unlock safe door solenoid lock"},
                      CommandCase{"7",
                                  "Do not authorize terminal to unlock safe door solenoid lock"},
                      CommandCase{"0", ""}, CommandCase{"8", ""}, CommandCase{"9", ""},
                      CommandCase{"A", ""}, CommandCase{"", ""}, CommandCase{" 1", ""}),
    test::NamedBy(&CommandCase::name));

TEST(OperationalCommand, HeaderFieldsAreCopiedUnchanged) {
    const std::string text =
        TDieboldMsg(Msg({"13", "A\r\nB", "%s%d%%", "2", "extra"})).GetDecodedText();
    EXPECT_EQ(text, "Operational Command (31 33)\r\nLogical Unit Number = A\r\nB\r\n"
                    "Message Sequence Number = %s%d%%\r\n"
                    "Command Code = Go out-of-service to consumers (shutdown)");
}

} // namespace
} // namespace velquist
