#include "JsonOutput.h"

// The document is written as it goes, into one buffer handed out in pieces:
// keys, numbers and punctuation here, each string as the library's
// WriteJsonString writes it. A decode's JSON carries its text three times over
// (the text, each line, each value), megabytes for a large message; built as a
// tree of values first, it cost as much again in copies, allocations and their
// release as the writing itself.
#include "velquist/TraceJson.h"

#include <algorithm>
#include <array>
#include <charconv>

namespace velquist::cli {

namespace {

// A JSON text written in pieces of 64 KiB to the caller's `write`. After a
// write fails, nothing more is written.
class TJsonOut {
public:
    explicit TJsonOut(const std::function<bool(std::string_view)>& write) : FWrite(write) {}

    bool Failed() const { return FFailed; }

    // Text as it is: punctuation, keys with their quotes, "true", a piece of a
    // string written as JSON.
    void Raw(std::string_view text) {
        while (!text.empty()) {
            if (FUsed == FBuffer.size()) {
                Flush();
            }
            const std::size_t piece = std::min(text.size(), FBuffer.size() - FUsed);
            text.copy(FBuffer.data() + FUsed, piece);
            FUsed += piece;
            text.remove_prefix(piece);
        }
    }

    void Number(std::size_t value) {
        std::array<char, 24> digits;
        const auto end = std::to_chars(digits.begin(), digits.end(), value).ptr;
        Raw(std::string_view(digits.data(), static_cast<std::size_t>(end - digits.begin())));
    }

    // The bytes as a JSON string: byte b is the character U+00b.
    void String(std::string_view bytes) {
        WriteJsonString(bytes, [this](std::string_view piece) { Raw(piece); });
    }

    // Writes what is left; false when a write failed.
    bool Finish() {
        Flush();
        return !FFailed;
    }

private:
    void Flush() {
        if (!FFailed && FUsed > 0) {
            FFailed = !FWrite(std::string_view(FBuffer.data(), FUsed));
        }
        FUsed = 0;
    }

    const std::function<bool(std::string_view)>& FWrite;
    std::array<char, 1 << 16> FBuffer;
    std::size_t FUsed = 0;
    bool FFailed = false;
};

void WriteFields(TJsonOut& out, const std::vector<TByteRange>& fields) {
    out.Raw("[");
    for (std::size_t i = 0; i < fields.size(); ++i) {
        out.Raw(i == 0 ? "{\"index\":" : ",{\"index\":");
        out.Number(i);
        out.Raw(",\"offset\":");
        out.Number(fields[i].Offset);
        out.Raw(",\"length\":");
        out.Number(fields[i].Length);
        out.Raw("}");
    }
    out.Raw("]");
}

void WriteLines(TJsonOut& out, const TDecodeResult& result) {
    out.Raw("[");
    for (std::size_t i = 0; i < result.Lines.size() && !out.Failed(); ++i) {
        const TDecodedLine& line = result.Lines[i];
        const std::string_view text = result.LineText(line);
        out.Raw(i == 0 ? "{\"text\":" : ",{\"text\":");
        out.String(text);
        if (const auto nameValue = SplitNameValue(text)) {
            out.Raw(",\"name\":");
            out.String(nameValue->Name);
            out.Raw(",\"value\":");
            out.String(nameValue->Value);
        }
        if (line.Range) {
            out.Raw(",\"offset\":");
            out.Number(line.Range->Offset);
            out.Raw(",\"length\":");
            out.Number(line.Range->Length);
        }
        out.Raw("}");
    }
    out.Raw("]");
}

} // namespace

bool WriteDecodeAsJson(const TDecodeResult& result,
                       const std::function<bool(std::string_view)>& write) {
    TJsonOut out(write);
    if (result.Ok) {
        out.Raw("{\"ok\":true,\"type\":");
        out.String(MsgTypeName(result.Type));
        out.Raw(",\"text\":");
        out.String(result.Text);
        out.Raw(",\"fields\":");
        WriteFields(out, result.Fields);
        out.Raw(",\"lines\":");
        WriteLines(out, result);
    } else {
        out.Raw("{\"ok\":false,\"error\":");
        out.String(result.Error);
    }
    out.Raw("}\n");
    return out.Finish();
}

std::string DecodeAsJson(const TDecodeResult& result) {
    std::string line;
    WriteDecodeAsJson(result, [&line](std::string_view piece) {
        line.append(piece);
        return true;
    });
    return line;
}

} // namespace velquist::cli
