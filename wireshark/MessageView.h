#pragma once

// One message as the dissector shows it: the decode (text, lines with their
// bytes, field table), the summary, and the line for the packet list. Pure C++
// over the decoding library, so it can be tested and fuzzed without Wireshark.

#include "velquist/Pairing.h"

#include "velquist/Decode.h"
#include "velquist/Summary.h"

#include <chrono>
#include <string>
#include <string_view>

namespace velquist::ws {

struct TMessageView {
    TDecodeResult Decoded;
    TMessageSummary Summary;
};

TMessageView ViewMessage(std::string_view message, const TDecodeOptions& options);

// The message's entry in the packet list's Info column: its type, LUNO, MCN
// where it has one, its most telling item, and the error of a message that
// cannot be decoded, e.g. "mtFunctionCommand LUNO=001 MCN=1: Deliver and print"
// or "mtCustomerRequest LUNO=001 [List index out of bounds (9)]". Values are
// the message's bytes, unchanged.
std::string InfoLine(const TMessageView& view);

// What pairing needs to know of the message, captured at `time`.
TPairingInput PairingInputOf(const TMessageView& view, std::chrono::nanoseconds time);

} // namespace velquist::ws
