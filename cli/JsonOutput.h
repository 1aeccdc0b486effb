#pragma once

// A decode as JSON, for scripts: one object on one line.
//
//   {"ok":true,"type":"mtCustomerRequest","text":"...",
//    "fields":[{"index":0,"offset":0,"length":2},...],
//    "lines":[{"text":"Logical Unit Number = 001","name":"Logical Unit Number",
//              "value":"001","offset":3,"length":3},...]}
//   {"ok":false,"error":"List index out of bounds (3)"}
//
// A line has "offset" and "length" where it shows message bytes, and "name"
// and "value" where it reads "name = value" or "name: value". Messages are
// bytes, not text: each byte b becomes the character U+00b (ISO 8859-1), so
// encoding a string as Latin-1 gives the exact bytes back. The output is UTF-8.

#include "velquist/Decode.h"

#include <functional>
#include <string>
#include <string_view>

namespace velquist::cli {

// Writes the decode (made with TDecodeOptions::Structure) as one line of JSON,
// ending with LF, in pieces to `write`, which returns false when it fails;
// false then.
bool WriteDecodeAsJson(const TDecodeResult& result,
                       const std::function<bool(std::string_view)>& write);

// The same line of JSON as a string.
std::string DecodeAsJson(const TDecodeResult& result);

} // namespace velquist::cli
