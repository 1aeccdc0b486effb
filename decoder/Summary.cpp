#include "velquist/Summary.h"

#include "HexText.h"
#include "MessageFields.h"

#include <array>

namespace velquist {

namespace {

// Fields 0 to 6 of a message, as far as it has them: the summary needs no more.
struct TLeadingFields {
    std::array<std::string_view, 7> Fields;
    std::size_t Count = 0;

    std::optional<std::string_view> Get(std::size_t i) const {
        return i < Count ? std::optional(Fields[i]) : std::nullopt;
    }
};

TLeadingFields LeadingFields(std::string_view message) {
    TLeadingFields leading;
    std::size_t start = 0;
    while (leading.Count < leading.Fields.size()) {
        const std::size_t end = FieldEnd(message, start);
        leading.Fields[leading.Count++] = message.substr(start, end - start);
        if (end == message.size()) {
            break;
        }
        start = end + 1;
    }
    return leading;
}

// Character `pos` (from 1) of the field, when the message has both.
std::optional<std::string_view> CharOf(const std::optional<std::string_view>& field,
                                       std::size_t pos) {
    if (!field) {
        return std::nullopt;
    }
    const std::string_view ch = CharAt(*field, pos);
    return ch.empty() ? std::nullopt : std::optional(ch);
}

} // namespace

TMessageSummary SummarizeMessage(std::string_view message, TDMsgType type) {
    const TLeadingFields fields = LeadingFields(message);
    TMessageSummary summary;
    summary.Class = fields.Fields[0];
    if (type != mtUnknown) {
        summary.Luno = fields.Get(1);
    }
    switch (type) {
    case mtCustomerRequest: summary.Mcn = CharOf(fields.Get(4), 2); break;
    case mtFunctionCommand: {
        summary.Mcn = CharOf(fields.Get(6), 1);
        if (const auto functionId = CharOf(fields.Get(5), 5)) {
            summary.Item = TDieboldMsg::FunctionIdName(*functionId);
        }
        break;
    }
    case mtSolicited:
        summary.StatusDescriptor = CharOf(fields.Get(3), 1);
        if (summary.StatusDescriptor) {
            summary.Item = TDieboldMsg::StatusDescriptorName(*summary.StatusDescriptor);
        }
        break;
    case mtOperationalCommand:
        if (const auto commandCode = fields.Get(3)) {
            summary.Item = TDieboldMsg::OperationalCommandName(*commandCode);
        }
        break;
    case mtUnknown:
    case mtUnsolicited:
    case mtWriteCommand:
    case mtWriteCommand7: break;
    }
    return summary;
}

} // namespace velquist
