#include "CliOptions.h"

#include <gtest/gtest.h>

#include <vector>

namespace velquist::cli {
namespace {

TParseResult Parse(std::vector<std::string_view> args) {
    return ParseArguments(args);
}

TEST(CliArguments, DefaultsToHexModeAndStandardInput) {
    const auto parsed = Parse({});
    EXPECT_EQ(parsed.Error, "");
    EXPECT_EQ(parsed.Options.Mode, TInputMode::AsciiHex);
    EXPECT_FALSE(parsed.Options.Text.has_value());
    EXPECT_EQ(parsed.Options.File, "");
}

TEST(CliArguments, ModesByName) {
    EXPECT_EQ(Parse({"--mode", "hex"}).Options.Mode, TInputMode::AsciiHex);
    EXPECT_EQ(Parse({"--mode", "netadrd"}).Options.Mode, TInputMode::Netadrd);
    EXPECT_EQ(Parse({"--mode=string"}).Options.Mode, TInputMode::String);
    EXPECT_EQ(Parse({"-m", "raw"}).Options.Mode, TInputMode::None);
}

TEST(CliArguments, TextAndFile) {
    const auto text = Parse({"--text", "3232"});
    EXPECT_EQ(text.Error, "");
    EXPECT_EQ(text.Options.Text, "3232");
    EXPECT_EQ(Parse({"--text="}).Options.Text, "");
    EXPECT_EQ(Parse({"--text", "-x"}).Options.Text, "-x");
    EXPECT_EQ(Parse({"msg.txt"}).Options.File, "msg.txt");
    EXPECT_EQ(Parse({"-"}).Options.File, "-");
    EXPECT_EQ(Parse({"--", "-odd-name"}).Options.File, "-odd-name");
}

struct BadCase {
    std::vector<std::string_view> args;
    std::string error;
};

class CliUsageErrors : public ::testing::TestWithParam<BadCase> {};

TEST_P(CliUsageErrors, NameTheProblem) {
    EXPECT_EQ(Parse(GetParam().args).Error, GetParam().error);
}

INSTANTIATE_TEST_SUITE_P(
    Table, CliUsageErrors,
    ::testing::Values(BadCase{{"--frobnicate"}, "unknown option '--frobnicate'"},
                      BadCase{{"-x"}, "unknown option '-x'"},
                      BadCase{{"--mode", "ebcdic"},
                              "unknown mode 'ebcdic' (use hex, netadrd, string or raw)"},
                      BadCase{{"--mode"}, "option '--mode' needs a value"},
                      BadCase{{"--text"}, "option '--text' needs a value"},
                      BadCase{{"--help=yes"}, "option '--help' takes no value"},
                      BadCase{{"a.txt", "b.txt"}, "more than one FILE given: 'b.txt'"},
                      BadCase{{"--text", "31", "a.txt"}, "give either --text or FILE, not both"}));

TEST(CliInput, DropsExactlyOneFinalLineEnd) {
    const auto dropped = [](std::string text) {
        DropFinalLineEnd(text);
        return text;
    };
    EXPECT_EQ(dropped("3232\n"), "3232");
    EXPECT_EQ(dropped("3232\r\n"), "3232");
    EXPECT_EQ(dropped("3232\n\n"), "3232\n");
    EXPECT_EQ(dropped("3232\r\n\r\n"), "3232\r\n");
    EXPECT_EQ(dropped("3232\r"), "3232\r");
    EXPECT_EQ(dropped("3232"), "3232");
    EXPECT_EQ(dropped("\n"), "");
    EXPECT_EQ(dropped(""), "");
}

TEST(CliInput, LineFeedsBecomeCrLf) {
    EXPECT_EQ(ToCrLf("a\nb"), "a\r\nb");
    EXPECT_EQ(ToCrLf("a\r\nb"), "a\r\nb");
    EXPECT_EQ(ToCrLf("a\rb"), "a\rb");
    EXPECT_EQ(ToCrLf("\n\n"), "\r\n\r\n");
    EXPECT_EQ(ToCrLf("\r\r\n"), "\r\r\n");
    EXPECT_EQ(ToCrLf(""), "");
}

} // namespace
} // namespace velquist::cli
