#pragma once

// Messages of every class, and whole captures of terminals talking to their
// host: for the dissector's tests, its benchmark and its documentation.

#include "Capture.h"
#include "velquist/Framing.h"

#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>

namespace velquist::capture {

// Fields joined with FS, as a message is sent.
std::string Message(std::initializer_list<std::string_view> fields);

// A message of each class, as a terminal (requests, statuses) or its host
// (commands) sends it.
std::string ConsumerRequest(std::string_view luno, char mcn,
                            std::string_view track2 = "4761739001010010=2212201114384451");
std::string FunctionCommand(std::string_view luno, char mcn, char functionId = '8');
std::string SolicitedStatus(std::string_view luno, char descriptor = '9');
std::string ConfigurationStatus(std::string_view luno); // solicited, descriptor "8"
std::string UnsolicitedStatus(std::string_view luno, std::string_view status = "482A0");
std::string WriteCommand(std::string_view luno);
std::string OperationalCommand(std::string_view luno, char commandCode = '1');
std::string UnknownMessage();

struct TTrafficOptions {
    TFraming Framing = TFraming::Be16;
    std::uint16_t Port = 7001;      // the host's port
    std::size_t Conversations = 20; // terminals, one TCP conversation each
    std::size_t Messages = 1000;    // in all
    std::uint32_t Seed = 1;
};

// Terminals and their host at work: every terminal repeats a cycle of consumer
// requests answered by function commands and reported on by solicited statuses,
// with unsolicited statuses, write, operational and unknown messages between;
// the terminals' conversations interleave. Every message in a segment of its
// own, framed as the options say.
TCaptureWriter ExchangeTraffic(const TTrafficOptions& options);

// Random payloads: random lengths (0 to 600 bytes) of random bytes, each framed
// as the options say, one to a segment, in both directions of every
// conversation.
TCaptureWriter RandomTraffic(const TTrafficOptions& options);

} // namespace velquist::capture
