#include "TextOut.h"

#include <algorithm>
#include <charconv>
#include <cstring>

namespace velquist {

namespace {

constexpr std::string_view kBlanks = "                ";

// The first CR in [first, last), or null; most pieces are a few characters long.
const char* FindCr(const char* first, const char* last) {
    constexpr std::ptrdiff_t kShort = 8;
    if (last - first >= kShort) {
        return static_cast<const char*>(
            std::memchr(first, '\r', static_cast<std::size_t>(last - first)));
    }
    for (; first != last; ++first) {
        if (*first == '\r') {
            return first;
        }
    }
    return nullptr;
}

} // namespace

bool TTextOut::Locate(std::string_view bytes, TByteRange& range) const {
    // Compared as addresses: a view into any other string is simply not inside.
    const auto begin = reinterpret_cast<std::uintptr_t>(FMessage.data());
    const auto at = reinterpret_cast<std::uintptr_t>(bytes.data());
    if (FMessage.data() == nullptr || bytes.data() == nullptr || at < begin ||
        at - begin > FMessage.size() || bytes.size() > FMessage.size() - (at - begin)) {
        return false;
    }
    range = {static_cast<std::size_t>(at - begin), bytes.size()};
    return true;
}

void TTextOut::PutFormat(std::string_view templ, std::initializer_list<TFmtArg> args) {
    auto next = args.begin();
    std::size_t i = 0;
    while (i < templ.size()) {
        const std::size_t percent = templ.find('%', i);
        if (percent == std::string_view::npos) {
            Put(templ.substr(i), TFrom());
            break;
        }
        Put(templ.substr(i, percent - i), TFrom());
        std::size_t j = percent + 1;
        if (j < templ.size() && templ[j] == '%') {
            Put("%", TFrom());
            i = j + 1;
            continue;
        }
        std::size_t width = 0;
        while (j < templ.size() && templ[j] >= '0' && templ[j] <= '9') {
            width = width * 10 + static_cast<std::size_t>(templ[j] - '0');
            ++j;
        }
        if (j == templ.size() || (templ[j] != 's' && templ[j] != 'd')) {
            Put("%", TFrom()); // not a placeholder: the "%" stands as it is
            i = percent + 1;
            continue;
        }
        i = j + 1;
        if (next == args.end()) {
            continue;
        }
        const TFmtArg& arg = *next++;
        char digits[24];
        std::string_view value = arg.Text();
        if (arg.IsNumber()) {
            const auto end = std::to_chars(digits, digits + sizeof digits, arg.Number()).ptr;
            value = std::string_view(digits, static_cast<std::size_t>(end - digits));
        }
        for (std::size_t pad = width > value.size() ? width - value.size() : 0; pad > 0;) {
            const std::size_t n = std::min(pad, kBlanks.size());
            Put(kBlanks.substr(0, n), TFrom());
            pad -= n;
        }
        Put(value, arg.IsAuto() ? TFrom::Chars(value) : arg.From());
    }
}

void TTextOut::Note(std::size_t start, const TFrom& from) {
    const std::size_t end = FText.size();
    TByteRange source;
    const bool located = from.IsSet() && Locate(from.View(), source);
    // Character for character only where the piece is as long as its bytes.
    const bool charwise = located && from.IsCharwise() && source.Length == end - start;
    const auto addSegment = [&](std::size_t first, std::size_t last) {
        if (!located) {
            return;
        }
        AddToLine(charwise ? TByteRange{source.Offset + (first - start), last - first} : source);
    };

    const char* const text = FText.data();
    // A CR that ended the text so far and the LF that begins this piece.
    const bool joined =
        start > FLineStart && start < end && text[start - 1] == '\r' && text[start] == '\n';
    if (!joined && FindCr(text + start, text + end) == nullptr) {
        addSegment(start, end); // all on the line being written (an empty value too)
        return;
    }

    std::size_t lineStart = start;
    if (joined) {
        CloseLine(start - 1, start + 1);
        lineStart = start + 1;
    }
    for (std::size_t at = lineStart; at + 1 < end;) {
        const char* found = FindCr(text + at, text + end - 1);
        if (found == nullptr) {
            break;
        }
        const auto cr = static_cast<std::size_t>(found - text);
        if (text[cr + 1] != '\n') {
            at = cr + 1;
            continue;
        }
        if (cr > lineStart) {
            addSegment(lineStart, cr);
        }
        CloseLine(cr, cr + 2);
        lineStart = at = cr + 2;
    }
    if (end > lineStart) {
        addSegment(lineStart, end);
    }
}

void TTextOut::AddToLine(const TByteRange& range) {
    if (range.Length == 0) {
        if (!FAnchored && FHigh == 0) { // the first empty value of a line without bytes
            FAnchored = true;
            FAnchor = range.Offset;
        }
        return;
    }
    FLow = std::min(FLow, range.Offset);
    FHigh = std::max(FHigh, range.End());
}

void TTextOut::CloseLine(std::size_t end, std::size_t nextStart) {
    TDecodedLine line{FLineStart, end - FLineStart, std::nullopt};
    if (FHigh > 0) {
        line.Range = TByteRange{FLow, FHigh - FLow};
    } else if (FAnchored) {
        line.Range = TByteRange{FAnchor, 0};
    }
    FLines.push_back(line);
    FLineStart = nextStart;
    FLow = std::numeric_limits<std::size_t>::max();
    FHigh = 0;
    FAnchored = false;
}

void TTextOut::CloseLastLine() {
    if (FKeepLines && FText.size() > FLineStart) {
        CloseLine(FText.size(), FText.size());
    }
}

std::string TTextOut::TakeText() {
    CloseLastLine();
    return std::move(FText);
}

std::vector<TDecodedLine> TTextOut::TakeLines() {
    CloseLastLine();
    return std::move(FLines);
}

std::string Format(std::string_view templ, std::initializer_list<TFmtArg> args) {
    TTextOut out;
    out.PutFormat(templ, args);
    return out.TakeText();
}

} // namespace velquist
