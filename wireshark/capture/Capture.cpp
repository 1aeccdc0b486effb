#include "Capture.h"

#include <fstream>
#include <stdexcept>

namespace velquist::capture {

namespace {

constexpr std::uint8_t kSyn = 0x02;
constexpr std::uint8_t kPsh = 0x08;
constexpr std::uint8_t kAck = 0x10;

constexpr std::size_t kEthernetLength = 14;
constexpr std::size_t kIpLength = 20;
constexpr std::size_t kTcpLength = 20;

void PutLe32(std::string& out, std::uint32_t value) {
    for (int shift = 0; shift < 32; shift += 8) {
        out.push_back(static_cast<char>((value >> shift) & 0xFF));
    }
}

void PutBe16(std::string& out, std::uint16_t value) {
    out.push_back(static_cast<char>(value >> 8));
    out.push_back(static_cast<char>(value & 0xFF));
}

void PutBe32(std::string& out, std::uint32_t value) {
    PutBe16(out, static_cast<std::uint16_t>(value >> 16));
    PutBe16(out, static_cast<std::uint16_t>(value & 0xFFFF));
}

void PutAddress(std::string& out, const TEndpoint& endpoint) {
    for (const auto byte : endpoint.Address) {
        out.push_back(static_cast<char>(byte));
    }
}

// The Internet checksum's running sum of 16-bit big-endian words.
std::uint32_t SumWords(std::string_view bytes, std::uint32_t sum = 0) {
    for (std::size_t i = 0; i < bytes.size(); i += 2) {
        const auto high = static_cast<std::uint8_t>(bytes[i]);
        const auto low = i + 1 < bytes.size() ? static_cast<std::uint8_t>(bytes[i + 1]) : 0;
        sum += static_cast<std::uint32_t>(high << 8 | low);
    }
    return sum;
}

std::uint16_t FinishChecksum(std::uint32_t sum) {
    while (sum >> 16) {
        sum = (sum & 0xFFFF) + (sum >> 16);
    }
    return static_cast<std::uint16_t>(~sum & 0xFFFF);
}

void SetBe16(std::string& out, std::size_t at, std::uint16_t value) {
    out[at] = static_cast<char>(value >> 8);
    out[at + 1] = static_cast<char>(value & 0xFF);
}

} // namespace

TCaptureWriter::TCaptureWriter() {
    PutLe32(FBytes, 0xA1B23C4D);                       // pcap with nanosecond timestamps
    FBytes += std::string_view("\x02\x00\x04\x00", 4); // version 2.4
    PutLe32(FBytes, 0);                                // time zone
    PutLe32(FBytes, 0);                                // timestamp accuracy
    PutLe32(FBytes, 262144);                           // snapshot length
    PutLe32(FBytes, 1);                                // Ethernet
}

std::size_t TCaptureWriter::Open(const TEndpoint& client, const TEndpoint& server,
                                 std::chrono::nanoseconds time) {
    // Distinct initial sequence numbers per conversation, as real stacks choose.
    const auto number = static_cast<std::uint32_t>(FConversations.size());
    TConversation conversation{client, server, 0x10000000U + number * 0x01000193U,
                               0x70000000U + number * 0x0100019DU};
    Segment(conversation, TSide::Client, kSyn, {}, time);
    conversation.ClientSeq += 1;
    Segment(conversation, TSide::Server, kSyn | kAck, {}, time);
    conversation.ServerSeq += 1;
    Segment(conversation, TSide::Client, kAck, {}, time);
    FConversations.push_back(conversation);
    return FConversations.size() - 1;
}

void TCaptureWriter::Send(std::size_t conversation, TSide from, std::string_view payload,
                          std::chrono::nanoseconds time) {
    if (payload.size() > kMaxPayload) {
        throw std::length_error("TCP payload too long for one IPv4 packet");
    }
    TConversation& stream = FConversations.at(conversation);
    Segment(stream, from, kPsh | kAck, payload, time);
    std::uint32_t& seq = from == TSide::Client ? stream.ClientSeq : stream.ServerSeq;
    seq += static_cast<std::uint32_t>(payload.size());
}

void TCaptureWriter::Segment(const TConversation& conversation, TSide from, std::uint8_t flags,
                             std::string_view payload, std::chrono::nanoseconds time) {
    const bool fromClient = from == TSide::Client;
    const TEndpoint& source = fromClient ? conversation.Client : conversation.Server;
    const TEndpoint& destination = fromClient ? conversation.Server : conversation.Client;
    const std::uint32_t seq = fromClient ? conversation.ClientSeq : conversation.ServerSeq;
    const std::uint32_t ack = fromClient ? conversation.ServerSeq : conversation.ClientSeq;
    const bool acks = (flags & kAck) != 0;

    std::string frame;
    frame.reserve(kEthernetLength + kIpLength + kTcpLength + payload.size());
    frame += std::string_view("\x02\x00\x00\x00\x00\x02\x02\x00\x00\x00\x00\x01\x08\x00", 14);

    const std::size_t ip = frame.size();
    frame += std::string_view("\x45\x00", 2);
    PutBe16(frame, static_cast<std::uint16_t>(kIpLength + kTcpLength + payload.size()));
    PutBe16(frame, FNextIpId++);
    frame += std::string_view("\x40\x00\x40\x06\x00\x00", 6); // DF, TTL 64, TCP, checksum
    PutAddress(frame, source);
    PutAddress(frame, destination);
    SetBe16(frame, ip + 10, FinishChecksum(SumWords(std::string_view(frame).substr(ip))));

    const std::size_t tcp = frame.size();
    PutBe16(frame, source.Port);
    PutBe16(frame, destination.Port);
    PutBe32(frame, seq);
    PutBe32(frame, acks ? ack : 0);
    frame.push_back(static_cast<char>(kTcpLength / 4 << 4));
    frame.push_back(static_cast<char>(flags));
    frame += std::string_view("\xFF\xFF\x00\x00\x00\x00", 6); // window, checksum, urgent
    frame.append(payload);

    // The TCP checksum covers a pseudo header: addresses, protocol, TCP length.
    std::string pseudo;
    PutAddress(pseudo, source);
    PutAddress(pseudo, destination);
    PutBe16(pseudo, 6);
    PutBe16(pseudo, static_cast<std::uint16_t>(kTcpLength + payload.size()));
    SetBe16(frame, tcp + 16,
            FinishChecksum(SumWords(std::string_view(frame).substr(tcp), SumWords(pseudo))));

    const auto seconds = std::chrono::duration_cast<std::chrono::seconds>(time);
    PutLe32(FBytes, static_cast<std::uint32_t>(seconds.count()));
    PutLe32(FBytes, static_cast<std::uint32_t>((time - seconds).count()));
    PutLe32(FBytes, static_cast<std::uint32_t>(frame.size()));
    PutLe32(FBytes, static_cast<std::uint32_t>(frame.size()));
    FBytes += frame;
    ++FFrameCount;
}

void TCaptureWriter::Save(const std::filesystem::path& path) const {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(FBytes.data(), static_cast<std::streamsize>(FBytes.size()));
    if (!out) {
        throw std::runtime_error("cannot write " + path.string());
    }
}

} // namespace velquist::capture
