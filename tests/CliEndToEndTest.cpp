// Runs the built velquist-decode through its contract: input from --text, a
// file or standard input, output byte for byte, errors and exit statuses.

#include "ProcessRunner.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

namespace velquist::test {
namespace {

using namespace std::string_literals;

const std::string kDecoder = VELQUIST_DECODE_PATH;

TProcessResult Decode(std::vector<std::string> args, const std::string& input = {}) {
    args.insert(args.begin(), kDecoder);
    return RunProcess(args, input);
}

class TempFile {
public:
    explicit TempFile(const std::string& content) {
        static int counter = 0;
        FPath = std::filesystem::temp_directory_path() /
                ("velquist-e2e-" + std::to_string(::getpid()) + "-" + std::to_string(counter++));
        std::ofstream(FPath, std::ios::binary) << content;
    }
    ~TempFile() { std::filesystem::remove(FPath); }
    std::string Path() const { return FPath.string(); }

private:
    std::filesystem::path FPath;
};

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
             {"--bogus"}, {"--mode", "xml"}, {"/nonexistent/dir/message.txt"}, {"a", "b"}}) {
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
    EXPECT_EQ(version.Out, "velquist-decode 2.0\n");
}

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

} // namespace
} // namespace velquist::test
