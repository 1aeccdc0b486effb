#include "CliOptions.h"

#include <gtest/gtest.h>

#include <ostream>
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
    EXPECT_FALSE(parsed.Options.File.has_value());
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

void PrintTo(const BadCase& c, std::ostream* out) {
    for (const auto arg : c.args) {
        *out << "'" << arg << "' ";
    }
}

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
                      BadCase{{""}, "empty FILE name (use - for standard input)"},
                      BadCase{{"--", ""}, "empty FILE name (use - for standard input)"},
                      BadCase{{"--text", "31", "a.txt"}, "give either --text or FILE, not both"}));

struct ShapeCase {
    std::string input;
    TInputMode mode;
    bool fromStream;
    std::string text;
};

constexpr const char* kModeNames[] = {"raw", "hex", "netadrd", "string"};

void PrintTo(const ShapeCase& c, std::ostream* out) {
    *out << ::testing::PrintToString(c.input) << (c.fromStream ? " from a stream" : " as TEXT")
         << " in " << kModeNames[static_cast<int>(c.mode)] << " mode";
}

class CliInputShape : public ::testing::TestWithParam<ShapeCase> {};

TEST_P(CliInputShape, FollowsTheLineEndRulesOfTheMode) {
    const auto& c = GetParam();
    EXPECT_EQ(ShapeInput(c.input, c.mode, c.fromStream), c.text);
}

INSTANTIATE_TEST_SUITE_P(
    Table, CliInputShape,
    ::testing::Values(
        // Raw mode: the bytes, whatever their source.
        ShapeCase{"AB\nC\n", TInputMode::None, true, "AB\nC\n"},
        ShapeCase{"AB\r\n", TInputMode::None, true, "AB\r\n"},
        ShapeCase{"AB\nC\n", TInputMode::None, false, "AB\nC\n"},
        // The other modes: one final line end of a stream dropped, line breaks CR LF.
        ShapeCase{"31\n32\n", TInputMode::AsciiHex, true, "31\r\n32"},
        ShapeCase{"31\r\n32\r\n", TInputMode::Netadrd, true, "31\r\n32"},
        ShapeCase{"A~B\n\n", TInputMode::String, true, "A~B\r\n"},
        ShapeCase{"A~B\n", TInputMode::String, false, "A~B\r\n"}));

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
