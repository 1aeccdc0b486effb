#pragma once

// Writing capture files of TCP conversations: the pcap files the dissector's
// tests, its benchmark and its documentation run tshark over. Frames are
// Ethernet II / IPv4 / TCP with correct checksums, and every conversation opens
// with the three-way handshake, so Wireshark follows the streams as it follows
// real ones. Times have nanosecond resolution.

#include <array>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace velquist::capture {

struct TEndpoint {
    std::array<std::uint8_t, 4> Address;
    std::uint16_t Port;
};

enum class TSide : std::uint8_t { Client, Server };

class TCaptureWriter {
public:
    TCaptureWriter();

    // Opens a TCP conversation between the two endpoints: three frames (SYN,
    // SYN-ACK, ACK) at `time`. Returns the conversation's number for Send.
    std::size_t Open(const TEndpoint& client, const TEndpoint& server,
                     std::chrono::nanoseconds time);

    // One TCP segment that carries `payload` from one side of a conversation to
    // the other. At most kMaxPayload bytes.
    void Send(std::size_t conversation, TSide from, std::string_view payload,
              std::chrono::nanoseconds time);

    static constexpr std::size_t kMaxPayload = 65495; // an IPv4 packet's limit

    std::size_t FrameCount() const { return FFrameCount; }
    const std::string& Bytes() const { return FBytes; } // the pcap file's contents

    // Writes the capture to a file; throws std::runtime_error when it cannot.
    void Save(const std::filesystem::path& path) const;

private:
    struct TConversation {
        TEndpoint Client;
        TEndpoint Server;
        std::uint32_t ClientSeq; // the next sequence number of each side
        std::uint32_t ServerSeq;
    };

    void Segment(const TConversation& conversation, TSide from, std::uint8_t flags,
                 std::string_view payload, std::chrono::nanoseconds time);

    std::vector<TConversation> FConversations;
    std::string FBytes;
    std::size_t FFrameCount = 0;
    std::uint16_t FNextIpId = 1;
};

} // namespace velquist::capture
