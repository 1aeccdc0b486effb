#include "Cp1252.h"

#include <algorithm>
#include <array>
#include <cstdint>

namespace velquist::ui {

namespace {

constexpr char16_t kUndefined = u'\uFFFD';

// Bytes 0x80..0x9F, the only range where Windows-1252 differs from Latin-1.
constexpr std::array<char16_t, 32> kHighRow = {
    u'\u20AC',  kUndefined, u'\u201A', u'\u0192', u'\u201E', u'\u2026',  u'\u2020', u'\u2021',
    u'\u02C6',  u'\u2030',  u'\u0160', u'\u2039', u'\u0152', kUndefined, u'\u017D', kUndefined,
    kUndefined, u'\u2018',  u'\u2019', u'\u201C', u'\u201D', u'\u2022',  u'\u2013', u'\u2014',
    u'\u02DC',  u'\u2122',  u'\u0161', u'\u203A', u'\u0153', kUndefined, u'\u017E', u'\u0178',
};

char ByteOf(char16_t code) {
    if (code < 0x80 || (code >= 0xA0 && code <= 0xFF)) {
        return static_cast<char>(code);
    }
    const auto* const found = std::find(kHighRow.begin(), kHighRow.end(), code);
    if (code == kUndefined || found == kHighRow.end()) {
        return '?';
    }
    return static_cast<char>(0x80 + (found - kHighRow.begin()));
}

} // namespace

std::string ToCp1252(QStringView text) {
    std::string bytes;
    bytes.reserve(static_cast<std::size_t>(text.size()));
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c.isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate()) {
            ++i; // one character beyond the code page, however many code units
            bytes.push_back('?');
        } else {
            bytes.push_back(ByteOf(c.unicode())); // a lone surrogate is no character: "?"
        }
    }
    return bytes;
}

char16_t Cp1252Char(std::uint8_t byte) {
    return byte >= 0x80 && byte < 0xA0 ? kHighRow[byte - 0x80] : char16_t{byte};
}

} // namespace velquist::ui
