#include "UDiebold.h"

#include "HexText.h"
#include "TextOut.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <new>

namespace velquist {

namespace {

// Each type's name in output that scripts read (the field listing's first line,
// the JSON "type", the plugin's d912.type) and its name for people. The enum's
// own spelling is never output: renaming a value changes nothing users see.
struct TMsgTypeNames {
    TDMsgType Type;
    std::string_view Name;
    std::string_view DisplayName;
};

constexpr TMsgTypeNames kMsgTypeNames[] = {
    {mtUnknown, "mtUnknown", "Unknown"},
    {mtCustomerRequest, "mtCustomerRequest", "Consumer Request"},
    {mtSolicited, "mtSolicited", "Solicited Status"},
    {mtUnsolicited, "mtUnsolicited", "Unsolicited Status"},
    {mtFunctionCommand, "mtFunctionCommand", "Function Command"},
    {mtWriteCommand, "mtWriteCommand", "Write Command"},
    {mtWriteCommand7, "mtWriteCommand7", "Key Change"},
    {mtOperationalCommand, "mtOperationalCommand", "Operational Command"},
};

const TMsgTypeNames* NamesOf(TDMsgType type) {
    for (const auto& names : kMsgTypeNames) {
        if (names.Type == type) {
            return &names;
        }
    }
    return nullptr;
}

bool SameIgnoringCase(std::string_view a, std::string_view b) {
    const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; };
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(),
                                              [&](char x, char y) { return lower(x) == lower(y); });
}

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
    const TMsgTypeNames* names = NamesOf(type);
    return names == nullptr ? std::string_view{} : names->Name;
}

std::string_view MsgTypeDisplayName(TDMsgType type) {
    const TMsgTypeNames* names = NamesOf(type);
    return names == nullptr ? std::string_view{} : names->DisplayName;
}

std::optional<TDMsgType> MsgTypeFromName(std::string_view name) {
    for (const auto& names : kMsgTypeNames) {
        if (SameIgnoringCase(name, names.Name) || SameIgnoringCase(name, names.DisplayName)) {
            return names.Type;
        }
    }
    return std::nullopt;
}

std::span<const TDMsgType> AllMsgTypes() {
    static constexpr auto kTypes = [] {
        std::array<TDMsgType, std::size(kMsgTypeNames)> types{};
        for (std::size_t i = 0; i < types.size(); ++i) {
            types[i] = kMsgTypeNames[i].Type;
        }
        return types;
    }();
    return kTypes;
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
    ForEachPiece(TPieces(message, kFS), [&](std::size_t, std::string_view field) {
        fields.push_back({static_cast<std::size_t>(field.data() - message.data()), field.size()});
        return true;
    });
    return fields;
}

TDieboldMsg::TDieboldMsg(std::string_view message, const TDecodeOptions& options)
    : FOwnMessage(message), FMessage(FOwnMessage), FOptions(options), FMoreFields(FMessage, kFS) {
    Build();
}

TDieboldMsg::TDieboldMsg(std::string_view message, const TDecodeOptions& options, TBorrowed)
    : FMessage(message), FOptions(options), FMoreFields(FMessage, kFS) {
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
    while (i >= FFields.size()) {
        const std::optional<std::string_view> field = FMoreFields.Next();
        if (!field) {
            return nullptr;
        }
        FFields.push_back(*field);
    }
    return &FFields[i];
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
