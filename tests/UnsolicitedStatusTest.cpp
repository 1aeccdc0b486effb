#include "ProcessRunner.h"
#include "TestUtil.h"
#include "UDiebold.h"

#include <gtest/gtest.h>

#include <string>

namespace velquist {
namespace {

using test::Lines;
using test::Msg;

struct StatusCase {
    std::string field3;
    std::string status; // after "Status Descriptor = "
};

class UnsolicitedStatus : public ::testing::TestWithParam<StatusCase> {};

TEST_P(UnsolicitedStatus, DeviceAndItsStatus) {
    EXPECT_EQ(TDieboldMsg(Msg({"12", "001", "", GetParam().field3})).GetDecodedText(),
              "Unsolicited (31 32)\r\nLogical Unit Number = 001\r\nStatus Descriptor = " +
                  GetParam().status);
}

INSTANTIATE_TEST_SUITE_P(
    Devices, UnsolicitedStatus,
    ::testing::Values(StatusCase{"1", "Power Failure 31"}, StatusCase{"20", "Alarm 3230"},
                      StatusCase{"3", "SUPERVISORY and RUN/SUPPLY keylock switches 33"},
                      StatusCase{"5%s", "Card Readers 352573"}, StatusCase{"6", "Control Panel 36"},
                      StatusCase{"7\x1D", "Card Writers 371D"},
                      StatusCase{"801", "Vandal Shield 383031"}, StatusCase{"9", ""},
                      StatusCase{"0", ""}, StatusCase{"A1", ""}, StatusCase{"", ""}),
    test::NamedBy(&StatusCase::status));

INSTANTIATE_TEST_SUITE_P(
    Printers, UnsolicitedStatus,
    ::testing::Values(
        StatusCase{"4", "Printers\r\n"},
        StatusCase{"482A0", Lines({"Printers", "  - Print operation complete",
                                   "  - Consumer printer has faulted",
                                   "  - Consumer printer has run low on paper",
                                   "  - Consumer printer has run out of paper"})},
        StatusCase{"4F", Lines({"Printers", "  - Consumer printer has faulted",
                                "  - Journal printer has faulted"})},
        StatusCase{
            "4FFFF",
            Lines({"Printers", "  - Print operation complete", "  - Consumer printer has faulted",
                   "  - Journal printer has faulted", "  - Consumer printer has run low on paper",
                   "  - Consumer printer has run out of paper",
                   "  - Fault occurred during a top-of-form search on the consumer printer",
                   "  - Fault occurred during a head return and line feed on the consumer "
                   "printer",
                   "  - Fault occurred during a head return on the consumer printer"})},
        StatusCase{"47C51", "Printers\r\n"},
        StatusCase{"4ZZ80", Lines({"Printers", "  - Consumer printer has run low on paper"})},
        StatusCase{"48a", Lines({"Printers", "  - Print operation complete",
                                 "  - Consumer printer has faulted"})},
        StatusCase{"4000603", Lines({"Printers",
                                     "  - Fault occurred during a head return and "
                                     "line feed on the consumer printer",
                                     "  - Fault occurred during a head return on the consumer "
                                     "printer"})}),
    test::NamedBy(&StatusCase::field3));

using test::DecodeErrors;
using test::TDecodeErrorCase;

INSTANTIATE_TEST_SUITE_P(
    UnsolicitedStatus, DecodeErrors,
    ::testing::Values(TDecodeErrorCase{"12", "List index out of bounds (1)"},
                      TDecodeErrorCase{Msg({"12", "001"}), "List index out of bounds (3)"},
                      TDecodeErrorCase{Msg({"12", "001", "4"}), "List index out of bounds (3)"}),
    test::NamedBy(&test::TDecodeErrorCase::Error));

TEST(UnsolicitedEndToEnd, PrinterStatus) {
    const auto run =
        test::RunProcess({VELQUIST_DECODE_PATH, "--mode", "string", "--text", "12~000~~40108"}, "");
    EXPECT_EQ(run.ExitCode, 0);
    EXPECT_EQ(run.Out, Lines({"Unsolicited (31 32)", "Logical Unit Number = 000",
                              "Status Descriptor = Printers", "  - Journal printer has faulted",
                              "  - Fault occurred during a top-of-form search on the consumer "
                              "printer"}));
    EXPECT_EQ(run.Err, "");
}

} // namespace
} // namespace velquist
