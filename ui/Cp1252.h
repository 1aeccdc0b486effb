#pragma once

// The Windows-1252 code page between the window's text and message bytes.
//
// Protocol messages are byte strings written in the Windows ANSI code page. The
// window is the only place where bytes meet text: the input text becomes message
// bytes here, and the decoded bytes become the text the output area shows
// (ShownText.h).

#include <QString>
#include <QStringView>

#include <cstdint>
#include <string>
#include <string_view>

namespace velquist::ui {

// The text's characters as Windows-1252 bytes, one byte a character; a character
// the code page cannot hold (a surrogate pair counting as one) becomes "?".
std::string ToCp1252(QStringView text);

// The Windows-1252 character of a byte: ASCII (control bytes included) and
// Latin-1 as they are, the 0x80 row as the code page has it, and U+FFFD for the
// five bytes it leaves undefined (0x81 0x8D 0x8F 0x90 0x9D).
char16_t Cp1252Char(std::uint8_t byte);

} // namespace velquist::ui
