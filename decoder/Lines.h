#pragma once

// Lines of a text as the input modes and the trace reader split them, and the
// columns of a Base24 NETADRD trace line that hold its hex.

#include <cstddef>
#include <string_view>

namespace velquist {

// One line of a text: its characters without the line break (CR LF, LF or a CR
// alone), where it starts, and where the line after it starts.
struct TLine {
    std::string_view Text;
    std::size_t Begin = 0;
    std::size_t Next = 0;
};

// The lines of text[..end), one after another. A trace rarely holds a CR that
// is not part of a CR LF, so the next CR is looked for once and remembered.
class TLineFinder {
public:
    TLineFinder(std::string_view text, std::size_t end) : FText(text), FEnd(end) {}

    // The line that starts at `begin`, which is where a line starts and at or
    // after the start of the line before.
    TLine At(std::size_t begin);

private:
    std::string_view FText;
    std::size_t FEnd;
    std::size_t FNextCr = 0; // the first CR after the last line looked at, or FEnd
    bool FCrKnown = false;
};

// The hex of a NETADRD line stands in columns 15 to 73.
inline constexpr std::size_t kNetadrdHexBegin = 14; // column 15
inline constexpr std::size_t kNetadrdHexEnd = 73;   // after column 73

} // namespace velquist
