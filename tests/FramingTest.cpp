// The framing headers: what a header announces, where a PDU ends, and that a
// framed message reads back as itself.

#include "velquist/Framing.h"
#include "TestUtil.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

namespace velquist {
namespace {

std::span<const std::uint8_t> Bytes(std::string_view text) {
    return {reinterpret_cast<const std::uint8_t*>(text.data()), text.size()};
}

struct THeaderCase {
    TFraming Framing;
    std::string Header;
    std::optional<std::size_t> Announced;
};

class AnnouncedLengthTest : public ::testing::TestWithParam<THeaderCase> {};

TEST_P(AnnouncedLengthTest, ReadsTheHeader) {
    const auto& c = GetParam();
    EXPECT_EQ(AnnouncedLength(c.Framing, Bytes(c.Header)), c.Announced);
}

INSTANTIATE_TEST_SUITE_P(
    Headers, AnnouncedLengthTest,
    ::testing::Values(THeaderCase{TFraming::Be16, std::string("\x01\x02", 2), 258},
                      THeaderCase{TFraming::Le16, std::string("\x01\x02", 2), 513},
                      THeaderCase{TFraming::Be16, std::string("\x00\x00", 2), 0},
                      THeaderCase{TFraming::Be16, "\xFF\xFF", 65535},
                      THeaderCase{TFraming::Le16, std::string("\xFF\x00", 2), 255},
                      THeaderCase{TFraming::Ascii4, "0042", 42},
                      THeaderCase{TFraming::Ascii4, "9999", 9999},
                      THeaderCase{TFraming::Ascii4, "0000", 0},
                      // Only four decimal digits make an ASCII header.
                      THeaderCase{TFraming::Ascii4, "00A1", std::nullopt},
                      THeaderCase{TFraming::Ascii4, " 123", std::nullopt},
                      THeaderCase{TFraming::Ascii4, "+123", std::nullopt},
                      THeaderCase{TFraming::Ascii4, "12:4", std::nullopt},
                      THeaderCase{TFraming::Ascii4, "12/4", std::nullopt},
                      // Too few bytes, and no header at all.
                      THeaderCase{TFraming::Be16, "\x01", std::nullopt},
                      THeaderCase{TFraming::Ascii4, "123", std::nullopt},
                      THeaderCase{TFraming::None, "0042", std::nullopt}),
    test::NamedBy([](const THeaderCase& c) {
        constexpr const char* kNames[] = {"be16", "le16", "ascii4", "none"};
        return kNames[static_cast<int>(c.Framing)] + (" " + c.Header);
    }));

TEST(PduLength, IsTheHeaderAndTheMessageItAnnounces) {
    EXPECT_EQ(HeaderLength(TFraming::Be16), 2u);
    EXPECT_EQ(HeaderLength(TFraming::Le16), 2u);
    EXPECT_EQ(HeaderLength(TFraming::Ascii4), 4u);
    EXPECT_EQ(HeaderLength(TFraming::None), 0u);
    // Whatever the stream holds after it: the PDU ends where the header says.
    EXPECT_EQ(PduLength(TFraming::Be16, Bytes(std::string("\x00\x05", 2)), 3), 7u);
    EXPECT_EQ(PduLength(TFraming::Le16, Bytes(std::string("\x05\x00", 2)), 100), 7u);
    EXPECT_EQ(PduLength(TFraming::Ascii4, Bytes("0010"), 4), 14u);
}

TEST(PduLength, RunsToTheEndOfTheDataWhenTheHeaderIsNoLength) {
    EXPECT_EQ(PduLength(TFraming::Ascii4, Bytes("x010"), 57), 57u);
}

TEST(FrameMessage, ReadsBackAsTheMessage) {
    for (const auto framing : {TFraming::Be16, TFraming::Le16, TFraming::Ascii4}) {
        for (const std::size_t length : {0u, 1u, 10u, 255u, 256u, 999u, 9999u}) {
            SCOPED_TRACE(testing::Message() << "framing " << int(framing) << ", length " << length);
            const std::string message(length, 'M');
            const auto framed = FrameMessage(framing, message);
            ASSERT_TRUE(framed);
            const std::size_t header = HeaderLength(framing);
            EXPECT_EQ(AnnouncedLength(framing, Bytes(*framed)), length);
            EXPECT_EQ(framed->substr(header), message);
            EXPECT_EQ(PduLength(framing, Bytes(*framed), framed->size() + 5), framed->size());
        }
    }
    EXPECT_EQ(FrameMessage(TFraming::None, "22\x1C"), "22\x1C");
}

TEST(FrameMessage, RefusesWhatTheHeaderCannotHold) {
    EXPECT_TRUE(FrameMessage(TFraming::Be16, std::string(65535, 'M')));
    EXPECT_FALSE(FrameMessage(TFraming::Be16, std::string(65536, 'M')));
    EXPECT_FALSE(FrameMessage(TFraming::Le16, std::string(65536, 'M')));
    EXPECT_FALSE(FrameMessage(TFraming::Ascii4, std::string(10000, 'M')));
}

} // namespace
} // namespace velquist
