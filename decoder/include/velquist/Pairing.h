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
// Messages are added once, in order; what a message learns can be read back at
// any time after, and no longer changes once the messages after it have been
// added. TPairingCore does the pairing for every front end over message numbers
// with 8 bytes a message; TConversationPairing puts it to work for a packet
// capture, whose messages are known by frame.

#include "velquist/BlockVector.h"
#include "velquist/Decode.h"
#include "velquist/Summary.h"

#include <chrono>
#include <compare>
#include <cstdint>
#include <map>
#include <optional>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace velquist {

enum class TPairRole : std::uint8_t {
    Other,   // takes no part in pairing
    Request, // consumer request
    Command, // function command
    Status,  // solicited status
};

// The part a message of this type takes (a message without a LUNO takes none).
TPairRole PairRoleOf(TDMsgType type);

// A message's number in the order of adding, from 0.
inline constexpr std::uint32_t kNoMessage = UINT32_MAX;

// What pairing found for one message, by the messages' numbers:
//   request  Forward: the function command that answers it
//   command  Back: the request it answers; Forward: the status that reports on it
//   status   Back: the command it reports on
struct TPairLinks {
    std::uint32_t Back = kNoMessage;
    std::uint32_t Forward = kNoMessage;
    friend bool operator==(const TPairLinks&, const TPairLinks&) = default;
};

class TPairingCore {
public:
    // Adds the next message and returns its number. `terminal` and `mcn` are
    // numbers the caller gives the LUNO and the MCN (equal values, equal
    // numbers); a request or command without an MCN pairs with no request.
    std::uint32_t Add(TPairRole role, std::uint32_t terminal, std::optional<std::uint32_t> mcn);

    TPairLinks Links(std::uint32_t message) const { return FLinks[message]; }
    std::size_t size() const { return FLinks.size(); }

private:
    TBlockVector<TPairLinks> FLinks;
    std::unordered_map<std::uint64_t, std::uint32_t> FOpenRequests; // by LUNO and MCN
    std::unordered_map<std::uint32_t, std::uint32_t> FOpenCommands; // by LUNO
};

// ---- A packet capture -----------------------------------------------------------

// A message in a capture: its frame, and its place among the messages of that
// frame (a frame can complete several).
struct TMessageId {
    std::uint32_t Frame = 0;
    std::uint32_t Index = 0;
    friend auto operator<=>(const TMessageId&, const TMessageId&) = default;
};

struct TPairingInput {
    TPairRole Role = TPairRole::Other;
    std::string_view Luno;
    std::optional<std::string_view> Mcn; // requests and commands: none when absent
    std::chrono::nanoseconds Time{};     // when the message was captured
};

// What pairing needs to know of a message of type `type` with its summary,
// captured at `time`.
TPairingInput PairingInputOf(TDMsgType type, const TMessageSummary& summary,
                             std::chrono::nanoseconds time);

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
    std::optional<TPairing> Find(TMessageId id) const;

private:
    struct TAdded {
        TMessageId Id;
        std::chrono::nanoseconds Time;
        TPairRole Role;
    };

    TPairingCore FCore;
    TStringTable FLunos;
    TStringTable FMcns;
    std::vector<TAdded> FAdded;                   // by number
    std::map<TMessageId, std::uint32_t> FNumbers; // the number of each id
};

} // namespace velquist
