// Arbitrary bytes as a message: the decode must end with a text or one error,
// never crash, hang, leak or read out of bounds; its lines must make up the
// text and show bytes of the message only, and masking must keep the layout.

#include "velquist/Decode.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

namespace {

using namespace velquist;

void Check(bool condition) {
    if (!condition) {
        std::abort();
    }
}

void CheckLines(std::string_view message, const TDecodeResult& result) {
    std::size_t at = 0;
    for (const TDecodedLine& line : result.Lines) {
        Check(line.TextOffset == at);
        at = line.TextOffset + line.TextLength;
        Check(at <= result.Text.size());
        Check(result.LineText(line).find("\r\n") == std::string_view::npos);
        Check(!line.Range || line.Range->End() <= message.size());
        if (at < result.Text.size()) {
            Check(std::string_view(result.Text).substr(at, 2) == "\r\n");
            at += 2;
        }
    }
    Check(at == result.Text.size());
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view message(reinterpret_cast<const char*>(data), size);
    const TDecodeResult result = DecodeMessage(message);
    // Exactly one of the two: a decoded text, or an error with a message.
    Check(result.Ok == result.Error.empty());
    Check(result.Ok || result.Text.empty());

    TDecodeOptions options;
    options.Structure = true;
    const TDecodeResult structured = DecodeMessage(message, options);
    Check(structured.Text == result.Text && structured.Error == result.Error);
    Check(!structured.Fields.empty() && structured.Fields.back().End() == message.size());
    CheckLines(message, structured);

    options.MaskCardData = true;
    const TDecodeResult masked = DecodeMessage(message, options);
    Check(masked.Text.size() == result.Text.size() &&
          masked.Lines.size() == structured.Lines.size());
    return 0;
}
