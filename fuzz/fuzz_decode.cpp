// Arbitrary bytes as a message: the decode must end with a text or one error,
// never crash, hang, leak or read out of bounds.

#include "velquist/UDiebold.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view message(reinterpret_cast<const char*>(data), size);
    const velquist::TDecodeResult result = velquist::DecodeMessage(message);
    // Exactly one of the two: a decoded text, or an error with a message.
    if (result.Ok != result.Error.empty()) {
        std::abort();
    }
    if (!result.Ok && !result.Text.empty()) {
        std::abort();
    }
    // The same message decodes to the same text every time.
    if (velquist::DecodeMessage(message).Text != result.Text) {
        std::abort();
    }
    return 0;
}
