// Pairing requests with commands and commands with statuses in one conversation.

#include "velquist/Pairing.h"

#include <gtest/gtest.h>

#include <ostream>

#include <chrono>
#include <optional>
#include <string>
#include <vector>

namespace velquist {
namespace {

using namespace std::chrono_literals;

// One message of a conversation: its frame, role, LUNO, MCN and time (ms).
struct TStep {
    std::uint32_t Frame;
    TPairRole Role;
    std::string Luno;
    std::optional<std::string> Mcn;
    int Ms;
};

// What a frame's message is expected to learn.
struct TExpected {
    std::uint32_t Frame;
    TPairing Pairing;
};

TConversationPairing PairAll(const std::vector<TStep>& steps) {
    TConversationPairing pairing;
    for (const auto& step : steps) {
        pairing.Add({step.Frame, 0},
                    {step.Role, step.Luno,
                     step.Mcn ? std::optional<std::string_view>(*step.Mcn) : std::nullopt,
                     std::chrono::milliseconds(step.Ms)});
    }
    return pairing;
}

TPairing Request(std::optional<std::uint32_t> responseIn) {
    TPairing pairing;
    pairing.ResponseIn = responseIn;
    return pairing;
}

TPairing Command(std::optional<std::uint32_t> to, std::optional<std::chrono::nanoseconds> time,
                 std::optional<std::uint32_t> statusIn) {
    TPairing pairing;
    pairing.ResponseTo = to;
    pairing.ResponseTime = time;
    pairing.StatusIn = statusIn;
    return pairing;
}

TPairing Status(std::optional<std::uint32_t> to, std::optional<std::chrono::nanoseconds> time) {
    TPairing pairing;
    pairing.StatusTo = to;
    pairing.StatusTime = time;
    return pairing;
}

struct TPairingCase {
    std::string Name;
    std::vector<TStep> Steps;
    std::vector<TExpected> Expected;
};

// A case prints as its name, as the test name has it.
void PrintTo(const TPairingCase& c, std::ostream* out) {
    *out << c.Name;
}

class PairingTest : public ::testing::TestWithParam<TPairingCase> {};

TEST_P(PairingTest, PairsAsTheTerminalAndHostDid) {
    const auto& c = GetParam();
    const TConversationPairing pairing = PairAll(c.Steps);
    for (const auto& expected : c.Expected) {
        SCOPED_TRACE(testing::Message() << "frame " << expected.Frame);
        const std::optional<TPairing> found = pairing.Find({expected.Frame, 0});
        ASSERT_TRUE(found.has_value());
        EXPECT_EQ(found->ResponseIn, expected.Pairing.ResponseIn);
        EXPECT_EQ(found->ResponseTo, expected.Pairing.ResponseTo);
        EXPECT_EQ(found->ResponseTime, expected.Pairing.ResponseTime);
        EXPECT_EQ(found->StatusIn, expected.Pairing.StatusIn);
        EXPECT_EQ(found->StatusTo, expected.Pairing.StatusTo);
        EXPECT_EQ(found->StatusTime, expected.Pairing.StatusTime);
    }
}

constexpr auto kReq = TPairRole::Request;
constexpr auto kCmd = TPairRole::Command;
constexpr auto kSts = TPairRole::Status;

INSTANTIATE_TEST_SUITE_P(
    Conversations, PairingTest,
    ::testing::Values(
        TPairingCase{"TwoTerminalsInterleaved",
                     {{1, kReq, "001", "1", 0},
                      {2, kReq, "002", "1", 100},
                      {3, kCmd, "002", "1", 350},
                      {4, kCmd, "001", "1", 500},
                      {5, kSts, "001", {}, 600},
                      {6, kSts, "002", {}, 750}},
                     {{1, Request(4)},
                      {2, Request(3)},
                      {3, Command(2, 250ms, 6)},
                      {4, Command(1, 500ms, 5)},
                      {5, Status(4, 100ms)},
                      {6, Status(3, 400ms)}}},
        TPairingCase{"OtherCoordinationNumberOrLunoAnswersNothing",
                     {{1, kReq, "001", "1", 0},
                      {2, kCmd, "001", "2", 10},
                      {3, kCmd, "002", "1", 20},
                      {4, kCmd, "001", "1", 30}},
                     {{1, Request(4)},
                      {2, Command({}, {}, {})},
                      {3, Command({}, {}, {})},
                      {4, Command(1, 30ms, {})}}},
        TPairingCase{
            "ALaterRequestTakesTheAnswer",
            {{1, kReq, "001", "1", 0}, {2, kReq, "001", "1", 40}, {3, kCmd, "001", "1", 100}},
            {{1, Request({})}, {2, Request(3)}, {3, Command(2, 60ms, {})}}},
        TPairingCase{
            "ARequestIsAnsweredOnce",
            {{1, kReq, "001", "1", 0}, {2, kCmd, "001", "1", 10}, {3, kCmd, "001", "1", 20}},
            {{1, Request(2)}, {2, Command(1, 10ms, {})}, {3, Command({}, {}, {})}}},
        TPairingCase{"AStatusReportsOnTheLatestCommandOnce",
                     {{1, kCmd, "001", "1", 0},
                      {2, kCmd, "001", "2", 10},
                      {3, kSts, "001", {}, 25},
                      {4, kSts, "001", {}, 30}},
                     {{1, Command({}, {}, {})},
                      {2, Command({}, {}, 3)},
                      {3, Status(2, 15ms)},
                      {4, Status({}, {})}}},
        TPairingCase{"AStatusBeforeAnyCommandReportsOnNothing",
                     {{1, kSts, "001", {}, 0}, {2, kCmd, "001", "1", 10}, {3, kSts, "001", {}, 20}},
                     {{1, Status({}, {})}, {2, Command({}, {}, 3)}, {3, Status(2, 10ms)}}},
        TPairingCase{"NoCoordinationNumberNoAnswer",
                     {{1, kReq, "001", {}, 0},
                      {2, kCmd, "001", {}, 10},
                      {3, kReq, "001", "1", 20},
                      {4, kCmd, "001", {}, 30},
                      {5, kSts, "001", {}, 40}},
                     {{1, Request({})},
                      {2, Command({}, {}, {})},
                      {3, Request({})},
                      {4, Command({}, {}, 5)},
                      {5, Status(4, 10ms)}}}),
    [](const auto& info) { return info.param.Name; });

TEST(Pairing, AddingAMessageAgainChangesNothing) {
    // Wireshark's later passes see the same messages again.
    TConversationPairing pairing;
    const TPairingInput request{TPairRole::Request, "001", "1", 0ms};
    const TPairingInput command{TPairRole::Command, "001", "1", 80ms};
    pairing.Add({1, 0}, request);
    pairing.Add({2, 0}, command);
    pairing.Add({1, 0}, request);
    pairing.Add({2, 0}, command);
    ASSERT_TRUE(pairing.Find({2, 0}).has_value());
    EXPECT_EQ(pairing.Find({1, 0})->ResponseIn, 2u);
    EXPECT_EQ(pairing.Find({2, 0})->ResponseTo, 1u);
    EXPECT_EQ(pairing.Find({2, 0})->ResponseTime, 80ms);
}

TEST(Pairing, TellsMessagesOfOneFrameApart) {
    // A request and its answer can stand in one frame.
    TConversationPairing pairing;
    pairing.Add({7, 0}, {TPairRole::Request, "001", "1", 5ms});
    pairing.Add({7, 1}, {TPairRole::Command, "001", "1", 5ms});
    pairing.Add({7, 2}, {TPairRole::Status, "001", {}, 5ms});
    ASSERT_TRUE(pairing.Find({7, 2}).has_value());
    EXPECT_EQ(pairing.Find({7, 0})->ResponseIn, 7u);
    EXPECT_EQ(pairing.Find({7, 1})->ResponseTime, 0ms);
    EXPECT_EQ(pairing.Find({7, 1})->StatusIn, 7u);
    EXPECT_EQ(pairing.Find({7, 2})->StatusTo, 7u);
}

TEST(Pairing, KeepsNothingOfOtherMessages) {
    TConversationPairing pairing;
    pairing.Add({1, 0}, {TPairRole::Other, "001", "1", 0ms});
    EXPECT_FALSE(pairing.Find({1, 0}).has_value());
    EXPECT_FALSE(pairing.Find({9, 0}).has_value());
}

} // namespace
} // namespace velquist
