#pragma once

// One Diebold 911/912 terminal protocol message in decoded form.
//
// A message is a byte string whose fields are separated by FS (0x1C); field 0 is
// the message class. Construction does all the work: the message is classified
// by its first two characters, split into its fields and turned into a labelled,
// readable text with CR LF line ends. The header of each class and the decoders
// of its body live in the source file of that class; this file and UDiebold.cpp
// hold what all classes share.

#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace velquist {

inline constexpr char kFS = '\x1C'; // field separator
inline constexpr char kGS = '\x1D'; // group separator, between sub-fields

// The message type. The names are part of the output: the field listing starts
// with the name of the message's type.
enum TDMsgType : std::uint8_t {
    mtUnknown,            // no known class: the field listing
    mtCustomerRequest,    // consumer request, class "11"
    mtSolicited,          // solicited status, class "22"
    mtUnsolicited,        // unsolicited status, class "12"
    mtFunctionCommand,    // function command (transaction reply), class "4"
    mtWriteCommand,       // write command, class "3"
    mtWriteCommand7,      // set by the write command decoder on a key change
    mtOperationalCommand, // operational command, class "1" and any other second character
};

std::string_view MsgTypeName(TDMsgType type);

// The classification by the first two characters of the whole message.
TDMsgType ClassifyMessage(std::string_view message);

// An error that ends a decode: the message is shown to the user after "Error: ".
class EDecodeError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

class TDieboldMsg {
public:
    // Decodes the message completely. Throws EDecodeError when the message is
    // empty or lacks a field that its class needs ("List index out of bounds (%d)").
    explicit TDieboldMsg(std::string_view message);

    std::string GetDecodedText() const { return FDecodedText; }
    std::string TakeDecodedText() && { return std::move(FDecodedText); }

    TDMsgType MsgType() const { return FMsgType; }
    const std::vector<std::string>& Fields() const { return FFields; }
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
    // Field i of the message; throws "List index out of bounds (i)" past the last.
    const std::string& Field(std::size_t i) const;

    std::string BuildDecodedText();
    std::string FieldListing() const;

    // The whole text of each class, header included.
    std::string DecodeConsumerRequest();
    std::string SolicitedText() const;
    std::string UnsolicitedText() const;
    std::string FunctionCommandText() const;
    std::string WriteCommandText();
    std::string OperationalCommandText() const;

    // Body decoders that read further fields of the message themselves. The
    // detail of a solicited status can be large (any number of device
    // sub-fields), so it is appended to the text under construction.
    void DecodeStatusInformation(std::string& out, std::string_view descriptor) const;
    std::string DecodeUnsolicitedStatus(std::string_view deviceId) const;
    std::string DecodeWriteCommand();

    std::string FKey;       // new key of a Write Command VII, as hex pairs
    std::string FTrack2;    // track-2 data of a consumer request
    std::string FPinBuffer; // PIN buffer of a consumer request, one hex digit per byte
    std::vector<std::string> FFields;
    std::string FDecodedText;
    TDMsgType FMsgType = mtUnknown;
};

// The decode action shared by every front end: the decoded text, or the one
// error that ended the decode. Running out of memory is an error like any other
// ("Out of memory"): a text is never returned cut short.
struct TDecodeResult {
    bool Ok = false;
    std::string Text;  // the decoded text when Ok
    std::string Error; // the error's message otherwise, without "Error: "
};

TDecodeResult DecodeMessage(std::string_view message);

} // namespace velquist
