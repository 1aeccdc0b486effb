#pragma once

// A trace as JSON Lines, for scripts and for saving what a listing shows: one
// object per message, in trace order, and the statistics as one object. The
// command line (velquist-decode --trace --json) and the window write these same
// objects.
//
// Message bytes in strings (a LUNO, an MCN) are bytes, not text: byte b is the
// character U+00b (ISO 8859-1), as in the single-message JSON. Times and
// durations are seconds, to the microsecond.

#include "velquist/TraceIndex.h"
#include "velquist/TraceQuery.h"

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>

namespace velquist {

// Appends the object of message i (viewed with ViewTraceMessage), then LF:
//   index, first_line, last_line, time, elapsed, length, hex, type, from, luno,
//   mcn, item, error, odd_digit, truncated, response_in, response_to, status_in,
//   status_to, response_time, status_time, and `decode`, a JSON object given
//   whole (the single-message JSON), where one is given.
// Keys without a value are left out; message numbers count from 1.
void AppendTraceMessageJson(std::string& out, const TTraceIndex& index, std::size_t i,
                            const TTraceMessageView& view, std::string_view decode = {});

// Appends the statistics as one object, then LF: messages, types, terminals,
// errors, unanswered, no_status, response_time and status_time (each with count,
// min, median, p95, max and mean; null without a duration).
void AppendTraceStatsJson(std::string& out, const TTraceStats& stats);

// Appends `bytes` as a JSON string, each byte the character of its value
// (ISO 8859-1), escaped as JSON requires.
void AppendJsonString(std::string& out, std::string_view bytes);

// The same string written in pieces of a few KiB to `write`, for a string of
// megabytes (velquist-decode's --json writes its strings so).
void WriteJsonString(std::string_view bytes, const std::function<void(std::string_view)>& write);

} // namespace velquist
