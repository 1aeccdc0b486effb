// Arbitrary text through the input preparation of every mode, then decoded:
// preparation never fails, the map from bytes to input characters agrees both
// ways, and the decode ends with a text or one error.

#include "velquist/Decode.h"
#include "velquist/InputPrep.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

namespace {

void Check(bool condition) {
    if (!condition) {
        std::abort();
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace velquist;
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    for (const TInputMode mode :
         {TInputMode::AsciiHex, TInputMode::Netadrd, TInputMode::String, TInputMode::None}) {
        const TPreparedInput prepared = PrepareInput(text, mode);
        Check(prepared.Message == PrepareMessage(text, mode));
        if (mode == TInputMode::AsciiHex) {
            Check(prepared.Message.size() == text.size() / 2);
        }
        if (mode == TInputMode::String || mode == TInputMode::None) {
            Check(prepared.Message.size() == text.size());
        }
        // Every character a byte's spans cover (but blanks) leads back to it.
        for (std::size_t byte = 0; byte < prepared.Message.size() && byte < 64; ++byte) {
            for (const TByteRange& span : prepared.Map.TextSpans({byte, 1})) {
                Check(span.End() <= text.size());
                for (std::size_t at = span.Offset; at < span.End(); ++at) {
                    Check(text[at] == ' ' || prepared.Map.ByteAt(at) == byte);
                }
            }
        }
        TDecodeOptions options;
        options.Structure = true;
        const TDecodeResult result = DecodeMessage(prepared.Message, options);
        Check(result.Ok || !result.Error.empty());
    }
    const std::string cleaned = RemoveSpaces(text);
    Check(cleaned.find(' ') == std::string::npos);
    return 0;
}
