// A TCP stream of one conversation, cut into messages and shown the way the
// Wireshark plugin does it: framing, the view of every message (decode with
// lines and fields, card data masked or not, summary, Info line) and pairing.
// The first byte chooses the framing (low two bits) and masking (bit 4); the
// rest is the stream. Nothing may crash, hang, leak or read out of bounds, and
// everything the plugin hands Wireshark must lie inside the message.

#include "MessageView.h"
#include "velquist/Framing.h"
#include "velquist/Pairing.h"

#include <algorithm>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace {

using namespace velquist;
using namespace velquist::ws;

void Require(bool condition) {
    if (!condition) {
        std::abort();
    }
}

// A part the plugin shows at its place in the message must be inside it.
void RequireInside(std::string_view part, std::string_view message) {
    Require(part.data() >= message.data() &&
            part.data() + part.size() <= message.data() + message.size());
}

// A line's value fills exactly the length asked for, and holds no control byte.
void CheckEscaped(std::string_view line) {
    std::string value(EscapedLength(line) + 1, '#');
    WriteEscaped(line, value.data());
    Require(value.back() == '#');
    value.pop_back();
    Require(std::none_of(value.begin(), value.end(), [](char c) {
        return static_cast<unsigned char>(c) < 0x20 || c == '\x7F';
    }));
}

void CheckView(const TMessageView& view, std::string_view message) {
    const TDecodeResult& decoded = view.Decoded;
    Require(decoded.Ok == decoded.Error.empty());
    for (const auto& part :
         {std::optional(view.Summary.Class), view.Summary.Luno, view.Summary.Mcn,
          view.Summary.StatusDescriptor, view.Summary.FunctionId, view.Summary.CommandCode}) {
        if (part) {
            RequireInside(*part, message);
        }
    }
    for (const TByteRange& field : decoded.Fields) {
        Require(field.End() <= message.size());
    }
    for (const TDecodedLine& line : decoded.Lines) {
        Require(line.TextOffset + line.TextLength <= decoded.Text.size());
        Require(!line.Range || line.Range->End() <= message.size());
        CheckEscaped(decoded.LineText(line));
    }
    const std::string info = InfoLine(view);
    Require(info.starts_with(MsgTypeDisplayName(decoded.Type)));
    CheckEscaped(info);
}

void CheckPairing(const std::optional<TPairing>& pairing, std::uint32_t frame) {
    if (!pairing) {
        return;
    }
    // What a message answers came before it; times are never negative here,
    // where frames are captured in order.
    Require(!pairing->ResponseTo || *pairing->ResponseTo < frame);
    Require(!pairing->StatusTo || *pairing->StatusTo < frame);
    Require(!pairing->ResponseTime || pairing->ResponseTime->count() > 0);
    Require(!pairing->StatusTime || pairing->StatusTime->count() > 0);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) {
        return 0;
    }
    const auto framing = static_cast<TFraming>(data[0] & 0x03);
    const bool mask = (data[0] & 0x10) != 0;
    const std::span<const std::uint8_t> stream(data + 1, size - 1);
    const std::size_t header = HeaderLength(framing);

    TConversationPairing pairing;
    std::uint32_t frame = 1;
    for (std::size_t offset = 0; offset < stream.size(); ++frame) {
        const std::size_t remaining = stream.size() - offset;
        if (remaining < header) {
            break; // the rest of the header is still to come
        }
        const auto headerBytes = stream.subspan(offset, header);
        const std::size_t pdu =
            framing == TFraming::None ? remaining : PduLength(framing, headerBytes, remaining);
        Require(pdu >= header && pdu > 0);
        if (pdu > remaining) {
            break; // reassembly waits for the rest of the message
        }
        if (framing != TFraming::None && !AnnouncedLength(framing, headerBytes)) {
            Require(pdu == remaining); // a bad header takes the rest of the data
        } else {
            const std::string_view message(
                reinterpret_cast<const char*>(data + 1 + offset + header), pdu - header);
            const TMessageView view = ViewMessage(message, {true, mask});
            CheckView(view, message);
            const TMessageId id{frame, 0};
            pairing.Add(id, PairingInputOf(view, std::chrono::milliseconds(frame)));
            CheckPairing(pairing.Find(id), frame);
        }
        offset += pdu;
    }
    return 0;
}
