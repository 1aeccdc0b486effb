#pragma once

// A message in brief, for lists of many messages (a capture's packet list, a
// trace listing): who it concerns, which exchange it belongs to, and the one
// item that tells most about it. Everything is a view into the message, so a
// front end knows where each item stands in the message bytes.

#include "velquist/CodeNames.h"
#include "velquist/Decode.h"

#include <optional>
#include <string_view>

namespace velquist {

struct TMessageSummary {
    // Field 0, the message class.
    std::string_view Class;

    // Field 1, the logical unit number: the terminal the message comes from or
    // goes to. None for a message of one field, and for a message of no known
    // class, whose field 1 may be anything.
    std::optional<std::string_view> Luno;

    // The message coordination number, which ties a function command to the
    // consumer request it answers: character 2 of field 4 of a consumer request,
    // character 1 of field 6 of a function command. None for other types and
    // where the message does not hold that character.
    std::optional<std::string_view> Mcn;

    // The code the item names (one character), where the message has it: a
    // solicited status's status descriptor (character 1 of field 3), a function
    // command's function ID (character 5 of field 5), an operational command's
    // command code (character 1 of field 3).
    std::optional<std::string_view> StatusDescriptor;
    std::optional<std::string_view> FunctionId;
    std::optional<std::string_view> CommandCode;

    // The name that tells most about the message: the name of the code above
    // (CodeNames.h). Empty for the other types, and where the code is absent or
    // not in its table (but "Unknown Function ID" for a function ID).
    std::string_view Item;
};

// The summary of a message of the given type (TDecodeResult::Type: the
// classification, or mtWriteCommand7 for a key change). Never throws; a message
// too short for an item leaves that item out.
TMessageSummary SummarizeMessage(std::string_view message, TDMsgType type);

} // namespace velquist
