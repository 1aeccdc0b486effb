#pragma once

// The one conversion from text to a 32-bit integer used throughout Velquist: by
// the decoders for the numbers a message carries, and by the window for the
// input mode kept in its settings file.

#include <cstdint>
#include <string_view>

namespace velquist {

// Leading blanks, one sign, then either a hex number ("$", "x", "X", "0x" or
// "0X" prefix; any 32-bit pattern, "$FFFFFFFF" is -1) or a decimal one within the
// signed 32-bit range. The digits must run to the end of the text, a NUL counting
// as the end; anything else gives `defaultValue`.
std::int32_t IntFromText(std::string_view text, std::int32_t defaultValue);

} // namespace velquist
