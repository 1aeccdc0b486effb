#pragma once

// Screen and printer data: text with control sequences embedded in it.
//
// A control character acts on the characters after it, and what it inserts is
// never looked at again. Walking the text from its last character to its first
// does both at once: each control sees the text after it already processed,
// and takes its parameters from there (an SO whose count is the CR put in front
// of a line feed takes that CR).
//
// Screen data: SI, row, column is a positioning sequence, shown as
// "\r\n\t\tRow=<row> Col=<column> Data:".
//
// Printer data, the tests made in this order on the character at the current
// position:
//   LF        gets a CR in front of it
//   SO n      becomes n - 48 blanks ("3" gives three); nothing for a code below 48
//   ESC x     both removed (the sequence's parameter is not printable)
//   FF        removed
// An SO, ESC or SI with nothing after it takes nothing.

#include "TextOut.h"

#include <string_view>

namespace velquist {

// The processed text, each piece shown for the bytes it came from: a row label
// for its positioning sequence, text for its bytes, blanks for their SO.
void PutScreenData(TTextOut& out, std::string_view screenData);
void PutPrinterData(TTextOut& out, std::string_view printerData);

} // namespace velquist
