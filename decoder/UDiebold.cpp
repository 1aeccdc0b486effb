#include "velquist/UDiebold.h"

#include "Format.h"
#include "HexText.h"

#include <algorithm>
#include <array>
#include <new>

namespace velquist {

namespace {

constexpr std::array<std::string_view, 8> kMsgTypeNames = {
    "mtUnknown",         "mtCustomerRequest", "mtSolicited",     "mtUnsolicited",
    "mtFunctionCommand", "mtWriteCommand",    "mtWriteCommand7", "mtOperationalCommand",
};

std::vector<std::string> SplitFields(std::string_view message) {
    std::vector<std::string> fields;
    fields.reserve(static_cast<std::size_t>(std::count(message.begin(), message.end(), kFS)) + 1);
    std::size_t start = 0;
    for (std::size_t fs = message.find(kFS); fs != std::string_view::npos;
         fs = message.find(kFS, start)) {
        fields.emplace_back(message.substr(start, fs - start));
        start = fs + 1;
    }
    fields.emplace_back(message.substr(start));
    return fields;
}

} // namespace

std::string_view MsgTypeName(TDMsgType type) {
    return type < kMsgTypeNames.size() ? kMsgTypeNames[type] : std::string_view{};
}

TDMsgType ClassifyMessage(std::string_view message) {
    // c1 and c2 are characters 1 and 2 of the whole message, not of field 0: a
    // message whose class field has one character has the FS as c2.
    const char c1 = message.empty() ? '\0' : message[0];
    const std::string_view c2 = CharAt(message, 2);
    if (c2 == "2") {
        switch (c1) {
        case '1': return mtUnsolicited;
        case '2': return mtSolicited;
        default: return mtUnknown;
        }
    }
    switch (c1) {
    case '1': return c2 == "1" ? mtCustomerRequest : mtOperationalCommand;
    case '3': return mtWriteCommand;
    case '4': return mtFunctionCommand;
    default: return mtUnknown;
    }
}

TDieboldMsg::TDieboldMsg(std::string_view message) {
    if (message.empty()) {
        throw EDecodeError("Empty message");
    }
    FMsgType = ClassifyMessage(message);
    FFields = SplitFields(message);
    FDecodedText = BuildDecodedText();
}

const std::string& TDieboldMsg::Field(std::size_t i) const {
    if (i >= FFields.size()) {
        throw EDecodeError(Format("List index out of bounds (%d)", {static_cast<std::int64_t>(i)}));
    }
    return FFields[i];
}

std::string TDieboldMsg::BuildDecodedText() {
    switch (FMsgType) {
    case mtCustomerRequest: return DecodeConsumerRequest();
    case mtSolicited: return SolicitedText();
    case mtUnsolicited: return UnsolicitedText();
    case mtFunctionCommand: return FunctionCommandText();
    case mtWriteCommand: return WriteCommandText();
    case mtOperationalCommand: return OperationalCommandText();
    case mtUnknown:
    case mtWriteCommand7: break; // never the result of classification
    }
    return FieldListing();
}

std::string TDieboldMsg::FieldListing() const {
    std::string text(MsgTypeName(FMsgType));
    text += "\r\n";
    std::size_t size = text.size();
    for (const auto& field : FFields) {
        size += 24 + field.size() * 3;
    }
    text.reserve(size);
    for (std::size_t i = 0; i < FFields.size(); ++i) {
        AppendFormat(text, "DieField[%d] = ", {static_cast<std::int64_t>(i)});
        AppendHexDump(text, FFields[i], " ");
        text += "\r\n";
    }
    return text;
}

TDecodeResult DecodeMessage(std::string_view message) {
    TDecodeResult result;
    try {
        try {
            result.Text = TDieboldMsg(message).TakeDecodedText();
            result.Ok = true;
        } catch (const EDecodeError& error) {
            result.Error = error.what(); // copying the message may run out of memory too
        }
    } catch (const std::bad_alloc&) {
        result.Error = "Out of memory"; // short enough to need no allocation
    } catch (const std::length_error&) {
        result.Error = "Out of memory";
    }
    return result;
}

} // namespace velquist
