// Write command (class "3"): customisation data from the host to the terminal.
//
//   field 0  message class
//   field 1  logical unit number
//   field 2  message sequence number
//   field 3  write identifier (character 1) and modifier (character 2)
//   field 4  the data; decoded only for Write Command III (feature bytes),
//            Write Command VIII (configuration ID) and Write Command VII (key)
//
// Write identifier "1" carries customisation data whose kind the modifier
// names; "3" is an encryption key change (Write Command VII) whose modifier says
// how the terminal is to handle the key.

#include "HexText.h"
#include "Tables.h"
#include "TextOut.h"
#include "UDiebold.h"

#include <array>
#include <cstdint>
#include <string>

namespace velquist {

namespace {

// Customisation data kinds that are named only; their data is not shown.
constexpr TCodeName kDataKinds[] = {
    {'1', "Screens"},
    {'2', "States"},
    {'5', "FITs"},
    {';', "EMG Icon definition data"},
    {'<', "EMG Font definition data"},
    {'=', "EMG Library cell data"},
    {'@', "Format Templates"},
    {'A', "Stored Value Card"},
};

// Write Command III: a features value is three decimal characters of field 4,
// decoded once field 4 is long enough to hold its block. Bit lines run from
// bit 7 down to bit 0.
struct TFeatures {
    std::size_t MinLength; // field 4 length from which the block is shown
    std::size_t Position;  // of the value's first character
    std::string_view Heading;
    TBitLines BitLines;
};

constexpr TFeatures kFeatures[] = {
    {25,
     14,
     " %3s Miscellaneous Features 1\r\n",
     {
         "     - Append rollover counts\r\n",
         "     - Decimal style\r\n",
         "     - Deposit cancel status bit\r\n",
         "     - Dollar decimal places\r\n",
         "     - Dollar Buffer size\r\n",
         "     - Fault status print\r\n",
         "     - Automatic return to previous mode\r\n",
         "     - Separate ready response\r\n",
     }},
    {25,
     20,
     " %3s Miscellaneous Features 2\r\n",
     {
         "     - Reserved\r\n",
         "     - Reject Reason codes to network\r\n",
         "     - i Series/MDS status bytes to network\r\n",
         "     - Maintenance mode log to network\r\n",
         "     - Change MMD mispick timer from 2 minutes to 30 seconds\r\n",
         "     - Expanded hardware configuration status\r\n",
         "     - Reserved\r\n",
         "     - Reserved\r\n",
     }},
    {31,
     29,
     " %3s Miscellaneous Features 3\r\n",
     {
         "     - Enable OK and correction keys for 9000 states (B, M, H)\r\n",
         "     - Transaction verification status\r\n",
         "     - No retract\r\n",
         "     - Send all status\r\n",
         "     - Message Sequence Number in Solicited Status messages\r\n",
         "     - Extended range for Message Coordination Number field\r\n",
         "     - Doubling timer 03 feature\r\n",
         "     - Double Expanded hardware configuration status\r\n",
     }},
    {34,
     32,
     " %3s Miscellaneous Features 4\r\n",
     {
         "     - Reserved\r\n",
         "     - Reserved\r\n",
         "     - Send Expanded MDS status to the network\r\n",
         "     - Disallow Dispense with Safe Door Open\r\n",
         "     - Dispenser Diagnostic Control\r\n",
         "     - Network SDM DIT Control\r\n",
         "     - Send Supplemental Dispenser status to network\r\n",
         "     - Disable Automatic Dispensing Mode\r\n",
     }},
};

// Write Command VII: how the terminal handles the new key, by modifier.
constexpr TCodeName kKeyHandling[] = {
    {'1', "(%s) Decrypt new master key with current master key"},
    {'2', "(%s) Decrypt new COMM key with current master key"},
    {'3', "(%s) Decrypt new COMM key with current COMM key"},
    {'4', "(%s) Use Power-up COMM key (B key) as current COMM key"},
    {'5', "(%s) Decrypt MAC key with current Master key"},
    {'6', "(%s) Decrypt MAC key with current COMM key"},
    {'7', "(%s) Use Power-up COMM key (B key) as current MAC key"},
    {'8', "(%s) Decrypt new VISA Master key with current VISA Master key"},
    {'9', "(%s) Send VISA key table to Terminal"},
    {'?', "(%s) Remote Key Transport"},
    {'@', "(%s) Public Key Certificate"},
};

void PutFeatures(TTextOut& out, const TFeatures& features, std::string_view data) {
    const std::string_view value = Mid(data, features.Position, 3);
    out.PutFormat(features.Heading, {value});
    PutBitLines(out, static_cast<std::uint32_t>(IntFromText(value, 0)), features.BitLines,
                TFrom::Bytes(value));
}

// `kind` is the write identifier and modifier that name the data.
void PutWriteCommand3(TTextOut& out, std::string_view data, std::string_view kind) {
    out.Put("\r\n", TFrom());
    out.Put("Write Command III Message (LUNO, miscellaneous parameters, timers)",
            TFrom::Bytes(kind));
    out.PutFormat("\r\nRaw = %s\r\n %3s Camera Control\r\n", {data, CharAt(data, 1)});
    for (const auto& features : kFeatures) {
        if (data.size() >= features.MinLength) {
            PutFeatures(out, features, data);
        }
    }
}

void PutWriteCommand8(TTextOut& out, std::string_view data, std::string_view kind) {
    out.Put("Write Command VIII Message (Configuration ID)", TFrom::Bytes(kind));
    out.PutFormat("\r\nConfiguration ID=%s", {data});
}

} // namespace

void TDieboldMsg::PutWriteCommand(TTextOut& out) {
    out.PutFormat("Write Command (%s)\r\nLogical Unit Number = %s\r\n"
                  "Message Sequence Number = %s\r\n",
                  {Shown(HexDump(Field(0), " "), Field(0)), Field(1), Field(2)});
    DecodeWriteCommand(out);
}

void TDieboldMsg::DecodeWriteCommand(TTextOut& out) {
    const std::string_view field3 = Field(3);
    const std::string_view identifier = CharAt(field3, 1);
    const std::string_view modifier = CharAt(field3, 2);
    const std::string_view kind = Mid(field3, 1, 2);

    out.PutFormat("Write Identifier = %s\r\nModifier = (%s) ", {identifier, modifier});
    if (identifier == "1") {
        if (modifier == "3") {
            PutWriteCommand3(out, Field(4), kind);
        } else if (modifier == "6") {
            PutWriteCommand8(out, Field(4), kind);
        } else {
            out.Put(LookupChar(kDataKinds, modifier), TFrom::Bytes(kind));
        }
    } else if (identifier == "2") {
        out.Put("Unknown", TFrom::Bytes(kind));
    } else if (identifier == "3") {
        const std::string_view key = Field(4);
        out.Put("Write Command VII Message (encryption key change)", TFrom::Bytes(kind));
        out.Put("\r\n", TFrom());
        // An unlisted modifier has no template: nothing is written.
        out.PutFormat(LookupChar(kKeyHandling, modifier), {modifier});
        FKey = DecTriplesToHex(key);
        out.PutFormat("\r\nKey (%s) \"%s\"", {Shown(FKey, key), key});
        FMsgType = mtWriteCommand7;
    }
}

} // namespace velquist
