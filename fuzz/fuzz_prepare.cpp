// Arbitrary text through the input preparation of every mode, then decoded:
// preparation never fails, the map from bytes to input characters agrees both
// ways, and the decode ends with a text or one error.

#include "Prepare.h"
#include "velquist/Decode.h"
#include "velquist/InputPrep.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
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
    const std::string text(reinterpret_cast<const char*>(data), size);
    for (const TInputMode mode : {TInputMode::AsciiHex, TInputMode::Netadrd, TInputMode::String,
                                  TInputMode::None, TInputMode::Raw}) {
        for (const bool fromFile : {false, true}) {
            const TInputOptions input{mode, fromFile, true};
            const std::string shaped = ShapeText(text, input);
            const auto decoded = DecodeInput(text, input, {.Structure = true});
            Check(decoded.has_value() == !shaped.empty());
            if (!decoded) {
                continue;
            }
            Check(decoded->Message == PrepareText(text, input));
            if (mode == TInputMode::AsciiHex) {
                Check(decoded->Message.size() == shaped.size() / 2);
            }
            if (mode == TInputMode::String || mode == TInputMode::None || mode == TInputMode::Raw) {
                Check(decoded->Message.size() == shaped.size());
            }
            // Every character a byte's spans cover (but blanks) leads back to it.
            for (std::size_t byte = 0; byte < decoded->Message.size() && byte < 64; ++byte) {
                for (const TByteRange& span : decoded->Map.TextSpans({byte, 1})) {
                    Check(span.End() <= shaped.size());
                    for (std::size_t at = span.Offset; at < span.End(); ++at) {
                        Check(shaped[at] == ' ' || decoded->Map.ByteAt(at) == byte);
                    }
                }
            }
            Check(decoded->Decoded.Ok || !decoded->Decoded.Error.empty());
        }
    }
    const std::string cleaned = RemoveSpaces(text);
    Check(cleaned.find(' ') == std::string::npos);
    return 0;
}
