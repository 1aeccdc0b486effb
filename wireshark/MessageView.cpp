#include "MessageView.h"

namespace velquist::ws {

TMessageView ViewMessage(std::string_view message, const TDecodeOptions& options) {
    TMessageView view{DecodeMessage(message, options), {}};
    view.Summary = SummarizeMessage(message, view.Decoded.Type);
    return view;
}

std::string InfoLine(const TMessageView& view) {
    std::string line(MsgTypeName(view.Decoded.Type));
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

TPairingInput PairingInputOf(const TMessageView& view, std::chrono::nanoseconds time) {
    return velquist::PairingInputOf(view.Decoded.Type, view.Summary, time);
}

} // namespace velquist::ws
