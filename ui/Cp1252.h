#pragma once

// The Windows-1252 code page between the window's text and message bytes.
//
// Protocol messages are byte strings written in the Windows ANSI code page. The
// window is the only place where bytes meet text: the input text becomes message
// bytes here, and the decoded bytes become the text the output area shows.

#include <QString>
#include <QStringView>

#include <string>
#include <string_view>

namespace velquist::ui {

// The text's characters as Windows-1252 bytes, one byte a character; a character
// the code page cannot hold (a surrogate pair counting as one) becomes "?".
std::string ToCp1252(QStringView text);

// The bytes as the text an output area shows. Every byte shows as one visible
// character, so nothing is dropped and a NUL does not end the text:
//   CR LF, a lone CR and a lone LF   a line break ("\n")
//   tab                              a tab
//   other control bytes              their Unicode control pictures (NUL U+2400,
//                                    ESC U+241B, DEL U+2421)
//   0x81 0x8D 0x8F 0x90 0x9D         U+FFFD, as Windows-1252 leaves them undefined
//   everything else                  its Windows-1252 character
QString ShownCp1252(std::string_view bytes);

} // namespace velquist::ui
