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

#include "Format.h"
#include "HexText.h"
#include "Tables.h"
#include "velquist/UDiebold.h"

#include <algorithm>
#include <cstdint>
#include <string>

namespace velquist {

namespace {

constexpr char kLF = '\x0A';
constexpr char kFF = '\x0C';
constexpr char kCR = '\x0D';
constexpr char kSO = '\x0E';
constexpr char kSI = '\x0F';
constexpr char kESC = '\x1B';

constexpr TCharText kFunctionIds[] = {
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

constexpr TCharText kCardFlags[] = {
    {'0', "return card\r\n"},
    {'1', "retain card\r\n"},
};
constexpr std::string_view kUnknownCardFlag = "unknown flag\r\n";

constexpr TCharText kPrinterFlags[] = {
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

// Screen and printer data are control sequences embedded in text: a control
// character acts on the characters after it, and what it inserts is never
// looked at again. Walking the text from its last character to its first does
// both at once. The processed tail is kept reversed, so that its first
// character (the one just after the current position) is rev.back() and
// inserting or deleting at the current position is a push or pop at the end.
//
// `step` is called after each character has been pushed; it sees the current
// character at rev.back() and the processed tail beneath it.
template <typename TStep>
std::string WalkBackwards(std::string_view text, TStep step) {
    std::string rev;
    rev.reserve(text.size());
    for (auto it = text.rbegin(); it != text.rend(); ++it) {
        rev.push_back(*it);
        step(rev);
    }
    std::reverse(rev.begin(), rev.end());
    return rev;
}

// Removes and returns the character at rev.back(), or nothing if there is none.
std::string PopChar(std::string& rev) {
    if (rev.empty()) {
        return {};
    }
    std::string ch(1, rev.back());
    rev.pop_back();
    return ch;
}

void PushReversed(std::string& rev, std::string_view text) {
    rev.append(text.rbegin(), text.rend());
}

// SI, row, column: a positioning sequence, replaced by its label.
void ScreenStep(std::string& rev) {
    if (rev.back() != kSI) {
        return;
    }
    rev.pop_back();
    const std::string row = PopChar(rev);
    const std::string col = PopChar(rev);
    PushReversed(rev, Format("\r\n\t\tRow=%s Col=%s Data:", {row, col}));
}

// The printer controls, tested in this order on whatever stands at the current
// position after the tests before:
//   LF        gets a CR in front of it
//   SO n      n - 48 blanks ("3" gives three); nothing for a code below 48
//   ESC x     both removed (the sequence's parameter is not printable)
//   FF        removed
void PrinterStep(std::string& rev) {
    if (rev.back() == kLF) {
        rev.push_back(kCR);
    }
    if (rev.back() == kSO) {
        rev.pop_back();
        const std::string count = PopChar(rev);
        if (!count.empty()) {
            const int blanks = static_cast<unsigned char>(count.front()) - 48;
            if (blanks > 0) {
                rev.append(static_cast<std::size_t>(blanks), ' ');
            }
        }
    }
    if (!rev.empty() && rev.back() == kESC) {
        rev.pop_back();
        PopChar(rev);
    }
    if (!rev.empty() && rev.back() == kFF) {
        rev.pop_back();
    }
}

std::string DecodePrinterData(std::string_view data) {
    return WalkBackwards(data, PrinterStep);
}

} // namespace

std::string TDieboldMsg::FunctionCommandText() const {
    return Format("Function Command (%s)\r\nLogical Unit Number = %s\r\n"
                  "Message Sequence Number = %s\r\nNext State ID = %s\r\n"
                  "Number of Bills: \r\n%s%s%s\r\n",
                  {HexDump(Field(0), " "), Field(1), Field(2), Field(3), DecodeBillCounts(Field(4)),
                   DecodeFunctionIds(Field(5)), DecodeCardAndPrinter(Field(6))});
}

std::string TDieboldMsg::DecodeBillCounts(std::string_view field) {
    std::string text;
    const std::size_t pairs = field.size() / 2;
    for (std::size_t k = 1; k <= pairs; ++k) {
        AppendFormat(text, "    > Dispense %d %s bills\r\n",
                     {IntFromText(Mid(field, 2 * k - 1, 2), 0), BillLetter(k)});
    }
    return text;
}

std::string_view TDieboldMsg::FunctionIdName(std::string_view functionId) {
    return LookupChar(kFunctionIds, CharAt(functionId, 1), kUnknownFunctionId);
}

std::string TDieboldMsg::DecodeFunctionIds(std::string_view field) {
    const std::string_view functionId = CharAt(field, 5);
    return Format("Function ID:\r\n"
                  "\tTransaction SN     : %s\r\n"
                  "\tFunction ID        : %s (%s)\r\n"
                  "\tScreen Number      : %s\r\n"
                  "\tScreen Disp Update : %s\r\n"
                  "\tScreen Data        : %s\r\n",
                  {Mid(field, 1, 4), FunctionIdName(functionId), functionId, Mid(field, 6, 3),
                   Mid(field, 9, 3), DecodeScreenData(Mid(field, 12))});
}

std::string TDieboldMsg::DecodeScreenData(std::string_view screenData) {
    return WalkBackwards(screenData, ScreenStep);
}

std::string TDieboldMsg::DecodeCardAndPrinter(std::string_view field) {
    const std::string_view printerFlag = CharAt(field, 3);
    const std::string printerData =
        printerFlag == "0" ? std::string() : DecodePrinterData(Mid(field, 4));
    return Format("Message Coord. Number : %s\r\nCard Flag: %sPrinter flag: %s\r\n"
                  "Printer Data:\r\n========================================\r\n"
                  "%s\r\n====================END=================\r\n",
                  {CharAt(field, 1), LookupChar(kCardFlags, CharAt(field, 2), kUnknownCardFlag),
                   LookupChar(kPrinterFlags, printerFlag, kUnknownPrinterFlag), printerData});
}

} // namespace velquist
