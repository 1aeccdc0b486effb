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
    TPairingInput input;
    switch (view.Decoded.Type) {
    case mtCustomerRequest: input.Role = TPairRole::Request; break;
    case mtFunctionCommand: input.Role = TPairRole::Command; break;
    case mtSolicited: input.Role = TPairRole::Status; break;
    default: return input;
    }
    if (!view.Summary.Luno) {
        input.Role = TPairRole::Other; // nothing to pair on
        return input;
    }
    input.Luno = *view.Summary.Luno;
    input.Mcn = view.Summary.Mcn;
    input.Time = time;
    return input;
}

} // namespace velquist::ws
