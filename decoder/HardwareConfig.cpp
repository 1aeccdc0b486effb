// Hardware configuration: the device sub-field "B" of a solicited status that
// reports configuration information.
//
// The characters after the "B" are hex digits, one per character ("0".."9",
// ":".."?"); each pair of digits is one configuration byte, a bit map of
// installed features. Bytes beyond the data read as 0, so every item of a
// section is always shown, in its clear state where the data is missing.
//
//   bytes 0, 1, 2, 7     standard configuration (always)
//   bytes 8, 9, 10, 11   expanded configuration (more than 32 digits)
//   bytes 16, 18, 20, 21 double expanded configuration (more than 64 digits)

#include "ClassDecoders.h"
#include "HexText.h"
#include "Tables.h"
#include "TextOut.h"
#include "UDiebold.h"

#include <array>
#include <cstdint>
#include <span>

namespace velquist {

namespace {

constexpr std::size_t kExpandedDigits = 32;       // more digits than this: expanded
constexpr std::size_t kDoubleExpandedDigits = 64; // more than this: double expanded

// One item of a configuration bit map: the label, then the text for the bit's
// state. An item without a label and without a clear text is a line that shows
// only when its bit is set.
struct TConfigBit {
    std::uint8_t Byte;
    std::uint8_t Bit;
    std::string_view Label;
    std::string_view SetText;
    std::string_view ClearText;
};

constexpr std::string_view kPresent = "present\r\n";
constexpr std::string_view kNotAvailable = "N/A\r\n";

// Terminal mode, from the whole value of byte 0.
constexpr std::array<std::string_view, 4> kModes = {
    "", // any other value: nothing, not even a line end
    "911 mode\r\n",
    "912 mode (international)\r\n",
    "912 mode (domestic)\r\n",
};

constexpr TConfigBit kStandardBits[] = {
    {1, 7, "   b. Quick Cash Fascia: ", "enable\r\n", "disable\r\n"},
    {1, 6, "      Card reader type: ", "swipe-style\r\n", "motorized or Dip\r\n"},
    {1, 5, "      Enhanced deposit printer: ", kPresent, kNotAvailable},
    {1, 3, "      VISA PIN PROM: ", kPresent, kNotAvailable},
    {1, 1, "      Vandal shield: ", kPresent, kNotAvailable},
    {1, 0, "      Withdrawal door: ", kPresent, kNotAvailable},
    {2, 5, "   c. Securomatic After Hour depository: ", kPresent, kNotAvailable},
    {2, 4, "      DES PIN hardware: ", kPresent, kNotAvailable},
    {2, 3, "      Journal printer: ", kPresent, kNotAvailable},
    {2, 2, "      Card reader: ", kPresent, kNotAvailable},
    {2, 0, "      Depositor: ", kPresent, kNotAvailable},
    {7, 5, "   d. Double expanded hardware configuration: ", "not available\r\n", "compatible\r\n"},
    {7, 4, "      Consumer printer type: ", "80-column\r\n", "non 80-column\r\n"},
    {7, 3, "      Consumer printer: ", kPresent, kNotAvailable},
    {7, 2, "      Consumer display: ", kPresent, kNotAvailable},
    {7, 0, "      Dispenser: ", kPresent, kNotAvailable},
};

constexpr TConfigBit kExpandedFeatureBits[] = {
    {8, 7, "   a. Operation keys: ", "8 keys\r\n", "4 keys\r\n"},
    {8, 6, "      Withdrawal door type: ", "motorized\r\n", "manual\r\n"},
    {8, 4, "      Camera: ", kPresent, kNotAvailable},
    {8, 3, "      Consumer printer paper selection: ", "blank paper\r\n", "paper w/TOF mark\r\n"},
    {8, 2, "      Consumer display grid: ", "40 by 20\r\n", "32 by 16\r\n"},
    {8, 1, "      Function keys mapped to ABCD: ", "left keys\r\n", "right keys\r\n"},
    {8, 0, "", "      i Series/MDS terminal operating in TABS Native modes\r\n", ""},
};

constexpr std::uint8_t kPrinterColumnsByte = 9;
constexpr std::uint8_t kCassetteDenominationsByte = 10;

constexpr TConfigBit kExpandedDeviceBits[] = {
    {11, 7, "   d. Check depositor: ", kPresent, kNotAvailable},
    {11, 6, "      Coin dispenser: ", kPresent, kNotAvailable},
    {11, 5, "      Electronic Data Capture (EDC): ", kPresent, kNotAvailable},
    {11, 4, "      Color graphics feature: ", kPresent, kNotAvailable},
    {11, 3, "      Type of Quick Cash terminal: ", "four-step\r\n", "three-step\r\n"},
    {11, 0, "      Dip card reader: ", kPresent, kNotAvailable},
};

constexpr std::uint8_t kCoinDenominationsByte = 16;

constexpr TConfigBit kDoubleExpandedBits[] = {
    {18, 6, "      Phase II Voice Option: ", kPresent, kNotAvailable},
    {18, 5, "      Card reader mounted for magnetic stripe up: ", kPresent, kNotAvailable},
    {18, 4, "      Track 1 and Track 2 card writer: ", kPresent, kNotAvailable},
    {18, 3, "      Smart chip card reader: ", kPresent, kNotAvailable},
    {18, 2, "", "      VGA Plus (reserved)\r\n", ""},
    {18, 1, "", "      VGA Plus with 512K video memory\r\n", ""},
    {18, 0, "", "      VGA Plus with 256K video memory\r\n", ""},
};

constexpr std::uint8_t kBillLimitLowByte = 20;
constexpr std::uint8_t kBillLimitHighByte = 21;

// Denomination codes present, one line per set bit, from bit 7 down.
constexpr TBitLines kDenominationLines = {
    "       - Denomination code H\r\n", "       - Denomination code G\r\n",
    "       - Denomination code F\r\n", "       - Denomination code E\r\n",
    "       - Denomination code D\r\n", "       - Denomination code C\r\n",
    "       - Denomination code B\r\n", "       - Denomination code A\r\n",
};

// Each item shows the pair of characters its byte was read from.
void PutConfigBits(TTextOut& out, std::string_view digits, std::string_view chars,
                   std::span<const TConfigBit> bits) {
    for (const auto& item : bits) {
        const std::string_view state =
            IsBitSet(static_cast<std::uint32_t>(HexByteAt(digits, item.Byte)), item.Bit)
                ? item.SetText
                : item.ClearText;
        const TFrom from = TFrom::Bytes(PairChars(chars, item.Byte));
        if (!item.Label.empty() || !state.empty()) { // a line shown only when set
            out.Put(item.Label, from);
            out.Put(state, from);
        }
    }
}

void PutByteBits(TTextOut& out, std::string_view digits, std::string_view chars, std::size_t byte) {
    PutBitLines(out, static_cast<std::uint32_t>(HexByteAt(digits, byte)), kDenominationLines,
                TFrom::Bytes(PairChars(chars, byte)));
}

void PutStandard(TTextOut& out, std::string_view digits, std::string_view chars) {
    const auto mode = static_cast<std::size_t>(HexByteAt(digits, 0));
    out.Put("  Standard Hardware Configuration\r\n   a. ", TFrom());
    out.Put(mode < kModes.size() ? kModes[mode] : kModes[0], TFrom::Bytes(PairChars(chars, 0)));
    PutConfigBits(out, digits, chars, kStandardBits);
}

void PutExpanded(TTextOut& out, std::string_view digits, std::string_view chars) {
    out.Put("  Expanded Hardware Configuration\r\n", TFrom());
    PutConfigBits(out, digits, chars, kExpandedFeatureBits);
    out.PutFormat("   b. Consumer printer column width: %d\r\n",
                  {TFmtArg(HexByteAt(digits, kPrinterColumnsByte),
                           TFrom::Bytes(PairChars(chars, kPrinterColumnsByte)))});
    out.Put("   c. Dispense Cassette denominations present in terminal: \r\n", TFrom());
    PutByteBits(out, digits, chars, kCassetteDenominationsByte);
    PutConfigBits(out, digits, chars, kExpandedDeviceBits);
}

void PutDoubleExpanded(TTextOut& out, std::string_view digits, std::string_view chars) {
    out.Put("  Double Expanded Hardware Configuration\r\n   a. Coin denominations present: \r\n",
            TFrom());
    PutByteBits(out, digits, chars, kCoinDenominationsByte);
    PutConfigBits(out, digits, chars, kDoubleExpandedBits);
    const auto billLimit = static_cast<std::uint16_t>(HexByteAt(digits, kBillLimitHighByte) * 256 +
                                                      HexByteAt(digits, kBillLimitLowByte));
    // Bytes 20 and 21 stand side by side: the line shows both.
    const std::string_view limitChars = Mid(chars, 2 * kBillLimitLowByte + 1, 4);
    out.PutFormat("   b. Bill Limit Entry: %d\r\n",
                  {TFmtArg(static_cast<int>(billLimit), TFrom::Bytes(limitChars))});
}

} // namespace

void PutHardwareConfig(TTextOut& out, std::string_view subField) {
    const std::string_view chars = Mid(subField, 2);
    const std::string digits = NibbleDump(chars, ""); // one digit per character
    out.Put("- Hardware Configuration (", TFrom());
    PutHexDump(out, subField);
    out.Put(")\r\n", TFrom());
    PutStandard(out, digits, chars);
    if (digits.size() > kExpandedDigits) {
        PutExpanded(out, digits, chars);
        if (digits.size() > kDoubleExpandedDigits) {
            PutDoubleExpanded(out, digits, chars);
        }
    }
}

std::string TDieboldMsg::DecodeHardwareConfig(std::string_view subField) {
    TTextOut out;
    PutHardwareConfig(out, subField);
    return out.TakeText();
}

} // namespace velquist
