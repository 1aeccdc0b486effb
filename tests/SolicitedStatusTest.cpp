#include "ProcessRunner.h"
#include "TestUtil.h"
#include "UDiebold.h"

#include <gtest/gtest.h>

#include <string>

namespace velquist {
namespace {

using test::Lines;
using test::Msg;

const std::string kHeader = "Solicited (32 32)\r\nLogical Unit Number = 000\r\n";

// ---------------------------------------------------------------- descriptors

struct DescriptorCase {
    std::string field3;
    std::string field4;
    std::string text; // after the logical unit number line
};

class SolicitedDescriptor : public ::testing::TestWithParam<DescriptorCase> {};

TEST_P(SolicitedDescriptor, NameAndDetail) {
    EXPECT_EQ(
        TDieboldMsg(Msg({"22", "000", "", GetParam().field3, GetParam().field4})).GetDecodedText(),
        kHeader + GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(
    Table, SolicitedDescriptor,
    ::testing::Values(
        DescriptorCase{"9", "", "Status Descriptor = Ready (39)\r\n"},
        DescriptorCase{"A1", "1", "Status Descriptor = General Command Reject (4131)\r\n"},
        DescriptorCase{"5", "", "Status Descriptor =  (35)\r\n"},
        DescriptorCase{"", "1", "Status Descriptor =  ()\r\n"},
        DescriptorCase{"C", "1",
                       "Status Descriptor = Specific MAC Command Reject (43)\r\n"
                       "Message Authentication Code (MAC) failure."},
        DescriptorCase{"C", "2X",
                       "Status Descriptor = Specific MAC Command Reject (43)\r\n"
                       "Time variant number failure."},
        DescriptorCase{"C", "3", "Status Descriptor = Specific MAC Command Reject (43)\r\n"},
        DescriptorCase{"C", "", "Status Descriptor = Specific MAC Command Reject (43)\r\n"},
        DescriptorCase{"8", "",
                       "Status Descriptor = Device Fault / Configuration Information (38)\r\n"}),
    test::NamedBy([](const DescriptorCase& c) { return c.field3 + " " + c.field4; }));

TEST(SolicitedStatus, ReadyNeedsNoField4) {
    EXPECT_EQ(TDieboldMsg(Msg({"22", "000", "", "9"})).GetDecodedText(),
              kHeader + "Status Descriptor = Ready (39)\r\n");
}

// ---------------------------------------------------------------- devices

struct DeviceCase {
    std::string field4;
    std::string lines;
};

class SolicitedDevices : public ::testing::TestWithParam<DeviceCase> {};

TEST_P(SolicitedDevices, OneTextPerSubField) {
    EXPECT_EQ(TDieboldMsg(Msg({"22", "000", "", "8", GetParam().field4})).GetDecodedText(),
              kHeader + "Status Descriptor = Device Fault / Configuration Information (38)\r\n" +
                  GetParam().lines);
}

INSTANTIATE_TEST_SUITE_P(
    Table, SolicitedDevices,
    ::testing::Values(
        DeviceCase{"?0\x1D"
                   "4xyz\x1D=1",
                   Lines({"- Dispenser (3F 30)", "- Card Writer (3D 31)"})},
        DeviceCase{"1\x1D"
                   "2\x1D"
                   "3\x1D;\x1D@\x1D"
                   "A\x1D"
                   "C\x1D>",
                   Lines({"- Not Used (31)", "- Transaction Record Printer / Journal Printer (32)",
                          "- Securomatic Depository (33)", "- Trap (3B)", "- Delivery Door (40)",
                          "- Depository (41)", "- Check Point (43)", "- Card Reader (3E)"})},
        // Identifiers outside the table and empty sub-fields show nothing.
        DeviceCase{"0\x1D:\x1D"
                   "E\x1D"
                   "4\x1D\x1D?\x1D",
                   Lines({"- Dispenser (3F)"})},
        DeviceCase{"<12346001", Lines({"- Configuration ID 12346001 (CfgNum=1234, Supervisor "
                                       "switch, Supply switch, Go In-service flag)"})},
        DeviceCase{"<0:1?", Lines({"- Configuration ID 0A1F (CfgNum=0A1F)"})},
        DeviceCase{"<", Lines({"- Configuration ID  (CfgNum=)"})},
        DeviceCase{"<00", Lines({"- Configuration ID 00 (CfgNum=00)"})},
        DeviceCase{"<000040",
                   Lines({"- Configuration ID 000040 (CfgNum=0000, Supervisor switch)"})},
        DeviceCase{"<00006", Lines({"- Configuration ID 00006 (CfgNum=0000)"})},
        DeviceCase{"<0000001", Lines({"- Configuration ID 0000001 (CfgNum=0000, Go In-service "
                                      "flag)"})},
        DeviceCase{"<0000200", Lines({"- Configuration ID 0000200 (CfgNum=0000, Supply switch)"})},
        DeviceCase{"D<1>2=30?",
                   Lines({"- Cassette (44)",
                          "   - Cassette 1, Cassette Denomination A Normal Condition (3C 31)",
                          "   - Cassette 2, Cassette Denomination B Currency Supply Low (3E 32)",
                          "   - Cassette 3, Cassette Denomination C (3D 33)",
                          "   - Cassette 4, No Feed Module Present (30 3F)"})},
        DeviceCase{"D>8<", Lines({"- Cassette (44)",
                                  "   - Cassette 1, Cassette Denomination H Currency Supply Low "
                                  "(3E 38)"})},
        DeviceCase{"D", Lines({"- Cassette (44)"})}, DeviceCase{"D1", Lines({"- Cassette (44)"})},
        DeviceCase{
            "D<:\x1D"
            "D>0",
            Lines({"- Cassette (44)", "   - Cassette 1, Denomination ID Cannot Be Read (3C 3A)",
                   "- Cassette (44)", "   - Cassette 1, No Cassette Present (3E 30)"})}),
    test::NamedBy(&DeviceCase::field4));

std::size_t Count(std::string_view text, std::string_view part) {
    std::size_t count = 0;
    for (auto at = text.find(part); at != std::string_view::npos; at = text.find(part, at + 1)) {
        ++count;
    }
    return count;
}

TEST(SolicitedDevices, EachHardwareConfigurationInFull) {
    const std::string text = TDieboldMsg(Msg({"22", "000", "", "8",
                                              "B01\x1D=\x1D"
                                              "B"}))
                                 .GetDecodedText();
    EXPECT_NE(text.find("(38)\r\n- Hardware Configuration (42 30 31)\r\n"
                        "  Standard Hardware Configuration\r\n   a. 911 mode\r\n"),
              std::string::npos);
    EXPECT_NE(text.find("      Dispenser: N/A\r\n- Card Writer (3D)\r\n"
                        "- Hardware Configuration (42)\r\n  Standard Hardware Configuration\r\n"
                        "   a.    b. Quick Cash Fascia: disable\r\n"),
              std::string::npos);
    EXPECT_TRUE(text.ends_with("      Consumer display: N/A\r\n      Dispenser: N/A\r\n"));
    EXPECT_EQ(Count(text, "  Standard Hardware Configuration\r\n"), 2u);
}

struct CassetteNameCase {
    std::string entry;
    std::string name;
};

class CassetteName : public ::testing::TestWithParam<CassetteNameCase> {};

TEST_P(CassetteName, BySecondCharacterThenFirst) {
    EXPECT_EQ(TDieboldMsg::CassetteStatusName(GetParam().entry), GetParam().name);
}

INSTANTIATE_TEST_SUITE_P(
    Table, CassetteName,
    ::testing::Values(CassetteNameCase{"<0", "No Cassette Present"},
                      CassetteNameCase{">:", "Denomination ID Cannot Be Read"},
                      CassetteNameCase{"x?", "No Feed Module Present"},
                      CassetteNameCase{"<1", "Cassette Denomination A Normal Condition"},
                      CassetteNameCase{">8", "Cassette Denomination H Currency Supply Low"},
                      CassetteNameCase{"<9", "Cassette Denomination I Normal Condition"},
                      CassetteNameCase{"<\xF5", "Cassette Denomination \x05 Normal Condition"}),
    test::NamedBy(&CassetteNameCase::name));

TEST(SolicitedDevices, CassetteLinesWithoutTheDeviceLine) {
    EXPECT_EQ(TDieboldMsg::DecodeCassettes("D<1=0?"),
              Lines({"   - Cassette 1, Cassette Denomination A Normal Condition (3C 31)",
                     "   - Cassette 2, No Cassette Present (3D 30)"}));
}

TEST(SolicitedDevices, MoreThan255SubFieldsAndCassettes) {
    std::string field4 = "D";
    for (int i = 0; i < 300; ++i) {
        field4 += "<1";
    }
    for (int i = 0; i < 300; ++i) {
        field4 += "\x1D?";
    }
    const std::string text = TDieboldMsg(Msg({"22", "000", "", "8", field4})).GetDecodedText();
    EXPECT_EQ(Count(text, ", Cassette Denomination A Normal Condition (3C 31)\r\n"), 300u);
    EXPECT_NE(text.find("   - Cassette 300, Cassette Denomination A Normal Condition (3C 31)\r\n"
                        "- Dispenser (3F)\r\n"),
              std::string::npos);
    EXPECT_EQ(Count(text, "- Dispenser (3F)\r\n"), 300u);
}

// ---------------------------------------------------------------- errors

using test::DecodeErrors;
using test::TDecodeErrorCase;

INSTANTIATE_TEST_SUITE_P(
    SolicitedStatus, DecodeErrors,
    ::testing::Values(TDecodeErrorCase{"22", "List index out of bounds (1)"},
                      TDecodeErrorCase{Msg({"22", "000"}), "List index out of bounds (3)"},
                      TDecodeErrorCase{Msg({"22", "000", ""}), "List index out of bounds (3)"},
                      TDecodeErrorCase{Msg({"22", "000", "", "8"}), "List index out of bounds (4)"},
                      TDecodeErrorCase{Msg({"22", "000", "", "C1"}),
                                       "List index out of bounds (4)"}),
    test::NamedBy(&test::TDecodeErrorCase::Error));

// ---------------------------------------------------------------- velquist-decode

test::TProcessResult DecodeRaw(const std::string& message) {
    return test::RunProcess({VELQUIST_DECODE_PATH, "--mode", "raw"}, message);
}

TEST(SolicitedEndToEnd, ConfigurationInformation) {
    const auto run = DecodeRaw(Msg({"22", "000", "", "8",
                                    ">2\x1D"
                                    "D<1>2<30:\x1D<0123:001\x1D"
                                    "B03?:2=000000001=:;280?9900000000<0005500>8030000000000000"
                                    "00000000"}));
    EXPECT_EQ(run.ExitCode, 0);
    EXPECT_EQ(run.Err, "");
    EXPECT_EQ(
        run.Out,
        Lines({"Solicited (32 32)",
               "Logical Unit Number = 000",
               "Status Descriptor = Device Fault / Configuration Information (38)",
               "- Card Reader (3E 32)",
               "- Cassette (44)",
               "   - Cassette 1, Cassette Denomination A Normal Condition (3C 31)",
               "   - Cassette 2, Cassette Denomination B Currency Supply Low (3E 32)",
               "   - Cassette 3, Cassette Denomination C Normal Condition (3C 33)",
               "   - Cassette 4, Denomination ID Cannot Be Read (30 3A)",
               "- Configuration ID 0123A001 (CfgNum=0123, Supply switch, Go In-service flag)",
               "- Hardware Configuration (42 30 33 3F 3A 32 3D 30 30 30 30 30 30 30 30 31 3D 3A "
               "3B 32 38 30 3F 39 39 30 30 30 30 30 30 30 30 3C 30 30 30 35 35 30 30 3E 38 30 33 "
               "30 30 30 30 30 30 30 30 30 30 30 30 30 30 30 30 30 30 30 30 30)",
               "  Standard Hardware Configuration",
               "   a. 912 mode (domestic)",
               "   b. Quick Cash Fascia: enable",
               "      Card reader type: swipe-style",
               "      Enhanced deposit printer: present",
               "      VISA PIN PROM: present",
               "      Vandal shield: present",
               "      Withdrawal door: N/A",
               "   c. Securomatic After Hour depository: present",
               "      DES PIN hardware: N/A",
               "      Journal printer: present",
               "      Card reader: present",
               "      Depositor: present",
               "   d. Double expanded hardware configuration: compatible",
               "      Consumer printer type: 80-column",
               "      Consumer printer: present",
               "      Consumer display: present",
               "      Dispenser: present",
               "  Expanded Hardware Configuration",
               "   a. Operation keys: 8 keys",
               "      Withdrawal door type: manual",
               "      Camera: N/A",
               "      Consumer printer paper selection: blank paper",
               "      Consumer display grid: 32 by 16",
               "      Function keys mapped to ABCD: left keys",
               "      i Series/MDS terminal operating in TABS Native modes",
               "   b. Consumer printer column width: 40",
               "   c. Dispense Cassette denominations present in terminal: ",
               "       - Denomination code D",
               "       - Denomination code C",
               "       - Denomination code B",
               "       - Denomination code A",
               "   d. Check depositor: present",
               "      Coin dispenser: N/A",
               "      Electronic Data Capture (EDC): N/A",
               "      Color graphics feature: present",
               "      Type of Quick Cash terminal: four-step",
               "      Dip card reader: present",
               "  Double Expanded Hardware Configuration",
               "   a. Coin denominations present: ",
               "       - Denomination code H",
               "       - Denomination code G",
               "      Phase II Voice Option: present",
               "      Card reader mounted for magnetic stripe up: N/A",
               "      Track 1 and Track 2 card writer: present",
               "      Smart chip card reader: N/A",
               "      VGA Plus (reserved)",
               "      VGA Plus with 256K video memory",
               "   b. Bill Limit Entry: 1000"}));
}

TEST(SolicitedEndToEnd, MacReject) {
    const auto run = DecodeRaw(Msg({"22", "000", "", "C", "2"}));
    EXPECT_EQ(run.ExitCode, 0);
    EXPECT_EQ(run.Out, "Solicited (32 32)\r\nLogical Unit Number = 000\r\n"
                       "Status Descriptor = Specific MAC Command Reject (43)\r\n"
                       "Time variant number failure.");
}

TEST(SolicitedEndToEnd, MissingStatusInformation) {
    const auto run = DecodeRaw(Msg({"22", "000", "", "8"}));
    EXPECT_EQ(run.ExitCode, 1);
    EXPECT_EQ(run.Out, "");
    EXPECT_EQ(run.Err, "Error: List index out of bounds (4)\n");
}

} // namespace
} // namespace velquist
