#pragma once

// Reading tshark's PDML output (-T pdml): every packet's fields in document
// order, and the fields of each Diebold 911/912 message apart.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace velquist::test {

struct TPdmlField {
    std::string Name;     // e.g. "d912.line"; empty for a text item
    std::string Show;     // the value as tshark shows it (strings unchanged)
    std::string ShowName; // the label
    long Pos = -1;        // the bytes it covers: offset in the frame or reassembled data
    long Size = -1;
};

using TPdmlFields = std::vector<TPdmlField>;

struct TPdmlPacket {
    std::uint32_t Number = 0; // frame.number
    TPdmlFields Fields;       // every field and protocol item of the packet
    // Each "d912" protocol item: the item itself (its Pos is where the message's
    // header starts), then its fields.
    std::vector<TPdmlFields> Messages;
};

std::vector<TPdmlPacket> ParsePdml(std::string_view pdml);

// Every field of that name, in order.
TPdmlFields Named(const TPdmlFields& fields, std::string_view name);

// The Show of every field of that name, in order.
std::vector<std::string> Shows(const TPdmlFields& fields, std::string_view name);

// The one field of that name; fails the test (and returns an empty field) when
// there is none or more than one.
TPdmlField One(const TPdmlFields& fields, std::string_view name);

} // namespace velquist::test
