#include "MessageView.h"

namespace velquist::ws {

namespace {

bool IsControl(unsigned char c) {
    return c < 0x20 || c == 0x7F;
}

bool NeedsEscape(unsigned char c, TEscapes escapes) {
    return IsControl(c) && !(escapes == TEscapes::Label && c >= '\t' && c <= '\r');
}

// The letter of the C escape of a control byte that has one: \a (0x07) to \r
// (0x0D); 0 for the others.
char EscapeLetter(unsigned char c) {
    constexpr char kLetters[] = "abtnvfr";
    return c >= 0x07 && c <= 0x0D ? kLetters[c - 0x07] : '\0';
}

} // namespace

TMessageView ViewMessage(std::string_view message, const TDecodeOptions& options) {
    TMessageView view{DecodeMessage(message, options), {}};
    view.Summary = SummarizeMessage(message, view.Decoded.Type);
    return view;
}

std::string InfoLine(const TMessageView& view) {
    std::string line(MsgTypeDisplayName(view.Decoded.Type));
    const TMessageSummary& summary = view.Summary;
    if (summary.Luno) {
        line.append(" LUNO=").append(*summary.Luno);
    }
    if (summary.Mcn) {
        line.append(" MCN=").append(*summary.Mcn);
    }
    if (!summary.Item.empty()) {
        line.append(": ").append(summary.Item);
    }
    if (!view.Decoded.Ok) {
        line.append(" [").append(view.Decoded.Error).append("]");
    }
    return line;
}

std::size_t EscapedLength(std::string_view line, TEscapes escapes) {
    std::size_t length = 0;
    for (const char c : line) {
        const auto byte = static_cast<unsigned char>(c);
        length += !NeedsEscape(byte, escapes) ? 1 : EscapeLetter(byte) != '\0' ? 2 : 4;
    }
    return length;
}

void WriteEscaped(std::string_view line, char* out, TEscapes escapes) {
    for (const char c : line) {
        const auto byte = static_cast<unsigned char>(c);
        if (!NeedsEscape(byte, escapes)) {
            *out++ = c;
            continue;
        }
        *out++ = '\\';
        if (const char letter = EscapeLetter(byte); letter != '\0') {
            *out++ = letter;
        } else {
            *out++ = static_cast<char>('0' + (byte >> 6));
            *out++ = static_cast<char>('0' + ((byte >> 3) & 7));
            *out++ = static_cast<char>('0' + (byte & 7));
        }
    }
}

TPairingInput PairingInputOf(const TMessageView& view, std::chrono::nanoseconds time) {
    return velquist::PairingInputOf(view.Decoded.Type, view.Summary, time);
}

} // namespace velquist::ws
