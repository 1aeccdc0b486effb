// velquist-decode --trace from the outside: the listing, JSON Lines, the
// statistics, filters, masking and redaction, bad input and exit statuses.

#include "ProcessRunner.h"
#include "TestUtil.h"
#include "TraceRender.h"
#include "Traffic.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <ostream>
#include <sstream>

namespace velquist::test {
namespace {

const std::string kDecoder = VELQUIST_DECODE_PATH;

TProcessResult Trace(std::vector<std::string> args, const std::string& input = {},
                     const TProcessOptions& options = {}) {
    args.insert(args.begin(), {kDecoder, "--trace"});
    return RunProcess(args, input, options);
}

std::vector<nlohmann::json> JsonLines(const std::string& out) {
    std::vector<nlohmann::json> objects;
    std::istringstream lines(out);
    for (std::string line; std::getline(lines, line);) {
        objects.push_back(nlohmann::json::parse(line));
    }
    return objects;
}

// A request, its command and the status, dumped by xxd after their times; then
// a request of another terminal that is never answered.
std::string SmallTrace() {
    std::string text;
    const std::pair<const char*, std::string> messages[] = {
        {"10:00:00.000 RECV", capture::ConsumerRequest("001", '1')},
        {"10:00:00.250 SEND", capture::FunctionCommand("001", '1')},
        {"10:00:00.300 RECV", capture::SolicitedStatus("001")},
        {"10:00:01.000 RECV", capture::ConsumerRequest("002", '1')},
    };
    for (const auto& [header, message] : messages) {
        text.append(header).append("\n");
        for (const auto& line : XxdDump(message, 16, 2).Lines) {
            text.append(line).append("\n");
        }
    }
    return text;
}

TEST(TraceCli, ListsEveryMessageWithItsPairingAndTimes) {
    const auto run = Trace({}, SmallTrace());
    EXPECT_EQ(run.ExitCode, 0);
    EXPECT_EQ(run.Err, "");
    EXPECT_EQ(run.Out,
              "1  10:00:00.000000              terminal  001  Consumer Request\n"
              "2  10:00:00.250000   +0.250000  host      001  Function Command  Dispense, "
              "deliver, and print  response 0.250000 s\n"
              "3  10:00:00.300000   +0.050000  terminal  001  Solicited Status  Ready  status "
              "0.050000 s\n"
              "4  10:00:01.000000   +0.700000  terminal  002  Consumer Request\n");
}

TEST(TraceCli, WritesJsonLinesWithTheDecodeOnRequest) {
    const auto run = Trace({"--json", "--decode"}, SmallTrace());
    ASSERT_EQ(run.ExitCode, 0);
    const auto objects = JsonLines(run.Out);
    ASSERT_EQ(objects.size(), 4u);
    EXPECT_EQ(objects[0]["first_line"], 2);
    EXPECT_EQ(objects[0]["last_line"], 7);
    EXPECT_EQ(objects[0]["response_in"], 2);
    EXPECT_EQ(objects[1]["response_time"], 0.25);
    EXPECT_EQ(objects[1]["decode"]["ok"], true);
    EXPECT_EQ(objects[1]["decode"]["type"], "mtFunctionCommand");
    EXPECT_EQ(objects[3]["luno"], "002");
    EXPECT_FALSE(objects[3].contains("response_in"));
}

TEST(TraceCli, DecodesBelowEachLine) {
    const auto run = Trace({"--decode", "--type", "Solicited Status"}, SmallTrace());
    ASSERT_EQ(run.ExitCode, 0);
    EXPECT_EQ(run.Out.substr(0, run.Out.find('\n') + 1),
              "3  10:00:00.300000   +0.050000  terminal  001  Solicited Status  Ready  status "
              "0.050000 s\n");
    EXPECT_NE(run.Out.find("\n    Logical Unit Number = 001\n"), std::string::npos);
    EXPECT_EQ(run.Out.find('\r'), std::string::npos);
}

TEST(TraceCli, CountsTheMessagesChosen) {
    const auto all = Trace({"--stats", "--json"}, SmallTrace());
    ASSERT_EQ(all.ExitCode, 0);
    const auto stats = nlohmann::json::parse(all.Out);
    EXPECT_EQ(stats["messages"], 4);
    EXPECT_EQ(stats["terminals"], nlohmann::json({{"001", 3}, {"002", 1}}));
    EXPECT_EQ(stats["unanswered"], 1);
    EXPECT_EQ(stats["response_time"]["max"], 0.25);
    const auto one = Trace({"--stats", "--json", "--luno", "002"}, SmallTrace());
    EXPECT_EQ(nlohmann::json::parse(one.Out)["messages"], 1);
    const auto text = Trace({"--stats"}, SmallTrace());
    EXPECT_NE(text.Out.find("Requests never answered: 1\n"), std::string::npos);
}

TEST(TraceCli, FiltersCombine) {
    const auto run = Trace({"--json", "--type", "mtCustomerRequest", "--unanswered"}, SmallTrace());
    const auto objects = JsonLines(run.Out);
    ASSERT_EQ(objects.size(), 1u);
    EXPECT_EQ(objects[0]["index"], 4);
    EXPECT_EQ(JsonLines(Trace({"--json", "--slower", "0.2"}, SmallTrace()).Out).size(), 1u);
    EXPECT_EQ(JsonLines(Trace({"--json", "--slower", "0.25"}, SmallTrace()).Out).size(), 0u);
    EXPECT_EQ(JsonLines(Trace({"--json", "--match", "READY"}, SmallTrace()).Out).size(), 1u);
}

TEST(TraceCli, MasksCardDataInHexAndText) {
    const auto run = Trace({"--json", "--decode", "--mask", "--luno", "002"}, SmallTrace());
    const auto objects = JsonLines(run.Out);
    ASSERT_EQ(objects.size(), 1u);
    const std::string hex = objects[0]["hex"];
    EXPECT_NE(hex.find("2a2a2a2a"), std::string::npos);
    EXPECT_EQ(hex.find(Hex("4761739001010010", false)), std::string::npos);
    const std::string text = objects[0]["decode"]["text"];
    EXPECT_NE(text.find("Track-2 data = 476173******0010="), std::string::npos);
}

TEST(TraceCli, ReadsAMappedFileAsItReadsAPipe) {
    TTraceGen gen(2, {std::begin(kTextStyles), std::end(kTextStyles)});
    gen.Add(100);
    const TempFile file(gen.Text);
    const auto mapped = Trace({"--json", file.Path()});
    const auto piped = Trace({"--json", "-"}, gen.Text);
    ASSERT_EQ(mapped.ExitCode, 0);
    EXPECT_EQ(mapped.Out, piped.Out);
    EXPECT_EQ(JsonLines(mapped.Out).size(), gen.Expected.size());
}

// The trace handed back with its card data masked reads as the same messages
// with those bytes masked; every line stays where it stood.
TEST(TraceCli, RedactsTheTraceItself) {
    TTraceGen gen(8, {std::begin(kTextStyles), std::end(kTextStyles)});
    gen.Repeats = false;
    gen.Add(80);
    const auto redacted = Trace({"--redact"}, gen.Text);
    ASSERT_EQ(redacted.ExitCode, 0);
    ASSERT_EQ(redacted.Out.size(), gen.Text.size());
    EXPECT_NE(redacted.Out, gen.Text);
    EXPECT_EQ(std::count(redacted.Out.begin(), redacted.Out.end(), '\n'),
              std::count(gen.Text.begin(), gen.Text.end(), '\n'));
    const auto before = JsonLines(Trace({"--json", "--mask"}, gen.Text).Out);
    const auto after = JsonLines(Trace({"--json"}, redacted.Out).Out);
    ASSERT_EQ(after.size(), before.size());
    for (std::size_t i = 0; i < before.size(); ++i) {
        EXPECT_EQ(after[i]["hex"], before[i]["hex"]) << "message " << i + 1;
    }
}

struct TBadInputCase {
    std::string Name;
    std::vector<std::string> Args;
    std::string Input;
    int ExitCode;
    std::string Err;
};

void PrintTo(const TBadInputCase& c, std::ostream* out) {
    *out << c.Name;
}

class TraceCliBadInput : public ::testing::TestWithParam<TBadInputCase> {};

TEST_P(TraceCliBadInput, SaysWhatIsWrong) {
    const auto& c = GetParam();
    const auto run = Trace(c.Args, c.Input);
    EXPECT_EQ(run.ExitCode, c.ExitCode);
    EXPECT_EQ(run.Err, c.Err);
    EXPECT_EQ(run.Out, "");
}

INSTANTIATE_TEST_SUITE_P(
    Table, TraceCliBadInput,
    ::testing::Values(
        TBadInputCase{"NoMessage",
                      {},
                      "just a log line\n",
                      1,
                      "velquist-decode: no message found in standard input\n"},
        TBadInputCase{"NoMessageInText",
                      {"--text", "hello"},
                      "",
                      1,
                      "velquist-decode: no message found in the text\n"},
        TBadInputCase{"Unreadable",
                      {"/nonexistent/day.log"},
                      "",
                      2,
                      "velquist-decode: cannot read '/nonexistent/day.log': No such file or "
                      "directory\n"},
        TBadInputCase{
            "Directory", {"/"}, "", 2, "velquist-decode: cannot read '/': Is a directory\n"},
        TBadInputCase{"UnknownLayout",
                      {"--layout", "pcap"},
                      "",
                      2,
                      "velquist-decode: unknown layout 'pcap' (use auto, dump, netadrd, lines, "
                      "be2, le2 or ascii4) (see --help)\n"},
        TBadInputCase{"RedactWithJson",
                      {"--redact", "--json"},
                      "",
                      2,
                      "velquist-decode: --redact writes the whole trace back: it takes no "
                      "--json, --stats, --decode or filter (see --help)\n"}),
    [](const auto& info) { return info.param.Name; });

TEST(TraceCli, ReportsOutputThatCannotBeWritten) {
    const auto run = Trace({}, SmallTrace(), {.Stdout = TStdout::DevFull});
    EXPECT_EQ(run.ExitCode, 3);
    EXPECT_EQ(run.Err,
              "velquist-decode: cannot write to standard output: No space left on device\n");
}

} // namespace
} // namespace velquist::test
