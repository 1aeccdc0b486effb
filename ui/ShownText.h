#pragma once

// How the decoded bytes appear in the output area.
//
// Every byte shows as its Windows-1252 character, except:
//   CR LF, a lone CR, a lone LF    a line break
//   tab                            a tab
//   other control bytes and DEL    their ASCII names: NUL, SOH, ... ESC, FS, GS, RS, US,
//                                  DEL, as a mark
//   0x81 0x8D 0x8F 0x90 0x9D       which Windows-1252 leaves undefined: "x" and the
//                                  byte in hex, "x81", as a mark
//   0xAD                           the soft hyphen, drawn only where a line wraps:
//                                  "SHY", as a mark
// A mark is drawn in inverse colours, so it stands apart from the text around it
// (a field holding the letters "FS" is not a field separator); of two byte marks
// side by side the second is drawn in a lighter shade, so two NULs show as two.
// Marks are made of ASCII letters and digits, which every font has.
//
// A line longer than `longest` characters continues on the next display line,
// which starts with the continuation mark "…" (a mark of its own colour): laying
// out a line takes time in proportion to its length, so a message with a field
// of megabytes would otherwise freeze the window, and the mark tells the
// continuation from a line break of the message.
//
// Positions: ShowBytes also says where the characters of given bytes start in
// the shown text. A mark holds 2 or 3 characters for one byte, CR LF is one
// character for two bytes, and a continuation adds two characters (the line
// break and "…") before the byte that begins the continued line.

#include <QColor>
#include <QString>

#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

class QPalette;

namespace velquist::ui {

// The longest line the output area shows whole.
inline constexpr qsizetype kLongestShownLine = 4096;

// The continuation mark that starts a continued display line.
inline constexpr char16_t kContinuationMark = u'\u2026';

enum class TMarkKind : std::uint8_t {
    Byte,         // a control byte's name, or an undefined byte in hex
    Continuation, // the start of a continued display line
};

// A range of the shown text drawn as a mark.
struct TShownMark {
    qsizetype Start = 0;
    qsizetype Length = 0;
    TMarkKind Kind = TMarkKind::Byte;
    bool Lighter = false; // the second of two byte marks side by side
};

struct TShownText {
    QString Text;
    std::vector<TShownMark> Marks; // in the order of the text
    std::vector<qsizetype> Places; // where the characters of each byte asked for start
};

// The background of a mark in an area of `palette`, its text being in the
// area's background colour: inverse video, lighter for the second of two marks
// side by side, and the link colour for the continuation mark.
QColor MarkBackground(const QPalette& palette, const TShownMark& mark);

// The name or hex a byte shows as in a mark, empty for a byte shown as its
// character (and for tab, CR and LF).
QStringView MarkOfByte(std::uint8_t byte);

// The bytes as the output area shows them, and in Places, for each offset of
// `places` (in ascending order), where the characters of the byte at that
// offset start in the text: after a continuation mark that begins a display
// line with the byte, at the one line break for the CR and the LF of a CR LF,
// and at the end of the text for an offset at or past the last byte.
TShownText ShowBytes(std::string_view bytes, qsizetype longest = kLongestShownLine,
                     std::span<const std::size_t> places = {});

} // namespace velquist::ui
