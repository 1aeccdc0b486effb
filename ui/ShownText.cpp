#include "ShownText.h"

#include "Cp1252.h"
#include "Highlight.h"

#include <QPalette>
#include <QPlainTextEdit>
#include <QTextCursor>
#include <QTextDocument>

#include <algorithm>
#include <array>

namespace velquist::ui {

namespace {

// The ASCII names of the control bytes 0x00..0x1F (tab, LF and CR are shown as
// what they do).
constexpr std::array<QStringView, 32> kControlNames = {
    u"NUL", u"SOH", u"STX", u"ETX", u"EOT", u"ENQ", u"ACK", u"BEL", u"BS",  u"",    u"",
    u"VT",  u"FF",  u"",    u"SO",  u"SI",  u"DLE", u"DC1", u"DC2", u"DC3", u"DC4", u"NAK",
    u"SYN", u"ETB", u"CAN", u"EM",  u"SUB", u"ESC", u"FS",  u"GS",  u"RS",  u"US",
};

// Other bytes shown as marks: the soft hyphen, which is drawn only where a line
// wraps, by its name; the bytes Windows-1252 leaves undefined, in hex.
constexpr std::array<std::pair<std::uint8_t, QStringView>, 7> kOtherMarks = {{
    {0x7F, u"DEL"},
    {0x81, u"x81"},
    {0x8D, u"x8D"},
    {0x8F, u"x8F"},
    {0x90, u"x90"},
    {0x9D, u"x9D"},
    {0xAD, u"SHY"},
}};

// The character of every byte shown as one, 0 for the others (line ends, marks).
const std::array<char16_t, 256> kPlainChars = [] {
    std::array<char16_t, 256> chars{};
    for (std::size_t byte = 0; byte < chars.size(); ++byte) {
        const auto value = static_cast<std::uint8_t>(byte);
        const bool lineEnd = value == '\r' || value == '\n';
        chars[byte] = lineEnd || !MarkOfByte(value).isEmpty() ? char16_t{0} : Cp1252Char(value);
    }
    return chars;
}();

// Builds the shown text piece by piece, one byte (or CR LF) at a time, into a
// buffer sized for the longest text the bytes can give.
class TShownBuilder {
public:
    TShownBuilder(qsizetype longest, std::size_t bytes) : FLongest(longest) {
        const auto count = static_cast<qsizetype>(bytes);
        const qsizetype continuations = 3 * count / std::max<qsizetype>(longest - 2, 1) + 1;
        FShown.Text = QString(3 * count + 2 * continuations, Qt::Uninitialized);
        FOut = FShown.Text.data();
    }

    // Shows the byte at `i` (with the LF after it when it is a CR), puts where
    // its characters start into `start`, and returns the index after it.
    std::size_t Show(std::string_view bytes, std::size_t i, qsizetype& start) {
        const auto byte = static_cast<std::uint8_t>(bytes[i]);
        if (byte == '\r' || byte == '\n') {
            start = Size();
            *FOut++ = u'\n';
            FColumn = 0;
            const bool crLf = byte == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n';
            return i + (crLf ? 2 : 1);
        }
        const QStringView mark = MarkOfByte(byte);
        if (mark.isEmpty()) {
            Place(1, start);
            *FOut++ = kPlainChars[byte];
        } else {
            Place(mark.size(), start);
            AddMark(mark, TMarkKind::Byte);
        }
        return i + 1;
    }

    // Shows the bytes from `i` on, up to `stop`, that are each one character, as
    // many as the display line has room for, and returns the index after them.
    std::size_t ShowPlain(std::string_view bytes, std::size_t i, std::size_t stop) {
        const auto room = static_cast<std::size_t>(std::max<qsizetype>(FLongest - FColumn, 0));
        const std::size_t end = std::min(stop, i + room);
        const std::size_t first = i;
        for (char16_t c = 0; i < end && (c = kPlainChars[static_cast<std::uint8_t>(bytes[i])]) != 0;
             ++i) {
            *FOut++ = c;
        }
        FColumn += static_cast<qsizetype>(i - first);
        return i;
    }

    qsizetype Size() const { return FOut - FShown.Text.constData(); }

    TShownText Take() {
        FShown.Text.truncate(Size());
        return std::move(FShown);
    }

private:
    // Makes room for `length` more characters on the display line, continuing
    // it on the next one when it would grow longer than the longest.
    void Place(qsizetype length, qsizetype& start) {
        if (FColumn > 0 && FColumn + length > FLongest) {
            *FOut++ = u'\n';
            AddMark(QStringView(&kContinuationMark, 1), TMarkKind::Continuation);
            FColumn = 0; // the mark is not part of the line's length
        }
        start = Size();
        FColumn += length;
    }

    void AddMark(QStringView text, TMarkKind kind) {
        const qsizetype start = Size();
        const bool besideByte = !FShown.Marks.empty() && kind == TMarkKind::Byte &&
                                FShown.Marks.back().Kind == TMarkKind::Byte &&
                                FShown.Marks.back().Start + FShown.Marks.back().Length == start;
        FShown.Marks.push_back(
            {start, text.size(), kind, besideByte && !FShown.Marks.back().Lighter});
        FOut = std::copy(text.begin(), text.end(), FOut);
    }

    const qsizetype FLongest;
    qsizetype FColumn = 0;
    TShownText FShown;
    QChar* FOut = nullptr;
};

// The colours of a mark: its name in the area's background colour.
QTextCharFormat MarkFormat(const QPalette& palette, const TShownMark& mark) {
    QTextCharFormat format;
    format.setForeground(palette.color(QPalette::Base));
    format.setBackground(MarkBackground(palette, mark));
    return format;
}

} // namespace

QColor MarkBackground(const QPalette& palette, const TShownMark& mark) {
    if (mark.Kind == TMarkKind::Continuation) {
        return palette.color(QPalette::Link);
    }
    const QColor text = palette.color(QPalette::Text);
    return mark.Lighter ? Blend(text, palette.color(QPalette::Base), 0.4F) : text;
}

QStringView MarkOfByte(std::uint8_t byte) {
    if (byte < kControlNames.size()) {
        return kControlNames[byte];
    }
    for (const auto& [marked, mark] : kOtherMarks) {
        if (byte == marked) {
            return mark;
        }
    }
    return {};
}

TShownText ShowBytes(std::string_view bytes, qsizetype longest,
                     std::span<const std::size_t> places) {
    TShownBuilder builder(longest, bytes.size());
    std::vector<qsizetype> found(places.size());
    std::size_t asked = 0; // the next of `places` to find
    qsizetype start = 0;
    for (std::size_t i = 0; i < bytes.size();) {
        // The common case quickly, up to the next byte asked for, which goes
        // through Show() so its start is known after any continuation mark.
        const std::size_t stop =
            asked < places.size() ? std::min(places[asked], bytes.size()) : bytes.size();
        i = builder.ShowPlain(bytes, i, stop);
        if (i < bytes.size()) {
            i = builder.Show(bytes, i, start);
            for (; asked < places.size() && places[asked] < i; ++asked) {
                found[asked] = start;
            }
        }
    }
    std::fill(found.begin() + static_cast<std::ptrdiff_t>(asked), found.end(), builder.Size());
    TShownText shown = builder.Take();
    shown.Places = std::move(found);
    return shown;
}

void ShowText(QPlainTextEdit& area, const TShownText& shown) {
    // setPlainText gives the whole new text the format at the caret: after a
    // mark, every character would be drawn as that mark.
    area.setCurrentCharFormat(QTextCharFormat());
    area.setPlainText(shown.Text);
    QTextDocument& document = *area.document();
    document.setUndoRedoEnabled(false); // a decode is not undone mark by mark
    QTextCursor cursor(&document);
    cursor.beginEditBlock(); // the layout hears of all marks at once
    for (const TShownMark& mark : shown.Marks) {
        cursor.setPosition(static_cast<int>(mark.Start));
        cursor.setPosition(static_cast<int>(mark.Start + mark.Length), QTextCursor::KeepAnchor);
        cursor.setCharFormat(MarkFormat(area.palette(), mark));
    }
    cursor.endEditBlock();
    document.setUndoRedoEnabled(true);
}

} // namespace velquist::ui
