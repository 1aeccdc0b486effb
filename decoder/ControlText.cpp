#include "ControlText.h"

#include <algorithm>
#include <cstdint>
#include <limits>
#include <string>
#include <vector>

namespace velquist {

namespace {

constexpr char kLF = '\x0A';
constexpr char kFF = '\x0C';
constexpr char kSO = '\x0E';
constexpr char kSI = '\x0F';
constexpr char kESC = '\x1B';

// Blanks that an SO inserts, kept as characters where each run knows its bytes.
constexpr std::size_t kLiteralBlanks = 32;
constexpr std::string_view kBlanks = "                                ";
static_assert(kBlanks.size() == kLiteralBlanks);

// Bytes [Low, High) of the data: where a piece of processed text came from.
// Thirty-two bits, as there may be a span for every few bytes of the data.
struct TSpan {
    std::uint32_t Low = std::numeric_limits<std::uint32_t>::max();
    std::uint32_t High = 0;

    static TSpan Of(std::size_t at) {
        return {static_cast<std::uint32_t>(at), static_cast<std::uint32_t>(at + 1)};
    }
    bool Empty() const { return High <= Low; }
    void Add(const TSpan& other) {
        if (!other.Empty()) {
            Low = std::min(Low, other.Low);
            High = std::max(High, other.High);
        }
    }
};

// The processed tail of the walk: the text after the current position, kept
// reversed, so that its first character is the last one stored and inserting
// or deleting at the current position is a push or a pop at the end. It is
// kept as runs: blanks as a count (an SO inserts up to 207 of them for two
// bytes), other text as characters. With sources, each run also knows the
// bytes it came from.
class TTail {
public:
    // The tail of `data` (the processed text is about as long as the data).
    TTail(std::string_view data, bool keepSources) : FKeepSources(keepSources) {
        FChars.reserve(data.size());
    }

    bool Empty() const { return FRuns.empty(); }

    // A byte of the data, shown as it is.
    void PushByte(char c, std::size_t at) {
        FChars.push_back(c);
        ++FSize;
        if (!FKeepSources) {
            GrowOrPush(1);
            return;
        }
        // The next byte of a run that shows its bytes one for one extends it.
        if (CanGrowTop(false, 1) && FRuns.back().Charwise && FSources.back().Low == at + 1 &&
            JoinsTop(std::string_view(&c, 1))) {
            ++FRuns.back().Count;
            FSources.back().Low = at;
            return;
        }
        JoinOrPush(std::string_view(&c, 1), TSpan::Of(at), true);
    }

    // Text put in for the bytes `from`.
    void PushText(std::string_view text, const TSpan& from) {
        for (auto c = text.rbegin(); c != text.rend(); ++c) {
            FChars.push_back(*c);
        }
        FSize += text.size();
        if (!FKeepSources) {
            GrowOrPush(text.size());
            return;
        }
        JoinOrPush(text, from, false);
    }

    void PushBlanks(std::size_t count, const TSpan& from) {
        if (FKeepSources && count <= kLiteralBlanks) {
            // A few blanks join the text around them, as one run per line.
            PushText(kBlanks.substr(0, count), from);
            return;
        }
        FSize += count;
        if (CanGrowTop(true, count) && (!FKeepSources || FSources.back().Low == from.High)) {
            FRuns.back().Count += static_cast<std::uint32_t>(count);
            if (FKeepSources) {
                FSources.back().Add(from);
            }
            return;
        }
        Push({static_cast<std::uint32_t>(count), true, false, false}, from);
    }

    // Takes the first character off the tail, as a text of one character (of
    // none when the tail is empty); `taken` grows by the bytes it came from.
    std::string Take(TSpan& taken) {
        if (FRuns.empty()) {
            return {};
        }
        TRun& top = FRuns.back();
        char c = ' ';
        if (!top.Blanks) {
            c = FChars.back();
            FChars.pop_back();
        }
        if (FKeepSources) {
            TSpan& source = FSources.back();
            taken.Add(top.Charwise ? TSpan::Of(source.Low++) : source);
        }
        --FSize;
        if (--top.Count == 0) {
            FRuns.pop_back();
            if (FKeepSources) {
                FSources.pop_back();
            }
        }
        return std::string(1, c);
    }

    // Bytes whose text was removed: the text right after them shows them.
    void Drop(const TSpan& bytes) {
        if (!FKeepSources) {
            return;
        }
        if (FRuns.empty()) {
            FDropped.Add(bytes); // nothing after them yet: the text before takes them
        } else {
            FSources.back().Add(bytes);
            FRuns.back().Charwise = false;
        }
    }

    // The text, first character first, each run shown for the bytes of `data`
    // it came from (without sources, all of it for all of the data).
    void PutTo(TTextOut& out, std::string_view data) const {
        if (!FKeepSources) {
            out.Reserve(FSize);
            out.Write(TFrom::Bytes(data), [this](std::string& text) {
                for (std::size_t i = FRuns.size(), chars = FChars.size(); i-- > 0;) {
                    AppendRun(text, i, chars);
                }
            });
            return;
        }
        if (FRuns.empty()) {
            out.Put({}, TFrom::Bytes(data)); // nothing to show for these bytes
            return;
        }
        out.Reserve(FSize);
        out.ReserveLines(FRuns.size()); // a run ends one line at the most
        for (std::size_t i = FRuns.size(), chars = FChars.size(); i-- > 0;) {
            const TSpan& source = FSources[i];
            const std::string_view bytes = data.substr(source.Low, source.High - source.Low);
            out.Write(FRuns[i].Charwise ? TFrom::Chars(bytes) : TFrom::Bytes(bytes),
                      [&](std::string& text) { AppendRun(text, i, chars); });
        }
    }

private:
    struct TRun {
        std::uint32_t Count; // characters of the tail in the run; a longer one is split
        bool Blanks;         // blanks, kept as a count; otherwise characters in FChars
        bool Charwise;       // character i of the run shows byte Source.Low + i
        bool BreakWithin;    // a line break but at its end, as put in (taken off since, perhaps)
    };

    // Whether `count` more characters of the kind join the run on top.
    bool CanGrowTop(bool blanks, std::size_t count) const {
        return !FRuns.empty() && FRuns.back().Blanks == blanks &&
               count <= std::numeric_limits<std::uint32_t>::max() - FRuns.back().Count;
    }

    // Without sources: text joins the run of text on top, or starts one.
    void GrowOrPush(std::size_t count) {
        if (CanGrowTop(false, count)) {
            FRuns.back().Count += static_cast<std::uint32_t>(count);
        } else {
            Push({static_cast<std::uint32_t>(count), false, false, false}, {});
        }
    }

    // With sources, whether `text`, just put in front of the run on top, may
    // join it: no line break in the text, none within the run but at its end,
    // and none made where they meet. A run then shows on one line (ending it,
    // perhaps), and a line shows the bytes of its runs.
    bool JoinsTop(std::string_view text) const {
        if (!CanGrowTop(false, text.size()) || FRuns.back().BreakWithin || HasLineBreak(text)) {
            return false;
        }
        const char first = FChars[FChars.size() - 1 - text.size()]; // the run's first character
        return !(text.back() == '\r' && first == '\n');
    }

    // With sources: `text` (already in FChars) for the bytes `from` joins the run
    // on top, or starts a run of its own.
    void JoinOrPush(std::string_view text, const TSpan& from, bool charwise) {
        if (JoinsTop(text)) {
            FRuns.back().Count += static_cast<std::uint32_t>(text.size());
            FRuns.back().Charwise = false;
            FSources.back().Add(from);
            return;
        }
        Push({static_cast<std::uint32_t>(text.size()), false, charwise, HasBreakWithin(text)},
             from);
    }

    static bool HasLineBreak(std::string_view text) {
        return text.size() >= 2 && text.find("\r\n") != text.npos;
    }

    // A line break anywhere but as the last two characters.
    static bool HasBreakWithin(std::string_view text) {
        if (text.size() < 3) {
            return false;
        }
        const std::size_t at = text.find("\r\n");
        return at != text.npos && at + 2 < text.size();
    }

    void Push(TRun run, TSpan source) {
        if (FKeepSources) {
            if (!FDropped.Empty()) {
                source.Add(FDropped);
                run.Charwise = false;
                FDropped = {};
            }
            FSources.push_back(source);
        }
        FRuns.push_back(run);
    }

    // Appends the text of run i, whose characters (if not blanks) end at
    // FChars[chars], and moves `chars` to where the run's characters begin.
    void AppendRun(std::string& text, std::size_t i, std::size_t& chars) const {
        const TRun& run = FRuns[i];
        if (run.Blanks) {
            text.append(run.Count, ' ');
            return;
        }
        const std::size_t at = text.size();
        text.resize(at + run.Count);
        std::reverse_copy(FChars.data() + chars - run.Count, FChars.data() + chars,
                          text.data() + at);
        chars -= run.Count;
    }

    const bool FKeepSources;
    std::string FChars; // the characters of the runs that are not blanks, reversed
    std::vector<TRun> FRuns;
    std::vector<TSpan> FSources; // with sources: the bytes each run came from
    std::size_t FSize = 0;       // characters in the tail
    TSpan FDropped;              // removed bytes at the end of the data
};

} // namespace

// Whether the text of `data` keeps the bytes each run came from: where lines
// are kept, and the data's offsets fit a span.
bool KeepSources(const TTextOut& out, std::string_view data) {
    return out.KeepsLines() && data.size() < std::numeric_limits<std::uint32_t>::max();
}

void PutScreenData(TTextOut& out, std::string_view screenData) {
    TTail tail(screenData, KeepSources(out, screenData));
    for (std::size_t i = screenData.size(); i-- > 0;) {
        if (screenData[i] != kSI) {
            tail.PushByte(screenData[i], i);
            continue;
        }
        TSpan from = TSpan::Of(i);
        const std::string row = tail.Take(from);
        const std::string column = tail.Take(from);
        tail.PushText(Format("\r\n\t\tRow=%s Col=%s Data:", {row, column}), from);
    }
    tail.PutTo(out, screenData);
}

void PutPrinterData(TTextOut& out, std::string_view printerData) {
    TTail tail(printerData, KeepSources(out, printerData));
    for (std::size_t i = printerData.size(); i-- > 0;) {
        const char c = printerData[i];
        TSpan from = TSpan::Of(i);
        switch (c) {
        case kLF: tail.PushText("\r\n", from); break;
        case kSO: {
            const std::string count = tail.Take(from);
            const int blanks = count.empty() ? 0 : static_cast<unsigned char>(count.front()) - 48;
            if (blanks > 0) {
                tail.PushBlanks(static_cast<std::size_t>(blanks), from);
            } else {
                tail.Drop(from);
            }
            break;
        }
        case kESC:
            tail.Take(from);
            tail.Drop(from);
            break;
        case kFF: tail.Drop(from); break;
        default: tail.PushByte(c, i); break;
        }
    }
    tail.PutTo(out, printerData);
}

} // namespace velquist
