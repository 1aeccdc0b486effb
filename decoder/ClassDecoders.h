#pragma once

// What the decoders of the message classes share beyond the helpers: pieces of
// text that more than one class writes.

#include "HexText.h"
#include "TextOut.h"

#include <string>
#include <string_view>

namespace velquist {

// The bytes as hex pairs separated by blanks, shown for those bytes.
inline void PutHexDump(TTextOut& out, std::string_view bytes, std::string_view separator = " ") {
    out.Write(TFrom::Bytes(bytes),
              [bytes, separator](std::string& text) { AppendHexDump(text, bytes, separator); });
}

// A hardware configuration device sub-field ("B") of a solicited status.
void PutHardwareConfig(TTextOut& out, std::string_view subField);

} // namespace velquist
