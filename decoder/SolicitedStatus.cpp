// Solicited status (class "22"): the terminal's answer to a host command.
//
//   field 0  message class
//   field 1  logical unit number
//   field 3  status descriptor (character 1)
//   field 4  status information, read for two descriptors only:
//            "8"  device sub-fields separated by GS, each beginning with its
//                 device identifier
//            "C"  reject reason (character 1)
//
// Device sub-fields with data of their own:
//
//   "<"  configuration ID: hex digits, one per character ("0".."9", ":".."?");
//        digits 1-4 the configuration number, digits 5-6 and 7-8 switch bytes
//   "B"  hardware configuration (HardwareConfig.cpp)
//   "D"  cassettes: two characters per cassette, supply condition then
//        denomination code or special condition

#include "ClassDecoders.h"
#include "HexText.h"
#include "Tables.h"
#include "TextOut.h"
#include "UDiebold.h"

#include <cstdint>

namespace velquist {

namespace {

constexpr TCodeName kStatusDescriptors[] = {
    {'8', "Device Fault / Configuration Information"},
    {'9', "Ready"},
    {'A', "General Command Reject"},
    {'B', "Ready (Function Command Successful)"},
    {'C', "Specific MAC Command Reject"},
    {'D', "Specific Command Reject"},
    {'J', "Enhanced Status"},
};

constexpr TCodeName kRejectReasons[] = {
    {'1', "Message Authentication Code (MAC) failure."},
    {'2', "Time variant number failure."},
};

// Devices shown by name with the hex of their whole sub-field.
constexpr TCodeName kDevices[] = {
    {'1', "Not Used"},
    {'2', "Transaction Record Printer / Journal Printer"},
    {'3', "Securomatic Depository"},
    {';', "Trap"},
    {'=', "Card Writer"},
    {'>', "Card Reader"},
    {'?', "Dispenser"},
    {'@', "Delivery Door"},
    {'A', "Depository"},
    {'C', "Check Point"},
};

constexpr char kConfigurationId = '<';
constexpr char kHardwareConfig = 'B';
constexpr char kCassettes = 'D';

// Switches of the configuration ID, shown when their bit is set.
constexpr TBitText kConfigSwitches[] = {
    {2, 6, ", Supervisor switch"},
    {2, 5, ", Supply switch"},
    {3, 0, ", Go In-service flag"},
};

constexpr std::size_t kConfigNumberDigits = 4;

// Cassette entries whose second character is a special condition rather than a
// denomination code.
constexpr TCodeName kCassetteConditions[] = {
    {'0', "No Cassette Present"},
    {':', "Denomination ID Cannot Be Read"},
    {'?', "No Feed Module Present"},
};

constexpr TCodeName kSupplyConditions[] = {
    {'<', " Normal Condition"},
    {'>', " Currency Supply Low"},
};

// Denomination codes "1".."8" stand for the denominations "A".."H".
constexpr unsigned char kDenominationOffset = 16;

void PutConfigurationId(TTextOut& out, std::string_view subField) {
    const std::string_view chars = Mid(subField, 2);
    const std::string digits = NibbleDump(chars, ""); // one digit per character
    const std::string_view number = std::string_view(digits).substr(0, kConfigNumberDigits);
    out.Put("- Configuration ID ", TFrom::Bytes(CharAt(subField, 1)));
    out.PutFormat("%s (CfgNum=%s", {TFmtArg(digits, TFrom::Chars(chars)),
                                    TFmtArg(number, TFrom::Chars(chars.substr(0, number.size())))});
    PutSetBits(out, digits, chars, kConfigSwitches);
    out.Put(")\r\n", TFrom());
}

// The name of a cassette entry: a special condition, or a denomination with
// the supply condition.
void AppendCassetteStatusName(std::string& out, std::string_view entry) {
    const std::string_view code = CharAt(entry, 2);
    const std::string_view condition = LookupChar(kCassetteConditions, code);
    if (!condition.empty()) {
        out += condition;
        return;
    }
    out += "Cassette Denomination ";
    if (!code.empty()) {
        out += static_cast<char>(static_cast<unsigned char>(code.front()) + kDenominationOffset);
    }
    out += LookupChar(kSupplyConditions, CharAt(entry, 1));
}

void PutCassettes(TTextOut& out, std::string_view subField) {
    const std::string_view entries = Mid(subField, 2);
    for (std::size_t k = 1; k <= entries.size() / 2; ++k) {
        const std::string_view entry = entries.substr(2 * k - 2, 2);
        out.PutFormat("   - Cassette %d, ", {static_cast<std::int64_t>(k)});
        out.Write(TFrom::Bytes(entry),
                  [entry](std::string& text) { AppendCassetteStatusName(text, entry); });
        out.Put(" (", TFrom());
        PutHexDump(out, entry);
        out.Put(")\r\n", TFrom());
    }
}

void PutDevice(TTextOut& out, std::string_view subField) {
    const std::string_view id = CharAt(subField, 1);
    if (id.empty()) {
        return; // an empty sub-field names no device
    }
    switch (id.front()) {
    case kConfigurationId: PutConfigurationId(out, subField); return;
    case kHardwareConfig: PutHardwareConfig(out, subField); return;
    case kCassettes:
        out.Put("- Cassette (", TFrom());
        PutHexDump(out, id);
        out.Put(")\r\n", TFrom());
        PutCassettes(out, subField);
        return;
    default: break;
    }
    const std::string_view name = LookupChar(kDevices, id);
    if (!name.empty()) {
        out.Put("- ", TFrom());
        out.Put(name, TFrom::Bytes(id));
        out.Put(" (", TFrom());
        PutHexDump(out, subField);
        out.Put(")\r\n", TFrom());
    }
}

// The devices of a device fault / configuration information status, in the
// order of their sub-fields.
void PutDevices(TTextOut& out, std::string_view field) {
    ForEachPiece(TPieces(field, kGS), [&out](std::size_t, std::string_view subField) {
        PutDevice(out, subField);
        return true;
    });
}

} // namespace

std::span<const TCodeName> StatusDescriptorNames() {
    return kStatusDescriptors;
}

std::string_view TDieboldMsg::StatusDescriptorName(std::string_view descriptor) {
    return LookupChar(kStatusDescriptors, descriptor);
}

void TDieboldMsg::DecodeStatusInformation(TTextOut& out, std::string_view descriptor) const {
    if (descriptor == "8") {
        PutDevices(out, Field(4));
    } else if (descriptor == "C") {
        const std::string_view reason = CharAt(Field(4), 1);
        out.Put(LookupChar(kRejectReasons, reason), TFrom::Bytes(reason));
    }
}

std::string TDieboldMsg::DecodeCassettes(std::string_view subField) {
    TTextOut out;
    PutCassettes(out, subField);
    return out.TakeText();
}

std::string TDieboldMsg::CassetteStatusName(std::string_view entry) {
    std::string name;
    AppendCassetteStatusName(name, entry);
    return name;
}

void TDieboldMsg::PutSolicited(TTextOut& out) const {
    // The detail text, the last value of the header, follows the header.
    out.PutFormat("Solicited (%s)\r\nLogical Unit Number = %s\r\nStatus Descriptor = %s (%s)\r\n",
                  {Shown(HexDump(Field(0), " "), Field(0)), Field(1),
                   Shown(StatusDescriptorName(CharAt(Field(3), 1)), CharAt(Field(3), 1)),
                   Shown(StrToHex(Field(3)), Field(3))});
    DecodeStatusInformation(out, CharAt(Field(3), 1));
}

} // namespace velquist
