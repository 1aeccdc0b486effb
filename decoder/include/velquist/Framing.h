#pragma once

// How messages are framed on a TCP stream. Hosts and terminals put a length
// header in front of every message: two binary bytes (big- or little-endian) or
// four ASCII decimal digits, never counting themselves. Some links send no
// header at all and rely on one message per TCP segment.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace velquist {

enum class TFraming : std::uint8_t {
    Be16,   // 2-byte length, big-endian (the default)
    Le16,   // 2-byte length, little-endian
    Ascii4, // 4 ASCII decimal digits
    None,   // no header: each TCP segment's payload is one message
};

// The number of header bytes in front of every message: 2, 4, or 0 for None.
std::size_t HeaderLength(TFraming framing);

// The message length a header announces. `header` holds at least
// HeaderLength(framing) bytes. None for an ASCII header that is not four
// decimal digits, and for framing None, which has no header.
std::optional<std::size_t> AnnouncedLength(TFraming framing, std::span<const std::uint8_t> header);

// The length of the whole PDU (header and message) that starts with `header`,
// `remaining` being the bytes the TCP stream holds from the header's first
// byte on. A header that announces no length (an ASCII header with anything but
// digits) cannot be followed: the PDU then runs to the end of what is there, so
// the bad bytes are shown once and the next segment starts afresh.
std::size_t PduLength(TFraming framing, std::span<const std::uint8_t> header,
                      std::size_t remaining);

// The message with the header a sender puts in front of it. None when the
// message is too long for the header (65535 bytes for a binary header, 9999
// for an ASCII one).
std::optional<std::string> FrameMessage(TFraming framing, std::string_view message);

} // namespace velquist
