// Runs the built velquist-decode through its contract: input from --text, a
// file or standard input, output byte for byte, errors and exit statuses.

#include "ProcessRunner.h"
#include "TestUtil.h"
#include "velquist/Version.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <cctype>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <tuple>

namespace velquist::test {
namespace {

using namespace std::string_literals;

const std::string kDecoder = VELQUIST_DECODE_PATH;

TProcessResult Decode(std::vector<std::string> args, const std::string& input = {},
                      const TProcessOptions& options = {}) {
    args.insert(args.begin(), kDecoder);
    return RunProcess(args, input, options);
}

const std::string kListing = "mtUnknown\r\nDieField[0] = 41 42\r\nDieField[1] = 43 44\r\n";

TEST(CliEndToEnd, DecodesTextArgument) {
    const auto run = Decode({"--text", "41421C4344"});
    EXPECT_EQ(run.ExitCode, 0);
    EXPECT_EQ(run.Out, kListing);
    EXPECT_EQ(run.Err, "");
}

TEST(CliEndToEnd, DecodesStandardInputAndDropsOneLineEnd) {
    for (const std::string input : {"41421C4344", "41421C4344\n", "41421C4344\r\n"}) {
        const auto run = Decode({}, input);
        EXPECT_EQ(run.ExitCode, 0) << input;
        EXPECT_EQ(run.Out, kListing) << input;
    }
    EXPECT_EQ(Decode({"-"}, "41421C4344\n").Out, kListing);
}

TEST(CliEndToEnd, DecodesFile) {
    const TempFile file("41421C4344\n");
    const auto run = Decode({file.Path()});
    EXPECT_EQ(run.ExitCode, 0);
    EXPECT_EQ(run.Out, kListing);
}

TEST(CliEndToEnd, LineBreakInsideHexInputIsAPair) {
    // The text becomes "4142" CR LF "1C4344": the CR LF is one pair, a 0x00 byte.
    const auto run = Decode({"--text", "4142\n1C4344"});
    EXPECT_EQ(run.ExitCode, 0);
    EXPECT_EQ(run.Out, "mtUnknown\r\nDieField[0] = 41 42 00\r\nDieField[1] = 43 44\r\n");
}

TEST(CliEndToEnd, StringModeKeepsLineBreaksAsCrLf) {
    const auto run = Decode({"--mode", "string"}, "AB~C\nD\n");
    EXPECT_EQ(run.ExitCode, 0);
    EXPECT_EQ(run.Out, "mtUnknown\r\nDieField[0] = 41 42\r\nDieField[1] = 43 0D 0A 44\r\n");
}

TEST(CliEndToEnd, RawModeDecodesTextUnchanged) {
    const auto run = Decode({"--mode", "raw", "--text", "AB~CD"});
    EXPECT_EQ(run.ExitCode, 0);
    EXPECT_EQ(run.Out, "mtUnknown\r\nDieField[0] = 41 42 7E 43 44\r\n");
}

// A binary message keeps every byte in raw mode, line ends included: no LF turns
// into CR LF and no final line end is dropped, whichever way the bytes come.
TEST(CliEndToEnd, RawModeKeepsTheBytesOfEverySource) {
    const std::string bytes = "AB\n\x1C"
                              "C\r\n\n";
    const std::string listing =
        "mtUnknown\r\nDieField[0] = 41 42 0A\r\nDieField[1] = 43 0D 0A 0A\r\n";
    const TempFile file(bytes);
    const struct {
        const char* source;
        std::vector<std::string> args;
        std::string input;
    } cases[] = {
        {"file", {"--mode", "raw", file.Path()}, ""},
        {"standard input", {"--mode", "raw"}, bytes},
        {"standard input as -", {"--mode", "raw", "-"}, bytes},
        {"--text", {"--mode", "raw", "--text", bytes}, ""},
    };
    for (const auto& c : cases) {
        const auto run = Decode(c.args, c.input);
        EXPECT_EQ(run.ExitCode, 0) << c.source << ": " << run.Err;
        EXPECT_EQ(run.Out, listing) << c.source;
    }
}

// The other modes read a file as the window's input area would hold it.
TEST(CliEndToEnd, TextModesDropOneFinalLineEndOfAFile) {
    const TempFile file("AB~C\nD\n");
    const auto run = Decode({"--mode", "string", file.Path()});
    EXPECT_EQ(run.ExitCode, 0);
    EXPECT_EQ(run.Out, "mtUnknown\r\nDieField[0] = 41 42\r\nDieField[1] = 43 0D 0A 44\r\n");
}

TEST(CliEndToEnd, NetadrdMode) {
    const std::string trace = "0000 00000000 41421C43 44\n";
    const auto run = Decode({"--mode", "netadrd"}, trace);
    EXPECT_EQ(run.ExitCode, 0);
    EXPECT_EQ(run.Out, kListing);
}

TEST(CliEndToEnd, OperationalCommand) {
    const auto run = Decode({"--mode", "string", "--text", "1~001~002~3"});
    EXPECT_EQ(run.ExitCode, 0);
    EXPECT_EQ(run.Out, "Operational Command (31)\r\nLogical Unit Number = 001\r\n"
                       "Message Sequence Number = 002\r\n"
                       "Command Code = Configuration information request");
}

TEST(CliEndToEnd, EmptyInputDoesNothing) {
    for (const std::string input : {"", "\n", "\r\n"}) {
        const auto run = Decode({}, input);
        EXPECT_EQ(run.ExitCode, 0);
        EXPECT_EQ(run.Out, "");
        EXPECT_EQ(run.Err, "");
    }
    EXPECT_EQ(Decode({"--text", ""}).ExitCode, 0);
}

TEST(CliEndToEnd, DecodeErrorGoesToStandardError) {
    const auto run = Decode({"--mode", "string", "--text", "1~001"});
    EXPECT_EQ(run.ExitCode, 1);
    EXPECT_EQ(run.Out, "");
    EXPECT_EQ(run.Err, "Error: List index out of bounds (2)\n");

    const auto empty = Decode({"--text", "3"}); // one hex character: no bytes
    EXPECT_EQ(empty.ExitCode, 1);
    EXPECT_EQ(empty.Err, "Error: Empty message\n");
}

TEST(CliEndToEnd, UsageErrorsExitWithTwo) {
    for (const auto& args : std::vector<std::vector<std::string>>{
             {"--bogus"}, {"--mode", "xml"}, {"/nonexistent/dir/message.txt"}, {"a", "b"}, {""}}) {
        const auto run = Decode(args);
        EXPECT_EQ(run.ExitCode, 2) << args.front();
        EXPECT_EQ(run.Out, "");
        EXPECT_NE(run.Err, "");
        EXPECT_EQ(run.Err.find('\n'), run.Err.size() - 1) << "one line: " << run.Err;
    }
}

TEST(CliEndToEnd, HelpAndVersion) {
    const auto help = Decode({"--help"});
    EXPECT_EQ(help.ExitCode, 0);
    EXPECT_NE(help.Out.find("Usage: velquist-decode"), std::string::npos);
    const auto version = Decode({"--version"});
    EXPECT_EQ(version.ExitCode, 0);
    EXPECT_EQ(version.Out, std::string("velquist-decode ") + kVersion + "\n");
}

// Standard output that takes nothing: a full device, or a pipe whose reader has
// gone away (the program must not die silently by SIGPIPE).
class CliOutputFailure : public ::testing::TestWithParam<TStdout> {
protected:
    void SetUp() override {
        if (GetParam() == TStdout::DevFull && !std::filesystem::exists("/dev/full")) {
            GTEST_SKIP() << "no /dev/full on this system";
        }
    }

    TProcessResult DecodeTo(std::vector<std::string> args, const std::string& input = {}) {
        TProcessOptions options;
        options.Stdout = GetParam();
        return Decode(std::move(args), input, options);
    }
};

TEST_P(CliOutputFailure, ExitsWithThreeAndOneLine) {
    const struct {
        const char* what;
        std::vector<std::string> args;
        std::string input;
    } cases[] = {
        {"help", {"--help"}, ""},
        {"version", {"--version"}, ""},
        {"decoded text", {"--text", "41421C4344"}, ""},
        {"JSON", {"--json", "--text", "41421C4344"}, ""},
        {"long decoded text", {}, std::string(1 << 20, 'A')},
    };
    for (const auto& c : cases) {
        const auto run = DecodeTo(c.args, c.input);
        EXPECT_EQ(run.ExitCode, 3) << c.what;
        EXPECT_TRUE(run.Err.starts_with("velquist-decode: cannot write to standard output: "))
            << c.what << ": " << run.Err;
        EXPECT_EQ(run.Err.find('\n'), run.Err.size() - 1) << c.what << ", one line: " << run.Err;
    }
}

// The JSON of a message that cannot be decoded is output too: both problems
// are told.
TEST_P(CliOutputFailure, JsonOfAnErrorTellsBoth) {
    const auto run = DecodeTo({"--json", "--text", "31"});
    EXPECT_EQ(run.ExitCode, 3);
    EXPECT_TRUE(run.Err.starts_with("Error: List index out of bounds (1)\n"
                                    "velquist-decode: cannot write to standard output: "))
        << run.Err;
}

TEST_P(CliOutputFailure, NothingToWriteIsNoFailure) {
    const auto error = DecodeTo({"--mode", "string", "--text", "1~001"});
    EXPECT_EQ(error.ExitCode, 1);
    EXPECT_EQ(error.Err, "Error: List index out of bounds (2)\n");
    const auto empty = DecodeTo({}, "\n");
    EXPECT_EQ(empty.ExitCode, 0);
    EXPECT_EQ(empty.Err, "");
}

INSTANTIATE_TEST_SUITE_P(Targets, CliOutputFailure,
                         ::testing::Values(TStdout::DevFull, TStdout::ClosedPipe),
                         [](const auto& info) {
                             return info.param == TStdout::DevFull ? "DevFull" : "ClosedPipe";
                         });

TEST(CliEndToEnd, OutputIsByteForByteWithControlBytes) {
    // Field 1 of an operational command is copied into the header unchanged.
    const auto run = Decode({"--mode", "raw"}, "1\x1C\x00\x01\r\x1B\xFF\x1C"
                                               "2\x1C"
                                               "1"s);
    EXPECT_EQ(run.ExitCode, 0);
    EXPECT_EQ(run.Out, "Operational Command (31)\r\nLogical Unit Number = \x00\x01\r\x1B\xFF\r\n"
                       "Message Sequence Number = 2\r\n"
                       "Command Code = Go in-service to consumers (startup)"s);
}

#if defined(__SANITIZE_ADDRESS__)
#define VELQUIST_ASAN 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define VELQUIST_ASAN 1
#endif
#endif

// The address space a program may map, the way `ulimit -v` limits it; the
// program itself takes about 6 MiB of it.
class CliLimitedMemory : public ::testing::Test {
protected:
    static constexpr std::size_t kMiB = std::size_t{1} << 20;

    void SetUp() override {
#ifdef VELQUIST_ASAN
        GTEST_SKIP() << "AddressSanitizer's shadow memory needs more address space than any limit";
#endif
        if (!kCanLimitAddressSpace) {
            GTEST_SKIP()
                << "these cases need a limit on the program's address space, which Windows "
                   "cannot set (a job object limits committed memory instead)";
        }
    }

    static TProcessResult DecodeWithin(std::size_t limit, std::vector<std::string> args,
                                       const std::string& input = {}) {
        TProcessOptions options;
        options.AddressSpaceLimit = limit;
        return Decode(std::move(args), input, options);
    }
};

// A 2 MiB message in hex decodes in 48 MiB (about 15 MiB at its peak): the room the
// program sets aside for the decode is the room the decode uses.
TEST_F(CliLimitedMemory, LargeMessageDecodesInLittleRoom) {
    std::string hex = "39";
    while (hex.size() < 4 * kMiB) {
        hex += "41424344";
    }
    const auto unlimited = Decode({}, hex);
    ASSERT_EQ(unlimited.ExitCode, 0);
    const TempFile file(hex);
    for (const auto& [source, args, input] :
         {std::tuple<const char*, std::vector<std::string>, std::string>{"file", {file.Path()}, ""},
          {"standard input", {}, hex}}) {
        const auto run = DecodeWithin(48 * kMiB, args, input);
        EXPECT_EQ(run.ExitCode, 0) << source << ": " << run.Err;
        EXPECT_EQ(run.Out.size(), unlimited.Out.size()) << source;
        EXPECT_TRUE(run.Out == unlimited.Out) << source;
    }
}

// 12 MiB in raw mode lists as 36 MiB of text: more than a program limited to 32 MiB
// can hold. The decode ends with the error and writes nothing.
TEST_F(CliLimitedMemory, OutOfMemoryEndsCleanly) {
    const std::string message(12 * kMiB, 'x');
    const TempFile file(message);
    for (const auto& [source, args, input] :
         {std::tuple<const char*, std::vector<std::string>, std::string>{
              "file", {"--mode", "raw", file.Path()}, ""},
          {"standard input", {"--mode", "raw"}, message}}) {
        const auto run = DecodeWithin(32 * kMiB, args, input);
        EXPECT_EQ(run.ExitCode, 1) << source;
        EXPECT_EQ(run.Out, "") << source;
        EXPECT_EQ(run.Err, "Error: Out of memory\n") << source;
    }
}

TEST(CliEndToEnd, LargeBinaryInputNeverCrashes) {
    std::string noise;
    std::uint32_t state = 12345;
    for (int i = 0; i < 1 << 20; ++i) {
        state = state * 1103515245u + 12345u;
        noise.push_back(static_cast<char>(state >> 24));
    }
    for (const char* mode : {"hex", "netadrd", "string", "raw"}) {
        const auto run = Decode({"--mode", mode}, noise);
        EXPECT_TRUE(run.ExitCode == 0 || run.ExitCode == 1) << mode << ": " << run.Err;
    }
}

// ---------------------------------------------------------------- --json, --mask

// A JSON string back to its bytes.
std::string Latin1Bytes(const nlohmann::json& string) {
    return test::Latin1Bytes(string.get<std::string>());
}

struct JsonSourceCase {
    const char* what;
    std::vector<std::string> args; // FILE stands for a file holding `input`
    std::string input;
};

class CliJson : public ::testing::TestWithParam<JsonSourceCase> {};

// Whatever the mode and the source, the JSON holds the same text as the plain
// run, and the lines that make it.
TEST_P(CliJson, HoldsThePlainDecode) {
    const JsonSourceCase& c = GetParam();
    const TempFile file(c.input);
    std::vector<std::string> args = c.args;
    for (auto& arg : args) {
        arg = arg == "FILE" ? file.Path() : arg;
    }
    const auto plain = Decode(args, c.input);
    ASSERT_EQ(plain.ExitCode, 0) << plain.Err;
    args.push_back("--json");
    const auto run = Decode(args, c.input);
    ASSERT_EQ(run.ExitCode, 0) << run.Err;
    EXPECT_EQ(run.Err, "");
    ASSERT_TRUE(run.Out.ends_with('\n'));
    EXPECT_EQ(run.Out.find('\n'), run.Out.size() - 1) << "one line";

    const auto json = nlohmann::json::parse(run.Out);
    EXPECT_TRUE(json.at("ok").get<bool>());
    EXPECT_EQ(Latin1Bytes(json.at("text")), plain.Out);
    std::string joined;
    for (const auto& line : json.at("lines")) {
        joined += Latin1Bytes(line.at("text")) + "\r\n";
    }
    EXPECT_TRUE(plain.Out == joined || plain.Out + "\r\n" == joined) << joined;
    EXPECT_FALSE(json.at("fields").empty());
}

INSTANTIATE_TEST_SUITE_P(
    ModesAndSources, CliJson,
    ::testing::Values(JsonSourceCase{"hex, --text", {"--text", "311C3030311C3030321C33"}, ""},
                      JsonSourceCase{"string, standard input", {"--mode", "string"}, "22~000~~9\n"},
                      JsonSourceCase{
                          "netadrd, file",
                          {"--mode", "netadrd", "FILE"},
                          "0000 00000000 31 1C 30 30 31 1C 30 30\n0000 00000008 32 1C 33\n"},
                      JsonSourceCase{"raw, standard input, every byte",
                                     {"--mode", "raw"},
                                     "1\x1C\x00\x01\r\n\x7F\x80\xE9\xFF\\\"\x1C"
                                     "002\x1C"
                                     "1"s}),
    test::NamedBy(&JsonSourceCase::what));

TEST(CliJson, ErrorIsOneObjectAndTheUsualLine) {
    const auto run = Decode({"--json", "--mode", "string", "--text", "22~000~"});
    EXPECT_EQ(run.ExitCode, 1);
    EXPECT_EQ(run.Out, "{\"ok\":false,\"error\":\"List index out of bounds (3)\"}\n");
    EXPECT_EQ(run.Err, "Error: List index out of bounds (3)\n");
}

TEST(CliJson, MaskedCardDataEverywhere) {
    const std::string request = "11~001~~A1B2~0A~;4761739001010119=15122011143804489?~;0112345678"
                                "~AAB~00002000~1234";
    const auto json = Decode({"--json", "--mask", "--mode", "string", "--text", request});
    ASSERT_EQ(json.ExitCode, 0) << json.Err;
    EXPECT_EQ(json.Out.find("4761739001010119"), std::string::npos);
    EXPECT_NE(json.Out.find("\"value\":\";476173******0119=1512201**********?\",\"offset\":16,"
                            "\"length\":36}"),
              std::string::npos)
        << json.Out;
    EXPECT_NE(json.Out.find("\"value\":\";**********\""), std::string::npos) << json.Out;

    const auto plain = Decode({"--mask", "--mode", "string", "--text", request});
    EXPECT_NE(plain.Out.find("\r\nTrack-2 data = ;476173******0119=1512201**********?\r\n"
                             "Track-3 data = ;**********\r\n"),
              std::string::npos)
        << plain.Out;
    EXPECT_NE(plain.Out.find("\r\nPIN Buffer = ****\r\n"), std::string::npos);
}

} // namespace
} // namespace velquist::test
