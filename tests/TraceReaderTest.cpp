// The trace reader: generated messages written in every layout, with times,
// headers, noise and hexdump's repeats, read back exactly; then the pieces it
// recognises, case by case.

#include "HexText.h"
#include "TestUtil.h"
#include "TraceParse.h"
#include "TraceRender.h"
#include "velquist/Trace.h"

#include <gtest/gtest.h>

#include <cctype>
#include <ostream>

namespace velquist::test {
namespace {

using trace::FindHexRun;
using trace::FindTimestamp;
using trace::ParseDumpLine;

// Reads the message again from its own text and checks where each byte stands.
void CheckReadAgain(std::string_view text, const TTraceRecord& record) {
    const TTraceMessage read =
        ReadTraceMessage(text, record.TextBegin, record.TextEnd, record.Layout, record.FirstLine);
    ASSERT_EQ(read.Message, record.Message);
    EXPECT_EQ(read.LastLine, record.LastLine);
    ASSERT_EQ(read.Places().size(), record.Message.size());
    const bool binary = TraceLayoutFraming(record.Layout).has_value();
    for (std::size_t k = 0; k < read.Message.size(); ++k) {
        const TBytePlace& place = read.Places()[k];
        const auto byte = static_cast<unsigned char>(read.Message[k]);
        if (binary) {
            EXPECT_EQ(static_cast<unsigned char>(text[place.High]), byte);
        } else if (place.High == place.Low) {
            EXPECT_EQ(text[place.High], '*'); // a repeated line: its first byte
            const auto first = read.ByteAt(place.High);
            ASSERT_TRUE(first.has_value());
            EXPECT_TRUE(*first <= k && read.Places()[*first].High == place.High);
            continue;
        } else {
            EXPECT_EQ(HexDigitValue(text[place.High]) * 16 + HexDigitValue(text[place.Low]), byte)
                << "byte " << k;
        }
        EXPECT_EQ(read.ByteAt(place.High), k);
        EXPECT_EQ(read.ByteAt(place.Low), k);
        if (place.Ascii != TBytePlace::kNowhere) {
            EXPECT_EQ(text[place.Ascii], Ascii(read.Message.substr(k, 1))[0]) << "byte " << k;
        }
        const auto spans = read.TextSpans({k, 1});
        ASSERT_FALSE(spans.empty());
        EXPECT_EQ(spans.front().Offset, place.High);
        EXPECT_EQ(spans.back().End(), place.Low + 1);
    }
    // No other character wrote a byte.
    std::vector<bool> writes(text.size());
    for (const TBytePlace& place : read.Places()) {
        writes[place.High] = writes[place.Low] = true;
    }
    for (std::size_t at = record.TextBegin; at < record.TextEnd; ++at) {
        if (!writes[at]) {
            EXPECT_EQ(read.ByteAt(at), std::nullopt) << "character " << at;
        }
    }
}

struct TReadBackCase {
    std::string Name;
    TTraceLayout Layout; // read with
    std::vector<TStyle> Styles;
};

void PrintTo(const TReadBackCase& c, std::ostream* out) {
    *out << c.Name;
}

class TraceReadBack : public ::testing::TestWithParam<TReadBackCase> {};

TEST_P(TraceReadBack, FindsEveryMessageWithItsLinesAndTime) {
    const auto& c = GetParam();
    for (std::uint64_t seed = 1; seed <= 30; ++seed) {
        SCOPED_TRACE(testing::Message() << "seed " << seed);
        TTraceGen gen(seed, c.Styles);
        gen.Add(40);
        TTraceReader reader(gen.Text, c.Layout);
        TTraceRecord record;
        std::size_t n = 0;
        std::size_t position = 0;
        while (reader.Next(record)) {
            ASSERT_LT(n, gen.Expected.size()) << "a message too many, line " << record.FirstLine;
            const TExpectedMessage& expected = gen.Expected[n];
            SCOPED_TRACE(testing::Message()
                         << "message " << n + 1 << " on line " << expected.FirstLine);
            ASSERT_EQ(Hex(record.Message, false), Hex(expected.Message, false));
            EXPECT_EQ(record.FirstLine, expected.FirstLine);
            EXPECT_EQ(record.LastLine, expected.LastLine);
            EXPECT_EQ(record.Time, expected.Time);
            EXPECT_EQ(record.Layout, expected.Layout);
            EXPECT_FALSE(record.OddDigit);
            EXPECT_GE(reader.Position(), position);
            position = reader.Position();
            CheckReadAgain(gen.Text, record);
            ++n;
        }
        EXPECT_EQ(n, gen.Expected.size());
        EXPECT_EQ(reader.Position(), gen.Text.size());
    }
}

const std::vector<TStyle> kDumpStyles = {TStyle::Xxd, TStyle::HexdumpC, TStyle::Od, TStyle::Java};

INSTANTIATE_TEST_SUITE_P(
    Layouts, TraceReadBack,
    ::testing::Values(TReadBackCase{"AutoEveryStyleMixed",
                                    TTraceLayout::Auto,
                                    {std::begin(kTextStyles), std::end(kTextStyles)}},
                      TReadBackCase{"DumpGiven", TTraceLayout::Dump, kDumpStyles},
                      TReadBackCase{"DumpRecognised", TTraceLayout::Auto, kDumpStyles},
                      TReadBackCase{"NetadrdGiven", TTraceLayout::Netadrd, {TStyle::Netadrd}},
                      TReadBackCase{"NetadrdRecognised", TTraceLayout::Auto, {TStyle::Netadrd}},
                      TReadBackCase{"LinesGiven", TTraceLayout::Lines, {TStyle::Lines}},
                      TReadBackCase{"LinesRecognised", TTraceLayout::Auto, {TStyle::Lines}}),
    [](const auto& info) { return info.param.Name; });

class BinaryReadBack : public ::testing::TestWithParam<TTraceLayout> {};

TEST_P(BinaryReadBack, FindsEveryFramedMessage) {
    const TTraceLayout layout = GetParam();
    const TFraming framing = layout == TTraceLayout::Be2   ? TFraming::Be16
                             : layout == TTraceLayout::Le2 ? TFraming::Le16
                                                           : TFraming::Ascii4;
    TMessageGen gen(7);
    std::vector<std::string> messages;
    for (int i = 0; i < 200; ++i) {
        messages.push_back(gen.Message(i % 3 == 0 ? "11" : i % 3 == 1 ? "4" : "22"));
    }
    std::string stream = BinaryStream(messages, framing);
    // The connection broke off in the middle of a last message.
    stream += FrameMessage(framing, "22\x1C"
                                    "001\x1C\x1C"
                                    "9")
                  .value()
                  .substr(0, 7);
    TTraceReader reader(stream, layout);
    TTraceRecord record;
    std::size_t n = 0;
    while (reader.Next(record)) {
        ASSERT_LE(n, messages.size());
        if (n == messages.size()) {
            EXPECT_TRUE(record.Truncated);
            EXPECT_EQ(record.Message, std::string("22\x1C"
                                                  "00",
                                                  5)
                                          .substr(0, 7 - HeaderLength(framing)));
        } else {
            EXPECT_EQ(record.Message, messages[n]);
            EXPECT_FALSE(record.Truncated);
        }
        EXPECT_FALSE(record.Time.has_value());
        EXPECT_EQ(record.FirstLine,
                  1 + trace::CountLineBreaks(stream, 0, record.TextBegin, stream.size()));
        CheckReadAgain(stream, record);
        ++n;
    }
    EXPECT_EQ(n, messages.size() + 1);
}

INSTANTIATE_TEST_SUITE_P(Framings, BinaryReadBack,
                         ::testing::Values(TTraceLayout::Be2, TTraceLayout::Le2,
                                           TTraceLayout::Ascii4),
                         [](const auto& info) { return std::string(TraceLayoutName(info.param)); });

TEST(TraceReader, SkipsWhatIsNoAsciiHeaderAndEmptyFrames) {
    const std::string stream = std::string("xx0000") + "0005" +
                               "22\x1C"
                               "00" +
                               "junk";
    TTraceReader reader(stream, TTraceLayout::Ascii4);
    TTraceRecord record;
    ASSERT_TRUE(reader.Next(record));
    EXPECT_EQ(record.Message, "22\x1C"
                              "00");
    EXPECT_EQ(record.TextBegin, 6u);
    EXPECT_FALSE(reader.Next(record));
}

// Any bytes at all: the walk ends, moves forward, and every message it yields
// reads again the same.
TEST(TraceReader, WalksArbitraryBytes) {
    static constexpr char kCharacters[] = "0123456789abcdefABCDEF :.*|<>\r\n\t-/,T\x00\xFF";
    constexpr std::string_view kAll(kCharacters, sizeof kCharacters - 1); // the NUL included
    TChoices random(11);
    for (int round = 0; round < 300; ++round) {
        std::string text;
        for (int n = random.Below(400); n > 0; --n) {
            text += random.Pick(kAll);
        }
        for (const TTraceLayout layout : AllTraceLayouts()) {
            TTraceReader reader(text, layout);
            TTraceRecord record;
            std::size_t messages = 0;
            while (reader.Next(record) && messages++ < text.size()) {
                ASSERT_LE(record.TextBegin, record.TextEnd);
                ASSERT_LE(record.TextEnd, text.size());
                CheckReadAgain(text, record);
            }
            EXPECT_LE(messages, text.size());
        }
    }
}

TEST(TraceReader, TimesWithoutADateRollOverMidnight) {
    const std::string text = "23:59:58.5 RECV 31 31 1C 30\n"
                             "00:00:01 RECV 31 31 1C 31\n"
                             "12:00:01 RECV 31 31 1C 32\n"
                             "00:00:00 RECV 31 31 1C 33\n"
                             "23:00:00 RECV 31 31 1C 34\n"; // earlier, but by less than 12 hours
    constexpr std::int64_t kSecond = 1'000'000'000;
    constexpr std::int64_t kDay = 86'400 * kSecond;
    const std::int64_t expected[] = {86'398 * kSecond + kSecond / 2, kDay + kSecond,
                                     kDay + 43'201 * kSecond, 2 * kDay,
                                     2 * kDay + 82'800 * kSecond};
    TTraceReader reader(text);
    TTraceRecord record;
    for (const std::int64_t at : expected) {
        ASSERT_TRUE(reader.Next(record));
        EXPECT_EQ(record.Time, (TTraceTime{at, false}));
    }
}

TEST(TraceReader, MarksAnOddDigitAndKeepsTheWholePairs) {
    std::string netadrd = "0000 00000000 31311C30 3";
    netadrd.resize(73, ' ');
    netadrd += "*11.0*";
    const std::string cases[][2] = {
        {"RECV 311C30303", "1\x1C"
                           "00"},
        {"00000000: 3131 1c30 3  11.0\n", "11\x1C"
                                          "0"},
        {netadrd, "11\x1C"
                  "0"},
    };
    for (const auto& c : cases) {
        TTraceReader reader(c[0]);
        TTraceRecord record;
        ASSERT_TRUE(reader.Next(record)) << c[0];
        EXPECT_EQ(record.Message, c[1]) << c[0];
        EXPECT_TRUE(record.OddDigit) << c[0];
    }
}

TEST(TraceLayouts, NamesReadBack) {
    for (const TTraceLayout layout : AllTraceLayouts()) {
        EXPECT_EQ(TraceLayoutFromName(TraceLayoutName(layout)), layout);
    }
    EXPECT_FALSE(TraceLayoutFromName("hexdump").has_value());
}

TEST(TraceTimes, Format) {
    EXPECT_EQ(FormatTraceTime({(86'400LL * 19'844 + 3'723) * 1'000'000'000 + 123'456'789, true}),
              "2024-05-01T01:02:03.123456");
    EXPECT_EQ(FormatTraceTime({86'400LL * 1'000'000'000 + 5'000, false}, ' '), "00:00:00.000005");
    EXPECT_EQ(FormatSeconds(std::chrono::nanoseconds(273'000'999)), "0.273");
    EXPECT_EQ(FormatSeconds(std::chrono::seconds(12)), "12");
    EXPECT_EQ(FormatSeconds(std::chrono::milliseconds(-1'500)), "-1.5");
    EXPECT_EQ(FormatSeconds(std::chrono::milliseconds(250), true), "0.250000");
}

// ---- The pieces --------------------------------------------------------------------

struct TTimeCase {
    std::string Line;
    std::optional<std::int64_t> TimeOfDayMs;
    std::optional<std::int64_t> Day;
};

void PrintTo(const TTimeCase& c, std::ostream* out) {
    *out << c.Line;
}

class FindTimestampTest : public ::testing::TestWithParam<TTimeCase> {};

TEST_P(FindTimestampTest, ReadsTheTimeThatStandsApart) {
    const auto& c = GetParam();
    const auto found = FindTimestamp(c.Line);
    ASSERT_EQ(found.has_value(), c.TimeOfDayMs.has_value());
    if (found) {
        EXPECT_EQ(found->TimeOfDay / 1'000'000, *c.TimeOfDayMs);
        EXPECT_EQ(found->Day, c.Day);
    }
}

constexpr std::int64_t kMay1st2024 = 19'844;

INSTANTIATE_TEST_SUITE_P(
    Lines, FindTimestampTest,
    ::testing::Values(TTimeCase{"10:42:01 RECV", 38'521'000, {}},
                      TTimeCase{"[10:42:01.5] SEND", 38'521'500, {}},
                      TTimeCase{"at 10:42:01,123456789 from 001", 38'521'123, {}},
                      TTimeCase{"2024-05-01 00:00:00.001 x", 1, kMay1st2024},
                      TTimeCase{"2024/05/01T23:59:59", 86'399'000, kMay1st2024},
                      TTimeCase{"2024-02-30 10:00:00", 36'000'000, {}}, // no such day
                      TTimeCase{"9999-01-01 10:00:00", 36'000'000, {}}, // beyond 2200
                      TTimeCase{"24:00:00", {}, {}}, TTimeCase{"10:60:00", {}, {}},
                      TTimeCase{"110:42:01", {}, {}}, TTimeCase{"10:42:011", {}, {}},
                      TTimeCase{"31:1C:10:42:01:1C", {}, {}}, // hex joined by ":"
                      TTimeCase{"x10:42:01", {}, {}}, TTimeCase{"no time here: 10:4", {}, {}}),
    NamedBy(&TTimeCase::Line));

struct TDumpCase {
    std::string Line;
    std::string Bytes; // hex, as the line holds them
    bool AsciiShown;
};

void PrintTo(const TDumpCase& c, std::ostream* out) {
    *out << c.Line;
}

class ParseDumpLineTest : public ::testing::TestWithParam<TDumpCase> {};

TEST_P(ParseDumpLineTest, ReadsTheGroupsAndNotTheAsciiColumn) {
    const auto& c = GetParam();
    trace::TDumpScratch scratch;
    const auto dump = ParseDumpLine(c.Line, scratch);
    ASSERT_EQ(dump.has_value(), !c.Bytes.empty());
    if (dump) {
        std::string digits;
        for (std::size_t at = dump->HexBegin; at < dump->HexEnd; ++at) {
            if (HexDigitValue(c.Line[at]) >= 0) {
                digits.push_back(static_cast<char>(std::tolower(c.Line[at])));
            }
        }
        EXPECT_EQ(digits.substr(0, dump->Bytes * 2), c.Bytes);
        EXPECT_EQ(dump->AsciiBegin != trace::kNone, c.AsciiShown);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Tools, ParseDumpLineTest,
    ::testing::Values(
        TDumpCase{"00000000: 3131 1c30 3031 1c1c 4131 4232 4333 4434  11.001..A1B2C3D4",
                  "31311c3030311c1c4131423243334434", true},
        // An ASCII column that looks like hex, whole or in part.
        TDumpCase{"00000010: 3132 3334                                1234", "31323334", true},
        TDumpCase{"00000010: 4142 4344 4546 4130 4131 4132 4133 4134  ABCDEFA0A1A2A3A4",
                  "41424344454641304131413241334134", true},
        TDumpCase{"00000010: 3132 33                                  123", "313233", true},
        TDumpCase{"00000000  31 31 1c 30 30 31 1c 1c  41 31 42 32 43 33 44 34  |11.001..A1B2C3D4|",
                  "31311c3030311c1c4131423243334434", true},
        TDumpCase{"00000050  37 38 39                                          |789|", "373839",
                  true},
        TDumpCase{"000020 30 32 54 48  >02TH<", "30325448", true},
        TDumpCase{"0010: 1C31301C 34373631  *.10.4761*", "1c31301c34373631", true},
        // No ASCII column, or one that does not show these bytes.
        TDumpCase{"0000 311C3030 311C1C30", "311c3030311c1c30", false},
        TDumpCase{"0000  31 32 33  xyz", "313233", false},
        // Not a dump line: no offset, or hex glued to it.
        TDumpCase{"10:42:01 RECV 31 31", "", false}, TDumpCase{"00000000:3131", "", false},
        TDumpCase{"000 31 32", "", false}, TDumpCase{"0000", "", false}),
    NamedBy(&TDumpCase::Line));

struct THexRunCase {
    std::string Line;
    std::string Run; // empty: none
};

void PrintTo(const THexRunCase& c, std::ostream* out) {
    *out << c.Line;
}

class FindHexRunTest : public ::testing::TestWithParam<THexRunCase> {};

TEST_P(FindHexRunTest, TakesTheHexThatEndsTheLine) {
    const auto& c = GetParam();
    const auto time = FindTimestamp(c.Line);
    const auto run = FindHexRun(c.Line, time ? time->End : 0);
    ASSERT_EQ(run.has_value(), !c.Run.empty());
    if (run) {
        EXPECT_EQ(c.Line.substr(run->Begin, run->End - run->Begin), c.Run);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Lines, FindHexRunTest,
    ::testing::Values(THexRunCase{"10:42:01.123 RECV 311C3030", "311C3030"},
                      THexRunCase{"-> 31 1c 30 30 ", "31 1c 30 30"},
                      THexRunCase{"host: 31.1C.30.30", "31.1C.30.30"},
                      THexRunCase{"10:42:01 31:1c:30:30", "31:1c:30:30"},
                      THexRunCase{"ATM 0012 31 1C 30 30", "31 1C 30 30"},
                      THexRunCase{"ATM 0012 311C3030311C", "311C3030311C"},
                      THexRunCase{"311C3030 311C1C30 3132", "311C3030 311C1C30 3132"},
                      THexRunCase{"10:42:01", ""}, THexRunCase{"RECV 31 32 (len 2)", ""},
                      THexRunCase{"len=311C3030", ""}, THexRunCase{"", ""}),
    NamedBy(&THexRunCase::Line));

} // namespace
} // namespace velquist::test
