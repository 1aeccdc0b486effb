#pragma once

// The protocol's codes that a front end shows by name: one character of a
// message and its name, as the decoder names it. A packet dissector builds its
// value strings from these, so its tree and filters name a code the way the
// decoded text does.

#include <span>
#include <string_view>

namespace velquist {

struct TCodeName {
    char Code;
    std::string_view Name;
};

// A solicited status's status descriptor (character 1 of field 3): "8" is
// "Device Fault / Configuration Information", ...
std::span<const TCodeName> StatusDescriptorNames();

// A function command's function ID (character 5 of field 5). Any other
// character is "Unknown Function ID".
std::span<const TCodeName> FunctionIdNames();

// An operational command's command code (character 1 of field 3).
std::span<const TCodeName> CommandCodeNames();

} // namespace velquist
