// What front ends ask of a trace's index: pairing (the same as the plugin's),
// statistics, filters, JSON Lines, and card data taken out of the trace text.

#include "velquist/TraceQuery.h"
#include "TestUtil.h"
#include "TraceRender.h"
#include "Traffic.h"
#include "velquist/Pairing.h"
#include "velquist/TraceIndex.h"
#include "velquist/TraceJson.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <ostream>
#include <sstream>

namespace velquist::test {
namespace {

using namespace std::chrono_literals;
using capture::ConsumerRequest;
using capture::FunctionCommand;
using capture::SolicitedStatus;

// A trace of one message a line, each after its time (ms since midnight; none
// where negative).
std::string LinesTrace(const std::vector<std::pair<int, std::string>>& messages) {
    std::string text;
    for (const auto& [ms, message] : messages) {
        if (ms >= 0) {
            char time[32];
            std::snprintf(time, sizeof time, "%02d:%02d:%02d.%03d ", ms / 3'600'000,
                          ms / 60'000 % 60, ms / 1'000 % 60, ms % 1'000);
            text += time;
        }
        text += "RECV " + Hex(message, true) + "\n";
    }
    return text;
}

// Ten messages of three terminals, with every outcome pairing has.
const std::vector<std::pair<int, std::string>> kSmallTrace = {
    {36'000'000, ConsumerRequest("001", '1')},       // 1  answered by 2
    {36'000'250, FunctionCommand("001", '1')},       // 2  reported on by 3
    {36'000'300, SolicitedStatus("001")},            // 3
    {36'001'000, ConsumerRequest("002", '1')},       // 4  never answered
    {36'002'000, FunctionCommand("002", '2')},       // 5  answers nothing, no status
    {36'003'000, ConsumerRequest("001", '2')},       // 6  answered by 7
    {36'003'500, FunctionCommand("001", '2', 'A')},  // 7  reported on by 8
    {36'004'000, SolicitedStatus("001", '8')},       // 8  no status information: cannot be decoded
    {36'005'000, Msg({"11", "003"})},                // 9  no MCN, cannot be decoded
    {36'006'000, capture::UnsolicitedStatus("002")}, // 10
};

TEST(TracePairing, AgreesWithThePluginsPairing) {
    TChoices random(3);
    for (int round = 0; round < 20; ++round) {
        std::vector<std::pair<int, std::string>> messages;
        int ms = 1'000;
        for (int i = 0; i < 200; ++i) {
            const std::string luno = "00" + random.Pick("123");
            const char mcn = random.Pick("123")[0];
            ms += random.Below(500);
            switch (random.Below(5)) {
            case 0: messages.emplace_back(ms, ConsumerRequest(luno, mcn)); break;
            case 1: messages.emplace_back(ms, FunctionCommand(luno, mcn)); break;
            case 2: messages.emplace_back(ms, SolicitedStatus(luno)); break;
            case 3: messages.emplace_back(ms, capture::UnsolicitedStatus(luno)); break;
            default:
                // Any request, with a line of its own: 4 bytes at least.
                messages.emplace_back(ms, TMessageGen(random.Bits()).Message("11") + "\x1C\x1C");
                break;
            }
        }
        const std::string text = LinesTrace(messages);
        const TTraceIndex index = TTraceWalk::IndexAll(text);
        ASSERT_EQ(index.size(), messages.size());

        TConversationPairing plugin;
        for (std::size_t i = 0; i < messages.size(); ++i) {
            const std::string& message = messages[i].second;
            const TDMsgType type = DecodeMessage(message).Type;
            plugin.Add({static_cast<std::uint32_t>(i + 1), 0},
                       PairingInputOf(type, SummarizeMessage(message, type),
                                      std::chrono::milliseconds(messages[i].first)));
        }
        const auto frame = [](std::optional<std::size_t> i) {
            return i ? std::optional(static_cast<std::uint32_t>(*i + 1)) : std::nullopt;
        };
        for (std::size_t i = 0; i < messages.size(); ++i) {
            SCOPED_TRACE(testing::Message() << "round " << round << ", message " << i + 1);
            const TPairing expected =
                plugin.Find({static_cast<std::uint32_t>(i + 1), 0}).value_or(TPairing{});
            EXPECT_EQ(frame(index.ResponseIn(i)), expected.ResponseIn);
            EXPECT_EQ(frame(index.ResponseTo(i)), expected.ResponseTo);
            EXPECT_EQ(frame(index.StatusIn(i)), expected.StatusIn);
            EXPECT_EQ(frame(index.StatusTo(i)), expected.StatusTo);
            EXPECT_EQ(index.ResponseTime(i), expected.ResponseTime);
            EXPECT_EQ(index.StatusTime(i), expected.StatusTime);
        }
    }
}

TEST(TracePairing, NeedsBothTimesForADuration) {
    const std::string text = LinesTrace({{-1, ConsumerRequest("001", '1')},
                                         {1'000, FunctionCommand("001", '1')},
                                         {1'200, SolicitedStatus("001")}});
    const TTraceIndex index = TTraceWalk::IndexAll(text);
    EXPECT_EQ(index.ResponseTo(1), 0u);
    EXPECT_FALSE(index.ResponseTime(1).has_value());
    EXPECT_EQ(index.StatusTime(2), 200ms);
    EXPECT_FALSE(index.Delta(1).has_value());
    EXPECT_EQ(index.Elapsed(2), 200ms);
}

TEST(TraceIndex, FindsTheTerminalsOtherMessagesAndTheLinesOfAMessage) {
    const std::string text = LinesTrace(kSmallTrace);
    const TTraceIndex index = TTraceWalk::IndexAll(text);
    EXPECT_EQ(index.Luno(3), "002");
    EXPECT_EQ(index.SameTerminal(3, true), 4u);
    EXPECT_EQ(index.SameTerminal(4, true), 9u);
    EXPECT_EQ(index.SameTerminal(9, true), std::nullopt);
    EXPECT_EQ(index.SameTerminal(5, false), 2u);
    EXPECT_EQ(index.SameTerminal(0, false), std::nullopt);
    // A message of the lines layout is its hex; its lines are the whole line.
    const TTraceEntry& second = index[1];
    const TByteRange lines = TraceLinesAround(text, second.TextBegin(), second.TextEnd());
    EXPECT_EQ(text.substr(lines.Offset, lines.Length),
              "10:00:00.250 RECV " + Hex(kSmallTrace[1].second, true));
    EXPECT_EQ(TraceLinesAround(text, 0, 3).Offset, 0u);
}

TEST(TraceWalk, GrowsTheIndexStepByStep) {
    TTraceGen gen(5, {std::begin(kTextStyles), std::end(kTextStyles)});
    gen.Add(50);
    const TTraceIndex whole = TTraceWalk::IndexAll(gen.Text);
    TTraceWalk walk(gen.Text);
    std::size_t position = 0;
    while (walk.Step(1)) {
        EXPECT_GE(walk.Position(), position);
        position = walk.Position();
        ASSERT_LE(walk.Index().size(), whole.size());
    }
    EXPECT_TRUE(walk.Done());
    EXPECT_EQ(walk.Position(), gen.Text.size());
    ASSERT_EQ(walk.Index().size(), gen.Expected.size());
    for (std::size_t i = 0; i < whole.size(); ++i) {
        EXPECT_EQ(walk.Index()[i].TextBegin(), whole[i].TextBegin());
        EXPECT_EQ(walk.Index()[i].FirstLine(), gen.Expected[i].FirstLine);
        EXPECT_EQ(walk.Index().Links(i), whole.Links(i));
    }
}

TEST(TraceStats, CountsAndTimesTheMessagesChosen) {
    const std::string text = LinesTrace(kSmallTrace);
    const TTraceIndex index = TTraceWalk::IndexAll(text);
    const TTraceStats stats = ComputeTraceStats(index);
    EXPECT_EQ(stats.Messages, 10u);
    EXPECT_EQ(stats.Types[mtCustomerRequest], 4u);
    EXPECT_EQ(stats.Types[mtFunctionCommand], 3u);
    EXPECT_EQ(stats.Types[mtSolicited], 2u);
    EXPECT_EQ(stats.Types[mtUnsolicited], 1u);
    using TCounts = std::vector<std::pair<std::string_view, std::size_t>>;
    EXPECT_EQ(stats.Terminals, (TCounts{{"001", 6}, {"002", 3}, {"003", 1}}));
    EXPECT_EQ(stats.Errors, 2u);
    EXPECT_EQ(stats.Unanswered, 2u);
    EXPECT_EQ(stats.NoStatus, 1u);
    EXPECT_EQ(stats.ResponseTime.Count, 2u);
    EXPECT_EQ(stats.ResponseTime.Min, 250ms);
    EXPECT_EQ(stats.ResponseTime.Median, 375ms);
    EXPECT_EQ(stats.ResponseTime.Max, 500ms);
    EXPECT_EQ(stats.StatusTime.Count, 2u);
    EXPECT_EQ(stats.StatusTime.Mean, 275ms);

    const TTraceSelector selector(index, {.Lunos = {"002"}});
    const TTraceStats one =
        ComputeTraceStats(index, [&](std::size_t i) { return selector.Accepts(i); });
    EXPECT_EQ(one.Messages, 3u);
    EXPECT_EQ(one.Terminals, (TCounts{{"002", 3}}));
    EXPECT_EQ(one.Unanswered, 1u);
    EXPECT_EQ(one.ResponseTime.Count, 0u);
}

TEST(TraceStats, SummarizesDurationsBetweenTheNearestRanks) {
    std::vector<std::int64_t> durations;
    for (int i = 20; i >= 1; --i) {
        durations.push_back(i * 1'000);
    }
    const TDurationStats stats = SummarizeDurations(durations);
    EXPECT_EQ(stats.Count, 20u);
    EXPECT_EQ(stats.Min.count(), 1'000);
    EXPECT_EQ(stats.Median.count(), 10'500);
    EXPECT_EQ(stats.P95.count(), 19'050);
    EXPECT_EQ(stats.Max.count(), 20'000);
    EXPECT_EQ(stats.Mean.count(), 10'500);
    std::vector<std::int64_t> one = {7};
    EXPECT_EQ(SummarizeDurations(one).P95.count(), 7);
    std::vector<std::int64_t> none;
    EXPECT_EQ(SummarizeDurations(none).Count, 0u);
}

struct TFilterCase {
    std::string Name;
    TTraceFilter Filter;
    std::vector<std::uint32_t> Shown; // message numbers from 1
};

void PrintTo(const TFilterCase& c, std::ostream* out) {
    *out << c.Name;
}

class TraceFilterTest : public ::testing::TestWithParam<TFilterCase> {};

TEST_P(TraceFilterTest, ShowsTheMessagesThatPassEveryCondition) {
    const std::string text = LinesTrace(kSmallTrace);
    const TTraceIndex index = TTraceWalk::IndexAll(text);
    std::vector<std::uint32_t> shown;
    for (const std::uint32_t i : SelectMessages(index, GetParam().Filter)) {
        shown.push_back(i + 1);
    }
    EXPECT_EQ(shown, GetParam().Shown);
}

INSTANTIATE_TEST_SUITE_P(
    Filters, TraceFilterTest,
    ::testing::Values(
        TFilterCase{"None", {}, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10}},
        TFilterCase{"Luno", {.Lunos = {"001"}}, {1, 2, 3, 6, 7, 8}},
        TFilterCase{"TwoLunos", {.Lunos = {"003", "002"}}, {4, 5, 9, 10}},
        TFilterCase{"UnknownLuno", {.Lunos = {"999"}}, {}},
        TFilterCase{"Type", {.Types = {mtFunctionCommand}}, {2, 5, 7}},
        TFilterCase{"LunoAndType", {.Lunos = {"002"}, .Types = {mtCustomerRequest}}, {4}},
        TFilterCase{"MatchIgnoresCase", {.Match = "logical unit number = 002"}, {4, 5, 10}},
        TFilterCase{"MatchFindsTheErrors", {.Match = "error: list index"}, {8, 9}},
        TFilterCase{"Unanswered", {.Unanswered = true}, {4, 9}},
        TFilterCase{"Slower", {.SlowerThan = 300ms}, {7}},
        TFilterCase{"MatchMasked", {.Match = "4761739001010010", .MaskCardData = true}, {}},
        TFilterCase{"MatchUnmasked", {.Match = "4761739001010010"}, {1, 4, 6}}),
    [](const auto& info) { return info.param.Name; });

TEST(TraceJson, WritesOneObjectPerMessage) {
    const std::string text = LinesTrace(kSmallTrace);
    const TTraceIndex index = TTraceWalk::IndexAll(text);
    std::string out;
    for (std::size_t i = 0; i < index.size(); ++i) {
        AppendTraceMessageJson(out, index, i, ViewTraceMessage(index, i),
                               i == 0 ? std::string_view(R"({"ok":true})") : std::string_view());
    }
    std::istringstream lines(out);
    std::vector<nlohmann::json> objects;
    for (std::string line; std::getline(lines, line);) {
        objects.push_back(nlohmann::json::parse(line));
    }
    ASSERT_EQ(objects.size(), kSmallTrace.size());
    for (std::size_t i = 0; i < objects.size(); ++i) {
        EXPECT_EQ(objects[i]["index"], i + 1);
        EXPECT_EQ(objects[i]["first_line"], i + 1);
        EXPECT_EQ(objects[i]["last_line"], i + 1);
        EXPECT_EQ(objects[i]["hex"], Hex(kSmallTrace[i].second, false));
        EXPECT_EQ(objects[i]["length"], kSmallTrace[i].second.size());
    }
    const nlohmann::json& command = objects[1];
    EXPECT_EQ(command["time"], "10:00:00.250000");
    EXPECT_EQ(command["elapsed"], 0.25);
    EXPECT_EQ(command["type"], "mtFunctionCommand");
    EXPECT_EQ(command["from"], "host");
    EXPECT_EQ(command["luno"], "001");
    EXPECT_EQ(command["mcn"], "1");
    EXPECT_EQ(command["response_to"], 1);
    EXPECT_EQ(command["response_time"], 0.25);
    EXPECT_EQ(command["status_in"], 3);
    EXPECT_FALSE(command.contains("error"));
    EXPECT_EQ(objects[0]["response_in"], 2);
    EXPECT_EQ(objects[0]["decode"], nlohmann::json({{"ok", true}}));
    EXPECT_EQ(objects[2]["status_time"], 0.05);
    EXPECT_EQ(objects[3]["from"], "terminal");
    EXPECT_FALSE(objects[3].contains("response_in"));
    EXPECT_EQ(objects[8]["error"], "List index out of bounds (3)");
    EXPECT_FALSE(objects[8].contains("mcn"));

    std::string stats;
    AppendTraceStatsJson(stats, ComputeTraceStats(index));
    const auto parsed = nlohmann::json::parse(stats);
    EXPECT_EQ(parsed["messages"], 10);
    EXPECT_EQ(parsed["types"]["mtCustomerRequest"], 4);
    EXPECT_EQ(parsed["terminals"]["002"], 3);
    EXPECT_EQ(parsed["unanswered"], 2);
    EXPECT_EQ(parsed["no_status"], 1);
    EXPECT_EQ(parsed["response_time"]["median"], 0.375);
    EXPECT_EQ(parsed["status_time"]["count"], 2);
}

TEST(TraceJson, StringsHoldEveryByte) {
    std::string bytes;
    for (int b = 0; b < 256; ++b) {
        bytes.push_back(static_cast<char>(b));
    }
    std::string json;
    AppendJsonString(json, bytes);
    EXPECT_EQ(Latin1Bytes(nlohmann::json::parse(json).get<std::string>()), bytes);
}

// ---- Card data ---------------------------------------------------------------------------

// The bytes masked are those of the card data lines the masked decode shows
// masked, and only those.
TEST(CardData, MaskedBytesAreWhatTheMaskedDecodeHides) {
    TMessageGen gen(21);
    for (int i = 0; i < 500; ++i) {
        const std::string message = gen.Message(i % 4 == 0 ? "4" : "11");
        const TDecodeResult decoded =
            DecodeMessage(message, {.Structure = true, .MaskCardData = true});
        const std::string masked = MaskCardBytes(message, decoded.Type);
        ASSERT_EQ(masked.size(), message.size());
        if (decoded.Type != mtCustomerRequest) {
            EXPECT_EQ(masked, message);
        }
        if (!decoded.Ok) {
            continue; // no lines to compare with (the bytes are masked all the same)
        }
        std::string unmasked = masked; // the card data bytes put back
        for (const TDecodedLine& line : decoded.Lines) {
            const auto nameValue = SplitNameValue(decoded.LineText(line));
            if (!nameValue || !line.Range ||
                (nameValue->Name != "Track-2 data" && nameValue->Name != "Track-3 data" &&
                 nameValue->Name != "PIN Buffer")) {
                continue;
            }
            const std::string_view bytes =
                std::string_view(masked).substr(line.Range->Offset, line.Range->Length);
            if (nameValue->Name == "PIN Buffer") {
                EXPECT_EQ(bytes, std::string(bytes.size(), '*'));
            } else {
                EXPECT_EQ(bytes, nameValue->Value);
            }
            unmasked.replace(line.Range->Offset, line.Range->Length,
                             message.substr(line.Range->Offset, line.Range->Length));
        }
        EXPECT_EQ(unmasked, message);
    }
}

// Every layout: the edits, applied, give a trace whose messages are the old ones
// with their card data masked; nothing else changes.
TEST(CardData, EditsTakeCardDataOutOfTheTrace) {
    const auto check = [](const std::string& text, TTraceLayout layout, std::size_t messages) {
        const TTraceIndex index = TTraceWalk::IndexAll(text, layout);
        ASSERT_EQ(index.size(), messages);
        std::string edited = text;
        std::size_t edits = 0;
        for (std::size_t i = 0; i < index.size(); ++i) {
            for (const TTextEdit& edit : CardDataEdits(index, i)) {
                edited[edit.Position] = edit.Character;
                ++edits;
            }
        }
        const TTraceIndex after = TTraceWalk::IndexAll(edited, layout);
        ASSERT_EQ(after.size(), index.size());
        for (std::size_t i = 0; i < index.size(); ++i) {
            const std::string before = ViewTraceMessage(index, i).Read.Message;
            EXPECT_EQ(ViewTraceMessage(after, i).Read.Message,
                      MaskCardBytes(before, index[i].Type()))
                << "message " << i + 1;
        }
        EXPECT_GT(edits, 0u);
    };
    for (const TStyle style : kTextStyles) {
        TTraceGen gen(static_cast<std::uint64_t>(style) + 1, {style});
        gen.Repeats = false;
        gen.Add(60);
        check(gen.Text, TTraceLayout::Auto, gen.Expected.size());
    }
    TMessageGen messages(4);
    std::vector<std::string> stream;
    for (int i = 0; i < 60; ++i) {
        stream.push_back(messages.Message("11"));
    }
    check(BinaryStream(stream, TFraming::Be16), TTraceLayout::Be2, stream.size());
}

} // namespace
} // namespace velquist::test
