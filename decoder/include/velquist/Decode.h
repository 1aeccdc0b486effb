#pragma once

// The decode action every front end shares: one message (a byte string) in, its
// decoded text out, or the one error that ended the decode.
//
// On request a decode also says where everything came from: the field table
// (each field's place in the message) and the decoded text split into lines,
// each line with the range of message bytes it shows. A front end can then tie
// a line to its bytes (highlight them, filter on them, hand them to a script)
// without knowing anything of the protocol.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace velquist {

inline constexpr char kFS = '\x1C'; // field separator
inline constexpr char kGS = '\x1D'; // group separator, between sub-fields

// The message type.
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

// The type's name in output that scripts and filters read: "mtUnknown",
// "mtCustomerRequest", ... (the first line of the field listing, the JSON
// "type", Wireshark's d912.type).
std::string_view MsgTypeName(TDMsgType type);

// The type's name for people: "Consumer Request", "Solicited Status", ...,
// "Key Change", "Unknown".
std::string_view MsgTypeDisplayName(TDMsgType type);

// The type of either name, in any case; none for a name of no type.
std::optional<TDMsgType> MsgTypeFromName(std::string_view name);

// Every type, in the order of their values.
std::span<const TDMsgType> AllMsgTypes();

// A run of bytes: of the message (a field, the bytes a line shows) or of an
// input text.
struct TByteRange {
    std::size_t Offset = 0;
    std::size_t Length = 0;

    std::size_t End() const { return Offset + Length; }
    bool Contains(std::size_t offset) const { return offset >= Offset && offset < End(); }
    friend bool operator==(const TByteRange&, const TByteRange&) = default;
};

// One line of a decoded text: the text between two CR LF (a final CR LF ends the
// last line and starts no empty one).
struct TDecodedLine {
    std::size_t TextOffset = 0; // where the line starts in the decoded text
    std::size_t TextLength = 0; // its length, without the CR LF that ends it

    // The message bytes the line shows: the bytes of a value copied unchanged,
    // the bytes looked up for a name or a bit, the bytes dumped in hex, the class
    // field for a header line, the bytes that processed screen or printer data
    // came from. Length 0 where the line shows an empty field or a character the
    // message does not have, at the place it would be. None for a line of fixed
    // text ("Number of Bills: ", "Printer Data:", section headings).
    std::optional<TByteRange> Range;
};

// A line read as "name = value", or else as "name: value" (the first " = ",
// else the first ": "). The name has the blanks and tabs around it removed; the
// value is everything after the separator, unchanged. None for a line without
// either separator.
struct TNameValue {
    std::string_view Name;
    std::string_view Value;
};
std::optional<TNameValue> SplitNameValue(std::string_view line);

struct TDecodeOptions {
    // Also the field table and the decoded lines with their byte ranges.
    bool Structure = false;

    // Card data masked in the decoded text (and so in the lines): in track-2 data
    // the account number keeps its first six and last four digits, the expiry
    // date and service code after the "=" stay, every other digit becomes "*";
    // every digit of track-3 data and of the PIN buffer becomes "*". Lengths,
    // separators and ranges stay as they are.
    bool MaskCardData = false;
};

struct TDecodeResult {
    bool Ok = false;
    TDMsgType Type = mtUnknown; // the message's type, also when the decode failed
    std::string Text;           // the decoded text when Ok (CR LF line ends)
    std::string Error;          // the error's message otherwise, without "Error: "

    // With TDecodeOptions::Structure:
    std::vector<TByteRange> Fields;  // field i of the message, also when the decode failed
    std::vector<TDecodedLine> Lines; // the lines of Text, when Ok

    std::string_view LineText(const TDecodedLine& line) const {
        return std::string_view(Text).substr(line.TextOffset, line.TextLength);
    }
};

// The message with each byte that card data masking hides (TDecodeOptions::
// MaskCardData) replaced by "*": the digits of a consumer request's track-2
// data that the mask hides, every digit of its track-3 data and every character
// of its PIN buffer. Other messages come back unchanged.
std::string MaskCardBytes(std::string_view message, TDMsgType type);

// Decodes one message. Never throws: running out of memory is an error like any
// other ("Out of memory"), and a text is never returned cut short.
TDecodeResult DecodeMessage(std::string_view message, const TDecodeOptions& options = {});

} // namespace velquist
