#pragma once

// Card data masked for showing: what may appear in a ticket or a chat.
//
// Track-2 data is the primary account number (PAN), the separator "=", the
// expiry date (four digits), the service code (three digits) and discretionary
// data, framed by the start sentinel ";" and the end sentinel "?". Only digits
// are masked; sentinels, separators and anything else stay, and so does the
// length.

#include <string>
#include <string_view>

namespace velquist {

// The PAN keeps its first six and last four digits, the rest become "*"; a PAN
// of fewer than eleven digits becomes "*" whole. After the "=" the expiry date
// and service code stay and every further digit becomes "*". A track without
// "=" has no layout to go by: every digit becomes "*".
std::string MaskTrack2(std::string_view track);

// Every digit becomes "*": track-3 data, a PIN buffer shown as hex digits.
std::string MaskDigits(std::string_view text);

} // namespace velquist
