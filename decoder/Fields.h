#pragma once

// Splitting a text at a separator: a message into its fields at FS, a field
// into its device sub-fields at GS. Pieces are numbered from 0 (field 0 is the
// message class). A text with N separators has N + 1 pieces: two separators in a
// row give an empty piece, and so does a separator at the end.
//
// A message may have a million fields of which the decoder needs only the first
// few by number, so pieces are found one at a time, as they are asked for.

#include <cstddef>
#include <cstring>
#include <optional>
#include <string_view>

namespace velquist {

// Where the piece that starts at `start` ends: at the next `separator`, or at
// the end of the text.
inline std::size_t PieceEnd(std::string_view text, std::size_t start, char separator) {
    if (start >= text.size()) {
        return text.size(); // memchr wants a real address, even for nothing
    }
    const void* found = std::memchr(text.data() + start, separator, text.size() - start);
    return found == nullptr
               ? text.size()
               : static_cast<std::size_t>(static_cast<const char*>(found) - text.data());
}

// The pieces of a text, in order.
class TPieces {
public:
    // The pieces of `text` from the one that starts at offset `start` (0, or just
    // after a separator), which is piece number `index`.
    TPieces(std::string_view text, char separator, std::size_t start = 0, std::size_t index = 0)
        : FText(text), FSeparator(separator), FStart(start), FIndex(index) {}

    // The next piece; none after the last.
    std::optional<std::string_view> Next() {
        if (FStart == kDone) {
            return std::nullopt;
        }
        const std::size_t end = PieceEnd(FText, FStart, FSeparator);
        const std::string_view piece = FText.substr(FStart, end - FStart);
        FStart = end == FText.size() ? kDone : end + 1;
        ++FIndex;
        return piece;
    }

    // The number of the piece Next() returns.
    std::size_t Index() const { return FIndex; }

private:
    static constexpr std::size_t kDone = std::string_view::npos;

    std::string_view FText;
    char FSeparator;
    std::size_t FStart;
    std::size_t FIndex;
};

// Calls `visit(i, piece)` for every piece i of the text, in order, until it
// returns false.
template <typename TVisit>
void ForEachPiece(TPieces pieces, TVisit&& visit) {
    for (;;) {
        const std::size_t i = pieces.Index();
        const std::optional<std::string_view> piece = pieces.Next();
        if (!piece || !visit(i, *piece)) {
            return;
        }
    }
}

} // namespace velquist
