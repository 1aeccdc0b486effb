#include "TraceParse.h"

#include "HexText.h"

#include <algorithm>
#include <chrono>
#include <cstring>

namespace velquist::trace {

namespace {

constexpr bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

constexpr bool IsLetter(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

bool IsHex(char c) {
    return HexDigitValue(c) >= 0;
}

// The value of `count` decimal digits at text[at], or -1 when they are not all digits.
int Decimal(std::string_view text, std::size_t at, std::size_t count) {
    int value = 0;
    for (std::size_t i = at; i < at + count; ++i) {
        if (!IsDigit(text[i])) {
            return -1;
        }
        value = value * 10 + (text[i] - '0');
    }
    return value;
}

std::uint64_t HexValue(std::string_view digits) {
    std::uint64_t value = 0;
    for (const char c : digits) {
        value = value << 4 | static_cast<std::uint64_t>(HexDigitValue(c));
    }
    return value;
}

std::string_view TrimBlanks(std::string_view text) {
    while (!text.empty() && IsBlank(text.front())) {
        text.remove_prefix(1);
    }
    while (!text.empty() && IsBlank(text.back())) {
        text.remove_suffix(1);
    }
    return text;
}

// An offset: 4 to 8 hex digits.
bool IsOffset(std::string_view digits) {
    return digits.size() >= 4 && digits.size() <= 8 &&
           std::all_of(digits.begin(), digits.end(), IsHex);
}

// The years a trace's dates are taken from: nanoseconds since 1970 of any time in
// them, and the difference of any two, fit in 64 bits.
constexpr int kFirstYear = 1970;
constexpr int kLastYear = 2200;

// The date "YYYY-MM-DD" or "YYYY/MM/DD" that ends just before text[end], as days
// since 1970-01-01.
std::optional<std::int64_t> DateEndingAt(std::string_view text, std::size_t end) {
    constexpr std::size_t kLength = 10;
    if (end < kLength) {
        return std::nullopt;
    }
    const std::size_t at = end - kLength;
    const char separator = text[at + 4];
    if ((separator != '-' && separator != '/') || text[at + 7] != separator ||
        (at > 0 && (IsDigit(text[at - 1]) || IsLetter(text[at - 1])))) {
        return std::nullopt;
    }
    const int year = Decimal(text, at, 4);
    const int month = Decimal(text, at + 5, 2);
    const int day = Decimal(text, at + 8, 2);
    if (year < kFirstYear || year > kLastYear || month < 0 || day < 0) {
        return std::nullopt;
    }
    const std::chrono::year_month_day date{std::chrono::year(year),
                                           std::chrono::month(static_cast<unsigned>(month)),
                                           std::chrono::day(static_cast<unsigned>(day))};
    if (!date.ok()) {
        return std::nullopt;
    }
    return std::chrono::sys_days(date).time_since_epoch().count();
}

// The time HH:MM:SS whose first colon is text[colon], with its fraction and date.
std::optional<TFoundTime> TimeAt(std::string_view text, std::size_t colon) {
    if (colon < 2 || colon + 6 > text.size() || text[colon + 3] != ':') {
        return std::nullopt;
    }
    const std::size_t begin = colon - 2;
    if (begin > 0) {
        const char before = text[begin - 1];
        if (IsDigit(before) || before == ':' || before == '.' ||
            (IsLetter(before) && before != 'T')) {
            return std::nullopt;
        }
    }
    const int hours = Decimal(text, begin, 2);
    const int minutes = Decimal(text, colon + 1, 2);
    const int seconds = Decimal(text, colon + 4, 2);
    if (hours < 0 || hours > 23 || minutes < 0 || minutes > 59 || seconds < 0 || seconds > 59) {
        return std::nullopt;
    }
    std::size_t end = colon + 6;
    if (end < text.size() && (IsDigit(text[end]) || text[end] == ':')) {
        return std::nullopt; // part of a longer run
    }
    std::int64_t fraction = 0;
    if (end + 1 < text.size() && (text[end] == '.' || text[end] == ',') && IsDigit(text[end + 1])) {
        ++end;
        std::int64_t scale = 100'000'000;
        for (; end < text.size() && IsDigit(text[end]); ++end) {
            fraction += (text[end] - '0') * scale;
            scale /= 10;
        }
    }
    TFoundTime found;
    found.Begin = begin;
    found.End = end;
    found.TimeOfDay =
        ((hours * 60 + minutes) * std::int64_t{60} + seconds) * 1'000'000'000 + fraction;
    if (begin > 0 && (text[begin - 1] == ' ' || text[begin - 1] == 'T')) {
        found.Day = DateEndingAt(text, begin - 1);
        if (found.Day) {
            found.Begin = begin - 11;
        }
    }
    return found;
}

// Whether `ascii` shows the first `count` of `bytes` as a dump's ASCII column
// does: each byte as itself or as ".". Blanks the writer trimmed from the end
// may be missing.
bool ShowsBytes(std::string_view ascii, const std::vector<unsigned char>& bytes,
                std::size_t count) {
    if (ascii.empty() || ascii.size() > count) {
        return false;
    }
    for (std::size_t i = 0; i < ascii.size(); ++i) {
        const auto c = static_cast<unsigned char>(ascii[i]);
        if (c != bytes[i] && c != '.') {
            return false;
        }
    }
    return std::all_of(bytes.begin() + static_cast<std::ptrdiff_t>(ascii.size()),
                       bytes.begin() + static_cast<std::ptrdiff_t>(count),
                       [](unsigned char b) { return b == ' '; });
}

// The mark that closes an ASCII column opened by `open`, or none.
char ClosingMark(char open) {
    switch (open) {
    case '|': return '|';
    case '*': return '*';
    case '>': return '<';
    default: return '\0';
    }
}

// The characters of an ASCII column that starts at `rest`, between marks when
// `marked`, without the blanks after it.
std::string_view AsciiColumn(std::string_view rest, bool marked) {
    while (!rest.empty() && IsBlank(rest.back())) {
        rest.remove_suffix(1);
    }
    if (marked) {
        const char close = ClosingMark(rest.front());
        rest.remove_prefix(1);
        if (!rest.empty() && rest.back() == close) {
            rest.remove_suffix(1);
        }
    }
    return rest;
}

// Two hex digits, then (`separator` and two hex digits) once or more.
std::optional<std::size_t> JoinedPairs(std::string_view token, char separator) {
    if (token.size() < 5 || token.size() % 3 != 2) {
        return std::nullopt;
    }
    for (std::size_t i = 0; i < token.size(); ++i) {
        if (i % 3 == 2 ? token[i] != separator : !IsHex(token[i])) {
            return std::nullopt;
        }
    }
    return (token.size() + 1) / 3 * 2;
}

} // namespace

std::uint64_t CountLineBreaks(std::string_view text, std::size_t from, std::size_t to,
                              std::size_t end) {
    std::uint64_t breaks = 0;
    for (std::size_t i = from; i < to; ++i) {
        if (text[i] == '\n' || (text[i] == '\r' && (i + 1 >= end || text[i + 1] != '\n'))) {
            ++breaks;
        }
    }
    return breaks;
}

std::optional<TFoundTime> FindTimestamp(std::string_view line) {
    for (std::size_t at = line.find(':'); at != std::string_view::npos;
         at = line.find(':', at + 1)) {
        if (auto found = TimeAt(line, at)) {
            return found;
        }
    }
    return std::nullopt;
}

std::optional<TDumpLine> ParseDumpLine(std::string_view line, TDumpScratch& scratch) {
    const std::size_t n = line.size();
    std::size_t i = 0;
    while (i < n && IsBlank(line[i])) {
        ++i;
    }
    const std::size_t offsetBegin = i;
    while (i < n && IsHex(line[i])) {
        ++i;
    }
    if (!IsOffset(line.substr(offsetBegin, i - offsetBegin))) {
        return std::nullopt;
    }
    TDumpLine dump;
    dump.Offset = HexValue(line.substr(offsetBegin, i - offsetBegin));
    if (i < n && line[i] == ':') {
        ++i;
    }
    if (i >= n || !IsBlank(line[i])) {
        return std::nullopt;
    }

    // The groups: as long as the first (2, 4, 8 or 16 digits), the last one
    // shorter allowed; a first group of another length stands alone.
    auto& groups = scratch.Tokens;
    groups.clear();
    std::size_t after = kNone; // what follows the groups
    std::size_t size = 0;
    for (;;) {
        while (i < n && IsBlank(line[i])) {
            ++i;
        }
        if (i >= n) {
            break;
        }
        const std::size_t begin = i;
        bool hex = true;
        for (; i < n && !IsBlank(line[i]); ++i) {
            hex = hex && IsHex(line[i]);
        }
        const std::size_t length = i - begin;
        if (!hex || (size != 0 && length > size)) {
            after = begin;
            break;
        }
        groups.push_back({begin, i});
        const bool full = groups.size() == 1
                              ? (length == 2 || length == 4 || length == 8 || length == 16)
                              : length == size;
        if (groups.size() == 1 && full) {
            size = length;
        }
        if (!full) {
            while (i < n && IsBlank(line[i])) {
                ++i;
            }
            after = i < n ? i : kNone;
            break;
        }
    }
    if (groups.empty()) {
        return std::nullopt;
    }

    // Their bytes, and the number of bytes up to each group.
    auto& bytes = scratch.Bytes;
    bytes.clear();
    for (const auto& group : groups) {
        for (std::size_t at = group.Begin; at + 1 < group.End; at += 2) {
            bytes.push_back(static_cast<unsigned char>(HexDigitValue(line[at]) * 16 +
                                                       HexDigitValue(line[at + 1])));
        }
    }

    // Where the hex ends: before an ASCII column that shows the bytes before it
    // (it may itself look like hex), else after the last group.
    std::size_t last = groups.size() - 1;
    std::size_t count = 0;
    for (std::size_t j = 0; j < groups.size(); ++j) {
        count += (groups[j].End - groups[j].Begin) / 2;
        const std::size_t rest = j + 1 < groups.size() ? groups[j + 1].Begin : after;
        if (rest == kNone) {
            continue;
        }
        // A column between marks starts with its mark and may stand one blank
        // after the hex. A plain column stands two blanks or more after it, and
        // starts before `rest` where its first bytes are blanks; it may start
        // with a mark character.
        if (ClosingMark(line[rest]) != '\0' &&
            ShowsBytes(AsciiColumn(line.substr(rest), true), bytes, count)) {
            dump.AsciiBegin = rest + 1;
        }
        const std::size_t gap = rest - groups[j].End;
        const auto blankBytes = static_cast<std::size_t>(
            std::find_if(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(count),
                         [](unsigned char b) { return b != ' '; }) -
            bytes.begin());
        for (std::size_t back = 0;
             dump.AsciiBegin == kNone && back + 2 <= gap && back <= blankBytes; ++back) {
            if (ShowsBytes(AsciiColumn(line.substr(rest - back), false), bytes, count)) {
                dump.AsciiBegin = rest - back;
            }
        }
        if (dump.AsciiBegin != kNone) {
            last = j;
            break;
        }
    }
    dump.HexBegin = groups.front().Begin;
    dump.HexEnd = groups[last].End;
    dump.Bytes = count; // the groups' bytes up to `last`, where the loop stopped
    dump.OddDigit = (groups[last].End - groups[last].Begin) % 2 != 0;
    return dump;
}

std::optional<std::uint64_t> ParseOffsetOnly(std::string_view line) {
    std::string_view digits = TrimBlanks(line);
    if (!digits.empty() && digits.back() == ':') {
        digits.remove_suffix(1);
    }
    return IsOffset(digits) ? std::optional(HexValue(digits)) : std::nullopt;
}

bool IsRepeatLine(std::string_view line) {
    return TrimBlanks(line) == "*";
}

std::optional<TNetadrdLine> ParseNetadrdLine(std::string_view line) {
    if (line.size() <= kNetadrdHexBegin || line[kNetadrdHexBegin - 1] != ' ') {
        return std::nullopt;
    }
    TNetadrdLine netadrd;
    netadrd.HexEnd = std::min(line.size(), kNetadrdHexEnd);
    bool digits = false;
    for (std::size_t i = kNetadrdHexBegin; i < netadrd.HexEnd; ++i) {
        if (IsHex(line[i])) {
            digits = true;
        } else if (line[i] != ' ') {
            return std::nullopt;
        }
    }
    if (!digits) {
        return std::nullopt;
    }
    const std::string_view first = line.substr(0, 4);
    const std::string_view second = line.substr(5, 8);
    if (line[4] == ' ' && line[13] == ' ' && std::all_of(first.begin(), first.end(), IsHex) &&
        std::all_of(second.begin(), second.end(), IsHex)) {
        netadrd.Offset = HexValue(second);
        netadrd.Signature = HexValue(first) == netadrd.Offset;
    }
    const std::size_t text = line.find_first_not_of(' ', kNetadrdHexEnd);
    if (text != std::string_view::npos && (line[text] == '*' || line[text] == '|')) {
        netadrd.AsciiBegin = text + 1;
    }
    return netadrd;
}

std::optional<THexRun> FindHexRun(std::string_view line, std::size_t notBefore) {
    std::size_t end = line.size();
    while (end > notBefore && IsBlank(line[end - 1])) {
        --end;
    }
    // The tokens from the end: where the one before `end` starts.
    const auto tokenBegin = [&](std::size_t tokenEnd) {
        std::size_t begin = tokenEnd;
        while (begin > 0 && !IsBlank(line[begin - 1])) {
            --begin;
        }
        return begin;
    };
    if (end <= notBefore) {
        return std::nullopt;
    }
    THexRun run;
    run.End = end;
    run.Begin = tokenBegin(end);
    if (run.Begin < notBefore) {
        return std::nullopt;
    }
    const std::string_view token = line.substr(run.Begin, end - run.Begin);
    for (const char separator : {'.', ':'}) {
        if (const auto digits = JoinedPairs(token, separator)) {
            run.Digits = *digits;
            return run;
        }
    }
    if (!std::all_of(token.begin(), token.end(), IsHex)) {
        return std::nullopt;
    }
    run.Digits = token.size();
    run.OddDigit = token.size() % 2 != 0;
    // Groups before it, all of one even length, at least its own.
    std::size_t size = 0;
    for (;;) {
        std::size_t previousEnd = run.Begin;
        while (previousEnd > notBefore && IsBlank(line[previousEnd - 1])) {
            --previousEnd;
        }
        if (previousEnd == run.Begin || previousEnd <= notBefore) {
            break;
        }
        const std::size_t previousBegin = tokenBegin(previousEnd);
        const std::string_view group = line.substr(previousBegin, previousEnd - previousBegin);
        if (previousBegin < notBefore || !std::all_of(group.begin(), group.end(), IsHex) ||
            group.size() % 2 != 0 || group.size() < token.size() ||
            (size != 0 && group.size() != size)) {
            break;
        }
        size = group.size();
        run.Begin = previousBegin;
        run.Digits += size;
    }
    return run;
}

} // namespace velquist::trace
