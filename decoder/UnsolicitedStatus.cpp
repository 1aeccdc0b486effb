// Unsolicited status (class "12"): the terminal reports, on its own, that a
// device has changed state.
//
//   field 0  message class
//   field 1  logical unit number
//   field 3  character 1 the device identifier "1".."8", then the device's status
//
// Only the printers' status is spelled out: characters 2-3 and 4-5 of field 3
// are two status bytes written as hex digits. Every other device is shown as
// the hex of its whole status field.

#include "ClassDecoders.h"
#include "HexText.h"
#include "Tables.h"
#include "TextOut.h"
#include "UDiebold.h"

namespace velquist {

namespace {

constexpr char kPrinters = '4';

constexpr TCodeName kDevices[] = {
    {'1', "Power Failure "},
    {'2', "Alarm "},
    {'3', "SUPERVISORY and RUN/SUPPLY keylock switches "},
    {'5', "Card Readers "},
    {'6', "Control Panel "},
    {'7', "Card Writers "},
    {'8', "Vandal Shield "},
};

// One line per printer condition reported, shown when its bit is set. Byte 0 is
// characters 2-3 of the status field, byte 1 characters 4-5.
constexpr TBitText kPrinterConditions[] = {
    {0, 7, "  - Print operation complete\r\n"},
    {0, 1, "  - Consumer printer has faulted\r\n"},
    {0, 0, "  - Journal printer has faulted\r\n"},
    {1, 7, "  - Consumer printer has run low on paper\r\n"},
    {1, 5, "  - Consumer printer has run out of paper\r\n"},
    {1, 3, "  - Fault occurred during a top-of-form search on the consumer printer\r\n"},
    {1, 2, "  - Fault occurred during a head return and line feed on the consumer printer\r\n"},
    {1, 1, "  - Fault occurred during a head return on the consumer printer\r\n"},
};

} // namespace

void TDieboldMsg::DecodeUnsolicitedStatus(TTextOut& out, std::string_view deviceId) const {
    if (deviceId.size() == 1 && deviceId.front() == kPrinters) {
        const std::string_view statusBytes = Mid(Field(3), 2, 6);
        out.Put("Printers", TFrom::Bytes(deviceId));
        out.Put("\r\n", TFrom());
        PutSetBits(out, statusBytes, statusBytes, kPrinterConditions);
        return;
    }
    // An unknown device shows nothing, but the line still stands for its byte.
    out.Put(LookupChar(kDevices, deviceId), TFrom::Bytes(deviceId));
    if (!LookupChar(kDevices, deviceId).empty()) {
        PutHexDump(out, Field(3), {});
    }
}

void TDieboldMsg::PutUnsolicited(TTextOut& out) const {
    out.PutFormat("Unsolicited (%s)\r\nLogical Unit Number = %s\r\nStatus Descriptor = ",
                  {Shown(HexDump(Field(0), " "), Field(0)), Field(1)});
    DecodeUnsolicitedStatus(out, CharAt(Field(3), 1));
}

} // namespace velquist
