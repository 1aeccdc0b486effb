#pragma once

// Pairing the messages of one conversation (a TCP connection, a trace): which function command
// answers which consumer request, and which solicited status reports on which command.
//
// A consumer request is answered by the first later function command with the
// same logical unit number (LUNO) and the same message coordination number
// (MCN); the command then awaits the first later solicited status with the same
// LUNO. An exchange that is never completed leaves its messages unpaired. When a
// terminal sends a second request with the same LUNO and MCN before the first is
// answered, the answer goes to the later one: the terminal has given up on the
// earlier request. Likewise a second command to a LUNO replaces the first as the
// one a status reports on.
//
// Messages are added once, in capture order (Wireshark's first pass); what a
// message learns can be read back at any time after, and no longer changes once
// the messages after it have been added.

#include <chrono>
#include <compare>
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

namespace velquist {

// A message in a capture: its frame, and its place among the messages of that
// frame (a frame can complete several).
struct TMessageId {
    std::uint32_t Frame = 0;
    std::uint32_t Index = 0;
    friend auto operator<=>(const TMessageId&, const TMessageId&) = default;
};

enum class TPairRole : std::uint8_t {
    Other,   // takes no part in pairing
    Request, // consumer request
    Command, // function command
    Status,  // solicited status
};

struct TPairingInput {
    TPairRole Role = TPairRole::Other;
    std::string_view Luno;
    std::optional<std::string_view> Mcn; // requests and commands: none when absent
    std::chrono::nanoseconds Time{};     // when the message was captured
};

// What pairing tells about one message. Frames are frame numbers.
struct TPairing {
    std::optional<std::uint32_t> ResponseIn;              // request: its function command
    std::optional<std::uint32_t> ResponseTo;              // function command: its request
    std::optional<std::chrono::nanoseconds> ResponseTime; // function command: since the request
    std::optional<std::uint32_t> StatusIn;                // function command: its solicited status
    std::optional<std::uint32_t> StatusTo;                // solicited status: its command
    std::optional<std::chrono::nanoseconds> StatusTime;   // solicited status: since the command

    friend bool operator==(const TPairing&, const TPairing&) = default;
};

class TConversationPairing {
public:
    // Adds the next message of the conversation. A message that was added before
    // (the same id) is ignored, so a second pass over a capture changes nothing.
    void Add(TMessageId id, const TPairingInput& input);

    // What pairing has found for the message so far; none for a message that was
    // never added or takes no part.
    const TPairing* Find(TMessageId id) const;

private:
    struct TPending {
        TMessageId Id;
        std::chrono::nanoseconds Time;
    };
    using TRequestKey = std::pair<std::string, std::string>; // LUNO, MCN

    std::map<TRequestKey, TPending> FOpenRequests;
    std::map<std::string, TPending, std::less<>> FOpenCommands; // by LUNO
    std::map<TMessageId, TPairing> FPairings;
};

} // namespace velquist
