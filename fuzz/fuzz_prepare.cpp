// Arbitrary text through the input preparation of every mode, then decoded:
// preparation never fails, and the decode ends with a text or one error.

#include "velquist/InputPrep.h"
#include "velquist/UDiebold.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace velquist;
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    for (const TInputMode mode :
         {TInputMode::AsciiHex, TInputMode::Netadrd, TInputMode::String, TInputMode::None}) {
        const std::string message = PrepareMessage(text, mode);
        if (mode == TInputMode::AsciiHex && message.size() != text.size() / 2) {
            std::abort();
        }
        if ((mode == TInputMode::String || mode == TInputMode::None) &&
            message.size() != text.size()) {
            std::abort();
        }
        const TDecodeResult result = DecodeMessage(message);
        if (!result.Ok && result.Error.empty()) {
            std::abort();
        }
    }
    const std::string cleaned = RemoveSpaces(text);
    if (cleaned.find(' ') != std::string::npos) {
        std::abort();
    }
    return 0;
}
