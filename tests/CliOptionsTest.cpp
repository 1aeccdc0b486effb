#include "CliOptions.h"
#include "TestUtil.h"

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
    EXPECT_EQ(Parse({"-m", "raw"}).Options.Mode, TInputMode::Raw);
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
                      BadCase{{"--text", "31", "a.txt"}, "give either --text or FILE, not both"}),
    test::NamedBy([](const BadCase& c) {
        std::string args;
        for (const auto arg : c.args) {
            args.append(arg).push_back(' ');
        }
        return args;
    }));

} // namespace
} // namespace velquist::cli
