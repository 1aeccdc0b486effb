#include "TestUtil.h"
#include "UDiebold.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

namespace velquist {
namespace {

using test::Lines;

// A hardware configuration sub-field of `digits` digits after the "B", all "0"
// but the given bytes (two characters each, at byte index k).
std::string Config(const std::vector<std::pair<std::size_t, std::string>>& bytes,
                   std::size_t digits = 66) {
    std::string subField(digits + 1, '0');
    subField.front() = 'B';
    for (const auto& [index, pair] : bytes) {
        subField.replace(1 + 2 * index, 2, pair);
    }
    return subField;
}

TEST(HardwareConfig, StandardSectionAllClear) {
    EXPECT_EQ(
        TDieboldMsg::DecodeHardwareConfig("B01"),
        Lines({"- Hardware Configuration (42 30 31)", "  Standard Hardware Configuration",
               "   a. 911 mode", "   b. Quick Cash Fascia: disable",
               "      Card reader type: motorized or Dip", "      Enhanced deposit printer: N/A",
               "      VISA PIN PROM: N/A", "      Vandal shield: N/A", "      Withdrawal door: N/A",
               "   c. Securomatic After Hour depository: N/A", "      DES PIN hardware: N/A",
               "      Journal printer: N/A", "      Card reader: N/A", "      Depositor: N/A",
               "   d. Double expanded hardware configuration: compatible",
               "      Consumer printer type: non 80-column", "      Consumer printer: N/A",
               "      Consumer display: N/A", "      Dispenser: N/A"}));
}

TEST(HardwareConfig, StandardSectionAllSet) {
    EXPECT_EQ(
        TDieboldMsg::DecodeHardwareConfig(Config({{0, "02"}, {1, "??"}, {2, "??"}, {7, "??"}}, 16)),
        Lines({"- Hardware Configuration (42 30 32 3F 3F 3F 3F 30 30 30 30 30 30 30 30 3F "
               "3F)",
               "  Standard Hardware Configuration", "   a. 912 mode (international)",
               "   b. Quick Cash Fascia: enable", "      Card reader type: swipe-style",
               "      Enhanced deposit printer: present", "      VISA PIN PROM: present",
               "      Vandal shield: present", "      Withdrawal door: present",
               "   c. Securomatic After Hour depository: present",
               "      DES PIN hardware: present", "      Journal printer: present",
               "      Card reader: present", "      Depositor: present",
               "   d. Double expanded hardware configuration: not available",
               "      Consumer printer type: 80-column", "      Consumer printer: present",
               "      Consumer display: present", "      Dispenser: present"}));
}

// ---------------------------------------------------------------- sections

struct SectionCase {
    std::size_t digits;
    bool expanded;
    std::string ending;
};

class HardwareConfigSections : public ::testing::TestWithParam<SectionCase> {};

TEST_P(HardwareConfigSections, ByNumberOfDigits) {
    const std::string text = TDieboldMsg::DecodeHardwareConfig(Config({}, GetParam().digits));
    EXPECT_EQ(
        text.find("\r\n  Expanded Hardware Configuration\r\n   a. Operation keys: 4 keys\r\n") !=
            std::string::npos,
        GetParam().expanded);
    EXPECT_TRUE(text.ends_with(GetParam().ending)) << text;
}

INSTANTIATE_TEST_SUITE_P(
    Table, HardwareConfigSections,
    ::testing::Values(SectionCase{32, false,
                                  "      Consumer display: N/A\r\n      Dispenser: N/A\r\n"},
                      SectionCase{33, true,
                                  "      Type of Quick Cash terminal: three-step\r\n"
                                  "      Dip card reader: N/A\r\n"},
                      SectionCase{64, true,
                                  "      Color graphics feature: N/A\r\n"
                                  "      Type of Quick Cash terminal: three-step\r\n"
                                  "      Dip card reader: N/A\r\n"},
                      SectionCase{65, true,
                                  "      Dip card reader: N/A\r\n"
                                  "  Double Expanded Hardware Configuration\r\n"
                                  "   a. Coin denominations present: \r\n"
                                  "      Phase II Voice Option: N/A\r\n"
                                  "      Card reader mounted for magnetic stripe up: N/A\r\n"
                                  "      Track 1 and Track 2 card writer: N/A\r\n"
                                  "      Smart chip card reader: N/A\r\n"
                                  "   b. Bill Limit Entry: 0\r\n"}),
    test::NamedBy([](const SectionCase& c) {
        return std::to_string(c.digits) + " digits" + (c.expanded ? " expanded" : "");
    }));

TEST(HardwareConfig, SubFieldOfTheIdentifierAlone) {
    const std::string text = TDieboldMsg::DecodeHardwareConfig("B");
    EXPECT_TRUE(text.starts_with("- Hardware Configuration (42)\r\n  Standard Hardware "
                                 "Configuration\r\n   a.    b. Quick Cash Fascia: disable\r\n"));
    EXPECT_TRUE(text.ends_with("      Dispenser: N/A\r\n"));
}

// ---------------------------------------------------------------- items

struct ItemCase {
    std::vector<std::pair<std::size_t, std::string>> bytes;
    std::string fragment;
};

class HardwareConfigItems : public ::testing::TestWithParam<ItemCase> {};

TEST_P(HardwareConfigItems, ShowTheirBytes) {
    const std::string text = TDieboldMsg::DecodeHardwareConfig(Config(GetParam().bytes));
    EXPECT_NE(text.find(GetParam().fragment), std::string::npos) << text;
}

INSTANTIATE_TEST_SUITE_P(
    Table, HardwareConfigItems,
    ::testing::Values(
        ItemCase{{{0, "03"}}, "   a. 912 mode (domestic)\r\n   b. Quick Cash Fascia: disable\r\n"},
        ItemCase{{{0, "04"}}, "\r\n   a.    b. Quick Cash Fascia: disable\r\n"},
        ItemCase{{{0, "?1"}}, "\r\n   a.    b. Quick Cash Fascia: disable\r\n"},
        ItemCase{
            {{8, "??"}},
            Lines({"   a. Operation keys: 8 keys", "      Withdrawal door type: motorized",
                   "      Camera: present", "      Consumer printer paper selection: blank paper",
                   "      Consumer display grid: 40 by 20",
                   "      Function keys mapped to ABCD: left keys",
                   "      i Series/MDS terminal operating in TABS Native modes",
                   "   b. Consumer printer column width: 0"})},
        ItemCase{
            {{8, "00"}},
            Lines({"   a. Operation keys: 4 keys", "      Withdrawal door type: manual",
                   "      Camera: N/A", "      Consumer printer paper selection: paper w/TOF mark",
                   "      Consumer display grid: 32 by 16",
                   "      Function keys mapped to ABCD: right keys",
                   "   b. Consumer printer column width: 0"})},
        ItemCase{{{9, "28"}}, "\r\n   b. Consumer printer column width: 40\r\n"},
        ItemCase{{{9, "??"}}, "\r\n   b. Consumer printer column width: 255\r\n"},
        ItemCase{{{10, "81"}},
                 Lines({"   c. Dispense Cassette denominations present in terminal: ",
                        "       - Denomination code H", "       - Denomination code A",
                        "   d. Check depositor: N/A"})},
        ItemCase{{{10, "00"}},
                 Lines({"   c. Dispense Cassette denominations present in terminal: ",
                        "   d. Check depositor: N/A"})},
        ItemCase{{{11, "??"}},
                 Lines({"   d. Check depositor: present", "      Coin dispenser: present",
                        "      Electronic Data Capture (EDC): present",
                        "      Color graphics feature: present",
                        "      Type of Quick Cash terminal: four-step",
                        "      Dip card reader: present"})},
        ItemCase{{{16, "<>"}},
                 Lines({"   a. Coin denominations present: ", "       - Denomination code H",
                        "       - Denomination code G", "       - Denomination code D",
                        "       - Denomination code C", "       - Denomination code B",
                        "      Phase II Voice Option: N/A"})},
        ItemCase{{{18, "??"}},
                 Lines({"      Phase II Voice Option: present",
                        "      Card reader mounted for magnetic stripe up: present",
                        "      Track 1 and Track 2 card writer: present",
                        "      Smart chip card reader: present", "      VGA Plus (reserved)",
                        "      VGA Plus with 512K video memory",
                        "      VGA Plus with 256K video memory", "   b. Bill Limit Entry: 0"})},
        ItemCase{{{20, ">8"}, {21, "03"}}, "\r\n   b. Bill Limit Entry: 1000\r\n"},
        ItemCase{{{20, "??"}, {21, "??"}}, "\r\n   b. Bill Limit Entry: 65535\r\n"}),
    test::NamedBy(&ItemCase::fragment));

} // namespace
} // namespace velquist
