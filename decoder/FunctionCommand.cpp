// Function command (class "4"): the host's reply to a consumer request, with
// the bills to dispense, the transaction function, the screen to show, what to
// do with the card and what to print.
//
//   field 0  message class
//   field 1  logical unit number
//   field 2  message sequence number
//   field 3  next state ID
//   field 4  number of bills: two characters per cassette, "A" first
//   field 5  transaction serial number (1-4), function ID (5), screen number
//            (6-8), screen display update (9-11), screen data (12 to the end)
//   field 6  message coordination number (1), card flag (2), printer flag (3),
//            printer data (4 to the end)

#include "ControlText.h"
#include "HexText.h"
#include "Tables.h"
#include "TextOut.h"
#include "UDiebold.h"

#include <algorithm>
#include <cstdint>
#include <string>

namespace velquist {

namespace {

constexpr TCodeName kFunctionIds[] = {
    {'4', "Perform a print immediate"},
    {'5', "Set next state and print"},
    {'6', "Securomatic deposit and print"},
    {'7', "Deposit and Print"},
    {'8', "Dispense, deliver, and print"},
    {'9', "Deliver and print"},
    {'=', "Write card, return card, dispense, deliver, and print"},
    {'?', "Deposit, write card, return card, dispense, deliver, and print"},
    {'A', "Perform a deposit (valid for the TABS 912 terminal only)"},
    {'B', "Perform a dispense"},
    {'C', "Perform a delivery"},
    {'D', "Perform a print and wait for for commpletion"},
    {'E', "Perform a return card"},
    {'F', "Perform a write card"},
    {'G', "Perform a Scuromatic deposit"},
    {'H', "Perform a print and do not wait for completion"},
    {'J', "Return card, dispense, deliver, and print (911)"},
    {'K', "Deposit envelope, return card, dispense, deliver, and print (911)"},
    {'L', "Conditional Delivery Door exercise"},
    {'M', "Unconditional Delivery Door exercise"},
    {'O', "Print, return card, dispense, and deliver (911)"},
    {'P', "Print data and stay in present state"},
    {'Q', "Perform Presenter dump operation"},
    {'R', "Deposit check to escrow (912)"},
    {'S', "Return check if in escrow (912)"},
    {'T', "Retain check if in escrow (912)"},
    {'U', "Present card (912)"},
    {'V', "Write Track 1"},
    {'W', "Write Track 2"},
    {'X', "Disable IDM and allow no further operations"},
    {'Z', "Do Nothing"},
};
constexpr std::string_view kUnknownFunctionId = "Unknown Function ID";

constexpr TCodeName kCardFlags[] = {
    {'0', "return card\r\n"},
    {'1', "retain card\r\n"},
};
constexpr std::string_view kUnknownCardFlag = "unknown flag\r\n";

constexpr TCodeName kPrinterFlags[] = {
    {'0', "don't print"},
    {'1', "print on journal printer only"},
    {'2', "print on transaction record printer only"},
    {'3', "print on both printers"},
};
constexpr std::string_view kUnknownPrinterFlag = "unknown flag";

// Pairs up to this one are named by the letter 64 + k ("A" for the first);
// beyond it the code would leave the byte range.
constexpr std::size_t kLastLetteredPair = 191;

std::string BillLetter(std::size_t pair) {
    if (pair <= kLastLetteredPair) {
        return std::string(1, static_cast<char>(64 + pair));
    }
    return Format("#%d", {static_cast<std::int64_t>(pair)});
}

void PutBillCounts(TTextOut& out, std::string_view field) {
    const std::size_t pairs = field.size() / 2;
    for (std::size_t k = 1; k <= pairs; ++k) {
        const std::string_view pair = Mid(field, 2 * k - 1, 2);
        out.PutFormat("    > Dispense %d %s bills\r\n",
                      {TFmtArg(IntFromText(pair, 0), TFrom::Bytes(pair)), BillLetter(k)});
    }
}

void PutFunctionIds(TTextOut& out, std::string_view field) {
    const std::string_view functionId = CharAt(field, 5);
    out.PutFormat("Function ID:\r\n"
                  "\tTransaction SN     : %s\r\n"
                  "\tFunction ID        : %s (%s)\r\n"
                  "\tScreen Number      : %s\r\n"
                  "\tScreen Disp Update : %s\r\n"
                  "\tScreen Data        : ",
                  {Mid(field, 1, 4), Shown(TDieboldMsg::FunctionIdName(functionId), functionId),
                   functionId, Mid(field, 6, 3), Mid(field, 9, 3)});
    PutScreenData(out, Mid(field, 12));
    out.Put("\r\n", TFrom());
}

void PutCardAndPrinter(TTextOut& out, std::string_view field) {
    const std::string_view cardFlag = CharAt(field, 2);
    const std::string_view printerFlag = CharAt(field, 3);
    out.PutFormat(
        "Message Coord. Number : %s\r\nCard Flag: %sPrinter flag: %s\r\n"
        "Printer Data:\r\n========================================\r\n",
        {CharAt(field, 1), Shown(LookupChar(kCardFlags, cardFlag, kUnknownCardFlag), cardFlag),
         Shown(LookupChar(kPrinterFlags, printerFlag, kUnknownPrinterFlag), printerFlag)});
    if (printerFlag != "0") {
        PutPrinterData(out, Mid(field, 4));
    }
    out.Put("\r\n====================END=================\r\n", TFrom());
}

// A text of its own, written by `put`.
template <typename TPut>
std::string TextOf(TPut put) {
    TTextOut out;
    put(out);
    return out.TakeText();
}

} // namespace

void TDieboldMsg::PutFunctionCommand(TTextOut& out) const {
    // The fields are fetched in order, 0 to 6: a short message names the first
    // one missing.
    out.PutFormat("Function Command (%s)\r\nLogical Unit Number = %s\r\n"
                  "Message Sequence Number = %s\r\nNext State ID = %s\r\n"
                  "Number of Bills: \r\n",
                  {Shown(HexDump(Field(0), " "), Field(0)), Field(1), Field(2), Field(3)});
    PutBillCounts(out, Field(4));
    PutFunctionIds(out, Field(5));
    PutCardAndPrinter(out, Field(6));
    out.Put("\r\n", TFrom());
}

std::string TDieboldMsg::DecodeBillCounts(std::string_view field) {
    return TextOf([field](TTextOut& out) { PutBillCounts(out, field); });
}

std::span<const TCodeName> FunctionIdNames() {
    return kFunctionIds;
}

std::string_view TDieboldMsg::FunctionIdName(std::string_view functionId) {
    return LookupChar(kFunctionIds, CharAt(functionId, 1), kUnknownFunctionId);
}

std::string TDieboldMsg::DecodeFunctionIds(std::string_view field) {
    return TextOf([field](TTextOut& out) { PutFunctionIds(out, field); });
}

std::string TDieboldMsg::DecodeScreenData(std::string_view screenData) {
    return TextOf([screenData](TTextOut& out) { PutScreenData(out, screenData); });
}

std::string TDieboldMsg::DecodeCardAndPrinter(std::string_view field) {
    return TextOf([field](TTextOut& out) { PutCardAndPrinter(out, field); });
}

} // namespace velquist
