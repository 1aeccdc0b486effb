#include "velquist/UDiebold.h"

#include "HexText.h"
#include "MessageFields.h"
#include "TextOut.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <new>

namespace velquist {

namespace {

constexpr std::array<std::string_view, 8> kMsgTypeNames = {
    "mtUnknown",         "mtCustomerRequest", "mtSolicited",     "mtUnsolicited",
    "mtFunctionCommand", "mtWriteCommand",    "mtWriteCommand7", "mtOperationalCommand",
};

constexpr std::size_t kNoMoreFields = std::string_view::npos;

// The digits of a decimal number, for sizing a text before it is written.
std::size_t DecimalDigits(std::size_t n) {
    std::size_t digits = 1;
    for (; n >= 10; n /= 10) {
        ++digits;
    }
    return digits;
}

// A result that ran out of memory keeps only its type.
void ForgetAllBut(TDMsgType type, TDecodeResult& result) {
    result = TDecodeResult{};
    result.Type = type;
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

std::vector<TByteRange> FieldTable(std::string_view message) {
    std::vector<TByteRange> fields;
    fields.reserve(static_cast<std::size_t>(std::count(message.begin(), message.end(), kFS)) + 1);
    for (std::size_t start = 0;;) {
        const std::size_t end = FieldEnd(message, start);
        fields.push_back({start, end - start});
        if (end == message.size()) {
            return fields;
        }
        start = end + 1;
    }
}

TDieboldMsg::TDieboldMsg(std::string_view message, const TDecodeOptions& options)
    : FOwnMessage(message), FMessage(FOwnMessage), FOptions(options) {
    Build();
}

TDieboldMsg::TDieboldMsg(std::string_view message, const TDecodeOptions& options, TBorrowed)
    : FMessage(message), FOptions(options) {
    Build();
}

void TDieboldMsg::Build() {
    if (FMessage.empty()) {
        throw EDecodeError("Empty message");
    }
    FMsgType = ClassifyMessage(FMessage);
    TTextOut out(FMessage, FOptions.Structure);
    Decode(out);
    FDecodedText = out.TakeText();
    FLines = out.TakeLines();
}

const std::string_view* TDieboldMsg::FindField(std::size_t i) const {
    while (i >= FFields.size() && FNextField != kNoMoreFields) {
        const std::size_t end = FieldEnd(FMessage, FNextField);
        FFields.push_back(FMessage.substr(FNextField, end - FNextField));
        FNextField = end == FMessage.size() ? kNoMoreFields : end + 1;
    }
    return i < FFields.size() ? &FFields[i] : nullptr;
}

std::string_view TDieboldMsg::Field(std::size_t i) const {
    if (const std::string_view* field = FindField(i)) {
        return *field;
    }
    throw EDecodeError(Format("List index out of bounds (%d)", {static_cast<std::int64_t>(i)}));
}

std::vector<std::string_view> TDieboldMsg::Fields() const {
    std::vector<std::string_view> fields;
    ForEachField(0, [&fields](std::size_t, std::string_view field) {
        fields.push_back(field);
        return true;
    });
    return fields;
}

void TDieboldMsg::Decode(TTextOut& out) {
    switch (FMsgType) {
    case mtCustomerRequest: DecodeConsumerRequest(out); return;
    case mtSolicited: PutSolicited(out); return;
    case mtUnsolicited: PutUnsolicited(out); return;
    case mtFunctionCommand: PutFunctionCommand(out); return;
    case mtWriteCommand: PutWriteCommand(out); return;
    case mtOperationalCommand: PutOperationalCommand(out); return;
    case mtUnknown:
    case mtWriteCommand7: break; // never the result of classification
    }
    PutFieldListing(out);
}

void TDieboldMsg::PutFieldListing(TTextOut& out) const {
    // "DieField[i] = " and the field's hex pairs: the text is sized once.
    constexpr std::size_t kLineText = std::string_view("DieField[] = \r\n").size();
    std::size_t size = MsgTypeName(FMsgType).size() + 2;
    std::size_t lines = 1;
    ForEachField(0, [&size, &lines](std::size_t i, std::string_view field) {
        size += kLineText + DecimalDigits(i) + (field.empty() ? 0 : field.size() * 3 - 1);
        ++lines;
        return true;
    });
    out.Reserve(size);
    out.ReserveLines(lines);

    out.Put(MsgTypeName(FMsgType), TFrom());
    out.Put("\r\n", TFrom());
    ForEachField(0, [&out](std::size_t i, std::string_view field) {
        out.PutFormat("DieField[%d] = ", {static_cast<std::int64_t>(i)});
        out.Write(TFrom::Bytes(field),
                  [field](std::string& text) { AppendHexDump(text, field, " "); });
        out.Put("\r\n", TFrom());
        return true;
    });
}

TDecodeResult DecodeMessage(std::string_view message, const TDecodeOptions& options) {
    TDecodeResult result;
    try {
        try {
            result.Type = ClassifyMessage(message);
            if (options.Structure) {
                result.Fields = FieldTable(message);
            }
            TDieboldMsg decoded(message, options, TDieboldMsg::TBorrowed{});
            result.Type = decoded.MsgType();
            result.Text = std::move(decoded).TakeDecodedText();
            result.Lines = std::move(decoded).TakeLines();
            result.Ok = true;
        } catch (const EDecodeError& error) {
            result.Error = error.what(); // copying the message may run out of memory too
        }
    } catch (const std::bad_alloc&) {
        ForgetAllBut(result.Type, result);
        result.Error = "Out of memory"; // short enough to need no allocation
    } catch (const std::length_error&) {
        ForgetAllBut(result.Type, result);
        result.Error = "Out of memory";
    }
    return result;
}

} // namespace velquist
