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
                      BadCase{{"--text", "31", "a.txt"}, "give either --text or FILE, not both"},
                      // The options of a trace.
                      BadCase{{"--stats"}, "option '--stats' needs --trace"},
                      BadCase{{"--luno", "001", "x.log"}, "option '--luno' needs --trace"},
                      BadCase{{"--trace", "--mode", "hex"},
                              "--mode is for one message; give a trace's layout with --layout"},
                      BadCase{{"--trace", "--layout", "pcap"},
                              "unknown layout 'pcap' (use auto, dump, netadrd, lines, be2, le2 "
                              "or ascii4)"},
                      BadCase{{"--trace", "--type", "Banana"},
                              "unknown type 'Banana' (use e.g. mtCustomerRequest or \"Consumer "
                              "Request\")"},
                      BadCase{{"--trace", "--slower", "fast"},
                              "--slower needs a number of seconds, e.g. 0.5, not 'fast'"},
                      BadCase{{"--trace", "--slower", "1."},
                              "--slower needs a number of seconds, e.g. 0.5, not '1.'"},
                      BadCase{{"--trace", "--stats", "--decode"},
                              "--stats counts messages: it takes no --decode"},
                      BadCase{{"--trace", "--redact", "--luno", "1"},
                              "--redact writes the whole trace back: it takes no --json, --stats, "
                              "--decode or filter"},
                      BadCase{{"--trace=yes"}, "option '--trace' takes no value"}),
    test::NamedBy([](const BadCase& c) {
        std::string args;
        for (const auto arg : c.args) {
            args.append(arg).push_back(' ');
        }
        return args;
    }));

TEST(CliArguments, TraceOptions) {
    const auto parsed = Parse({"--trace", "--layout", "netadrd", "--luno", "001", "--luno=002",
                               "--type", "Function Command", "--match", "Ready", "--unanswered",
                               "--slower", "1.5", "--mask", "day.log"});
    ASSERT_EQ(parsed.Error, "");
    ASSERT_TRUE(parsed.Options.Trace.has_value());
    const TTraceOptions& trace = *parsed.Options.Trace;
    EXPECT_EQ(trace.Layout, TTraceLayout::Netadrd);
    EXPECT_EQ(trace.Filter.Lunos, (std::vector<std::string>{"001", "002"}));
    EXPECT_EQ(trace.Filter.Types, std::vector<TDMsgType>{mtFunctionCommand});
    EXPECT_EQ(trace.Filter.Match, "Ready");
    EXPECT_TRUE(trace.Filter.Unanswered);
    EXPECT_EQ(trace.Filter.SlowerThan, std::chrono::milliseconds(1'500));
    EXPECT_TRUE(trace.Filter.MaskCardData);
    EXPECT_EQ(parsed.Options.File, "day.log");
    EXPECT_FALSE(Parse({}).Options.Trace.has_value());
}

TEST(CliArguments, SecondsToTheNanosecond) {
    EXPECT_EQ(SecondsFromText("2"), std::chrono::seconds(2));
    EXPECT_EQ(SecondsFromText("0.25"), std::chrono::milliseconds(250));
    EXPECT_EQ(SecondsFromText(".5"), std::chrono::milliseconds(500));
    EXPECT_EQ(SecondsFromText("1.0000000019"), std::chrono::nanoseconds(1'000'000'001));
    EXPECT_FALSE(SecondsFromText("").has_value());
    EXPECT_FALSE(SecondsFromText("-1").has_value());
    EXPECT_FALSE(SecondsFromText("1e3").has_value());
}

} // namespace
} // namespace velquist::cli
