#include "velquist/Summary.h"

#include "Fields.h"
#include "HexText.h"
#include "UDiebold.h"

#include <array>

namespace velquist {

namespace {

// Fields 0 to 6 of a message, as far as it has them: the summary needs no more.
struct TLeadingFields {
    std::array<std::string_view, 7> Fields;
    std::size_t Count = 0;

    explicit TLeadingFields(std::string_view message) {
        ForEachPiece(TPieces(message, kFS), [this](std::size_t i, std::string_view field) {
            Fields[i] = field;
            Count = i + 1;
            return Count < Fields.size();
        });
    }

    std::optional<std::string_view> Get(std::size_t i) const {
        return i < Count ? std::optional(Fields[i]) : std::nullopt;
    }

    // Character `pos` (from 1) of field i, when the message has both.
    std::optional<std::string_view> CharOf(std::size_t i, std::size_t pos) const {
        if (i >= Count) {
            return std::nullopt;
        }
        const std::string_view ch = CharAt(Fields[i], pos);
        return ch.empty() ? std::nullopt : std::optional(ch);
    }
};

} // namespace

TMessageSummary SummarizeMessage(std::string_view message, TDMsgType type) {
    const TLeadingFields fields(message);
    TMessageSummary summary;
    summary.Class = fields.Fields[0];
    if (type != mtUnknown) {
        summary.Luno = fields.Get(1);
    }
    switch (type) {
    case mtCustomerRequest: summary.Mcn = fields.CharOf(4, 2); break;
    case mtFunctionCommand:
        summary.Mcn = fields.CharOf(6, 1);
        summary.FunctionId = fields.CharOf(5, 5);
        if (summary.FunctionId) {
            summary.Item = TDieboldMsg::FunctionIdName(*summary.FunctionId);
        }
        break;
    case mtSolicited:
        summary.StatusDescriptor = fields.CharOf(3, 1);
        if (summary.StatusDescriptor) {
            summary.Item = TDieboldMsg::StatusDescriptorName(*summary.StatusDescriptor);
        }
        break;
    case mtOperationalCommand:
        summary.CommandCode = fields.CharOf(3, 1);
        if (summary.CommandCode) {
            summary.Item = TDieboldMsg::OperationalCommandName(*summary.CommandCode);
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
