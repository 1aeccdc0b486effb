// Operational command (class "1" with a second character other than "1" and
// "2"): the host orders the terminal to change its operating state.
//
//   field 0  message class
//   field 1  logical unit number
//   field 2  message sequence number
//   field 3  command code (character 1; the rest is not read)

#include "HexText.h"
#include "Tables.h"
#include "TextOut.h"
#include "UDiebold.h"

namespace velquist {

namespace {

constexpr TCodeName kCommandCodes[] = {
    {'1', "Go in-service to consumers (startup)"},
    {'2', "Go out-of-service to consumers (shutdown)"},
    {'3', "Configuration information request"},
    {'4', "Close vandal shield and allow future operations"},
    {'5', "Open vandal shield and disallow future operations"},
    {'6', "Authorize terminal to unlock safe door solenoid lock"},
    {'7', "Do not authorize terminal to unlock safe door solenoid lock"},
};

} // namespace

std::span<const TCodeName> CommandCodeNames() {
    return kCommandCodes;
}

std::string_view TDieboldMsg::OperationalCommandName(std::string_view commandCode) {
    return LookupChar(kCommandCodes, CharAt(commandCode, 1));
}

void TDieboldMsg::PutOperationalCommand(TTextOut& out) const {
    out.PutFormat("Operational Command (%s)\r\nLogical Unit Number = %s\r\n"
                  "Message Sequence Number = %s\r\nCommand Code = %s",
                  {Shown(HexDump(Field(0), " "), Field(0)), Field(1), Field(2),
                   Shown(OperationalCommandName(Field(3)), CharAt(Field(3), 1))});
}

} // namespace velquist
