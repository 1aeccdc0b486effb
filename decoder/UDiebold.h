#pragma once

// One Diebold 911/912 terminal protocol message in decoded form.
//
// A message is a byte string whose fields are separated by FS (0x1C); field 0 is
// the message class. Construction does all the work: the message is classified
// by its first two characters, split into its fields and turned into a labelled,
// readable text with CR LF line ends. The header of each class and the decoders
// of its body live in the source file of that class; this file and UDiebold.cpp
// hold what all classes share.
//
// Private to the library: front ends decode through DecodeMessage (Decode.h).

#include "Fields.h"
#include "velquist/Decode.h"

#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace velquist {

// The classification by the first two characters of the whole message.
TDMsgType ClassifyMessage(std::string_view message);

// An error that ends a decode: the message is shown to the user after "Error: ".
class EDecodeError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

class TTextOut;

class TDieboldMsg {
public:
    // Decodes the message completely. Throws EDecodeError when the message is
    // empty or lacks a field that its class needs ("List index out of bounds (%d)").
    explicit TDieboldMsg(std::string_view message, const TDecodeOptions& options = {});

    // The fields are views into the message the object keeps: it stays where it is.
    TDieboldMsg(const TDieboldMsg&) = delete;
    TDieboldMsg& operator=(const TDieboldMsg&) = delete;

    std::string GetDecodedText() const { return FDecodedText; }
    std::string TakeDecodedText() && { return std::move(FDecodedText); }

    // With TDecodeOptions::Structure, the lines of the decoded text.
    const std::vector<TDecodedLine>& Lines() const { return FLines; }
    std::vector<TDecodedLine> TakeLines() && { return std::move(FLines); }

    TDMsgType MsgType() const { return FMsgType; }
    std::vector<std::string_view> Fields() const;
    const std::string& Key() const { return FKey; }
    const std::string& Track2() const { return FTrack2; }
    const std::string& PinBuffer() const { return FPinBuffer; }

    // The decoders' vocabulary: pure lookups and text transformations that read
    // nothing of a message but their argument. Characters are passed as views of
    // one character, or of none when the message does not hold that character; an
    // absent character matches no table row of its own and takes the row for any
    // other character.

    // Operational command: the name of the command code (character 1 of field 3).
    static std::string_view OperationalCommandName(std::string_view commandCode);

    // Solicited status.
    static std::string_view StatusDescriptorName(std::string_view descriptor);
    static std::string DecodeCassettes(std::string_view subField);
    static std::string CassetteStatusName(std::string_view entry);
    static std::string DecodeHardwareConfig(std::string_view subField);

    // Function command.
    static std::string DecodeBillCounts(std::string_view field);
    static std::string DecodeFunctionIds(std::string_view field);
    static std::string_view FunctionIdName(std::string_view functionId);
    static std::string DecodeScreenData(std::string_view screenData);
    static std::string DecodeCardAndPrinter(std::string_view field);

private:
    friend TDecodeResult DecodeMessage(std::string_view message, const TDecodeOptions& options);

    // The decode of a message that outlives the object, read where it is.
    struct TBorrowed {};
    TDieboldMsg(std::string_view message, const TDecodeOptions& options, TBorrowed);

    void Build(); // everything the constructor does

    // Field i of the message; throws "List index out of bounds (i)" past the last.
    std::string_view Field(std::size_t i) const;
    const std::string_view* FindField(std::size_t i) const; // null past the last

    // Calls `visit(i, field)` for every field from field `first` on, until it
    // returns false. The fields up to `first` are kept, the rest only visited.
    template <typename TVisit>
    void ForEachField(std::size_t first, TVisit&& visit) const {
        if (const std::string_view* field = FindField(first)) {
            const auto start = static_cast<std::size_t>(field->data() - FMessage.data());
            ForEachPiece(TPieces(FMessage, kFS, start, first), visit);
        }
    }

    void Decode(TTextOut& out);
    void PutFieldListing(TTextOut& out) const;

    // The whole text of each class, header included.
    void DecodeConsumerRequest(TTextOut& out);
    void PutSolicited(TTextOut& out) const;
    void PutUnsolicited(TTextOut& out) const;
    void PutFunctionCommand(TTextOut& out) const;
    void PutWriteCommand(TTextOut& out);
    void PutOperationalCommand(TTextOut& out) const;

    // Body decoders that read further fields of the message themselves.
    void DecodeStatusInformation(TTextOut& out, std::string_view descriptor) const;
    void DecodeUnsolicitedStatus(TTextOut& out, std::string_view deviceId) const;
    void DecodeWriteCommand(TTextOut& out);

    const std::string FOwnMessage;   // the message, unless it is borrowed
    const std::string_view FMessage; // the message the fields are views of
    const TDecodeOptions FOptions;
    // The fields found so far: a message of a million fields needs only the
    // first few by number, and the rest once, in order.
    mutable std::vector<std::string_view> FFields;
    mutable TPieces FMoreFields; // those not found yet

    std::string FKey;       // new key of a Write Command VII, as hex pairs
    std::string FTrack2;    // track-2 data of a consumer request
    std::string FPinBuffer; // PIN buffer of a consumer request, one hex digit per byte
    std::string FDecodedText;
    std::vector<TDecodedLine> FLines;
    TDMsgType FMsgType = mtUnknown;
};

// Every field of a message, as split at each FS: field i's place in it.
std::vector<TByteRange> FieldTable(std::string_view message);

} // namespace velquist
