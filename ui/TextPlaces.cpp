#include "TextPlaces.h"

#include <algorithm>
#include <bit>

namespace velquist::ui {

TInputPlaces::TInputPlaces(QStringView text, const std::vector<qsizetype>& cuts) {
    std::size_t cut = 0; // the next of `cuts`
    const auto cutsAt = [&](qsizetype offset) {
        int count = 0;
        for (; cut < cuts.size() && cuts[cut] <= offset; ++cut) {
            count += cuts[cut] == offset ? 1 : 0;
        }
        return count;
    };
    int plain = 0; // characters of one byte at one position, not yet added
    const auto add = [&](std::size_t bytes, int positions, bool lineBreak) {
        AddPlain(plain);
        plain = 0;
        Add(bytes, positions, lineBreak);
    };
    for (qsizetype i = 0;; ++i) {
        for (int n = cutsAt(i); n > 0; --n) {
            add(0, 1, false);
        }
        if (i >= text.size()) {
            break;
        }
        if (text[i] == u'\n') {
            add(2, 1, true);
        } else if (text[i].isHighSurrogate() && i + 1 < text.size() &&
                   text[i + 1].isLowSurrogate()) {
            // One character beyond the code page, one "?" byte, even where a cut
            // parts its two halves.
            ++i;
            add(1, 2 + cutsAt(i), false);
        } else {
            ++plain;
        }
    }
    AddPlain(plain);
}

void TInputPlaces::Add(std::size_t bytes, int positions, bool lineBreak) {
    FUnits.push_back({FBytes, FPositions, bytes, positions, lineBreak});
    FBytes += bytes;
    FPositions += positions;
}

void TInputPlaces::AddPlain(int characters) {
    FBytes += static_cast<std::size_t>(characters);
    FPositions += characters;
}

const TInputPlaces::TUnit* TInputPlaces::UnitByByte(std::size_t byte) const {
    const auto after =
        std::upper_bound(FUnits.begin(), FUnits.end(), byte,
                         [](std::size_t b, const TUnit& unit) { return b < unit.Byte; });
    return after == FUnits.begin() ? nullptr : &*(after - 1);
}

const TInputPlaces::TUnit* TInputPlaces::UnitByPosition(int position) const {
    const auto after = std::upper_bound(FUnits.begin(), FUnits.end(), position,
                                        [](int p, const TUnit& unit) { return p < unit.Position; });
    return after == FUnits.begin() ? nullptr : &*(after - 1);
}

int TInputPlaces::StartOf(std::size_t byte) const {
    const TUnit* unit = UnitByByte(byte);
    if (unit == nullptr) {
        return static_cast<int>(byte);
    }
    if (byte < unit->Byte + unit->Bytes) {
        return unit->Position;
    }
    return unit->Position + unit->Positions + static_cast<int>(byte - unit->Byte - unit->Bytes);
}

int TInputPlaces::EndOf(std::size_t byte) const {
    const TUnit* unit = UnitByByte(byte);
    if (unit != nullptr && byte < unit->Byte + unit->Bytes) {
        return unit->Position + unit->Positions;
    }
    return StartOf(byte) + 1;
}

bool TInputPlaces::InLineBreak(std::size_t byte) const {
    const TUnit* unit = UnitByByte(byte);
    return unit != nullptr && unit->LineBreak && byte < unit->Byte + unit->Bytes;
}

TPositionRun TInputPlaces::RunOf(TByteRange bytes) const {
    const std::size_t first = std::min(bytes.Offset, FBytes);
    const std::size_t end = std::min(bytes.End(), FBytes);
    const int start = StartOf(first);
    return {start, first < end ? EndOf(end - 1) : start};
}

std::size_t TInputPlaces::ByteAt(int position) const {
    if (position >= FPositions) {
        return FBytes;
    }
    const TUnit* unit = UnitByPosition(position);
    if (unit == nullptr) {
        return static_cast<std::size_t>(std::max(position, 0));
    }
    if (position < unit->Position + unit->Positions) {
        return unit->Byte;
    }
    return unit->Byte + unit->Bytes +
           static_cast<std::size_t>(position - unit->Position - unit->Positions);
}

std::optional<std::size_t> TInputPlaces::ByteUnderCaret(int position) const {
    const std::size_t byte = ByteAt(position);
    if (byte < FBytes && !InLineBreak(byte)) {
        return byte; // the character after the caret
    }
    if (byte > 0 && !InLineBreak(byte - 1)) {
        return byte - 1; // the end of a line
    }
    if (byte < FBytes) {
        return byte; // an empty line
    }
    return std::nullopt;
}

TRangeIndex::TRangeIndex(std::vector<TEntry> entries) : FEntries(std::move(entries)) {
    std::erase_if(FEntries, [](const TEntry& entry) { return entry.Range.Length == 0; });
    std::sort(FEntries.begin(), FEntries.end(),
              [](const TEntry& a, const TEntry& b) { return a.Range.Offset < b.Range.Offset; });
    FLeaves = std::bit_ceil(std::max<std::size_t>(FEntries.size(), 1));
    FFurthest.assign(2 * FLeaves, 0);
    for (std::size_t i = 0; i < FEntries.size(); ++i) {
        FFurthest[FLeaves + i] = FEntries[i].Range.End();
    }
    for (std::size_t node = FLeaves - 1; node > 0; --node) {
        FFurthest[node] = std::max(FFurthest[2 * node], FFurthest[2 * node + 1]);
    }
}

std::vector<std::size_t> TRangeIndex::Containing(std::size_t byte) const {
    // The ranges that start at or before the byte are a prefix of the entries;
    // of them, go down only into nodes with a range that reaches past the byte.
    const auto starters =
        static_cast<std::size_t>(std::upper_bound(FEntries.begin(), FEntries.end(), byte,
                                                  [](std::size_t b, const TEntry& entry) {
                                                      return b < entry.Range.Offset;
                                                  }) -
                                 FEntries.begin());
    struct TNode {
        std::size_t Index;
        std::size_t First; // the first entry below it
        std::size_t Width; // how many entries it spans
    };
    std::vector<std::size_t> ids;
    std::vector<TNode> pending;
    if (starters > 0) {
        pending.push_back({1, 0, FLeaves});
    }
    while (!pending.empty()) {
        const TNode node = pending.back();
        pending.pop_back();
        if (node.First >= starters || FFurthest[node.Index] <= byte) {
            continue;
        }
        if (node.Width == 1) {
            ids.push_back(FEntries[node.First].Id);
            continue;
        }
        const std::size_t half = node.Width / 2;
        pending.push_back({2 * node.Index + 1, node.First + half, half});
        pending.push_back({2 * node.Index, node.First, half});
    }
    std::sort(ids.begin(), ids.end());
    return ids;
}

TShownLines::TShownLines(const std::vector<TDecodedLine>& lines,
                         const std::vector<qsizetype>& places) {
    FLines.reserve(lines.size());
    std::vector<TRangeIndex::TEntry> showing;
    for (std::size_t i = 0; i < lines.size() && 2 * i + 1 < places.size(); ++i) {
        const TDecodedLine& line = lines[i];
        const bool shows = line.Range && line.Range->Length > 0;
        FLines.push_back({{static_cast<int>(places[2 * i]), static_cast<int>(places[2 * i + 1])},
                          shows ? line.Range : std::nullopt});
        if (shows) {
            showing.push_back({*line.Range, i});
        }
    }
    FShowing = TRangeIndex(std::move(showing));
}

std::vector<std::size_t> TShownLines::LineBounds(const std::vector<TDecodedLine>& lines) {
    std::vector<std::size_t> bounds;
    bounds.reserve(2 * lines.size());
    for (const TDecodedLine& line : lines) {
        bounds.push_back(line.TextOffset);
        bounds.push_back(line.TextOffset + line.TextLength);
    }
    return bounds;
}

std::optional<std::size_t> TShownLines::LineAt(int position) const {
    const auto after =
        std::upper_bound(FLines.begin(), FLines.end(), position,
                         [](int p, const TLine& line) { return p < line.Run.Start; });
    if (after == FLines.begin() || position > (after - 1)->Run.End) {
        return std::nullopt;
    }
    return static_cast<std::size_t>(after - 1 - FLines.begin());
}

std::optional<TByteRange> TShownLines::BytesOf(std::size_t line) const {
    return line < FLines.size() ? FLines[line].Bytes : std::nullopt;
}

TPositionRun TShownLines::RunOf(std::size_t line) const {
    return line < FLines.size() ? FLines[line].Run : TPositionRun{};
}

std::vector<std::size_t> TShownLines::LinesShowing(std::size_t byte) const {
    return FShowing.Containing(byte);
}

} // namespace velquist::ui
