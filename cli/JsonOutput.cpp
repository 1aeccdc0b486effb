#include "JsonOutput.h"

// The document is written as it goes, into one buffer handed out in pieces:
// keys, numbers and punctuation here, each string through Boost.JSON's
// serializer, which escapes it (control characters, '"' and '\'). A decode's
// JSON carries its text three times over (the text, each line, each value),
// megabytes for a large message; built as a tree of values first, it cost as
// much again in copies, allocations and their release as the writing itself.
#include <boost/json/serializer.hpp>

#include <array>
#include <charconv>

namespace velquist::cli {

namespace {

// Whether any byte is above 0x7F; one OR over all bytes, which vectorises.
bool HasHighBytes(std::string_view bytes) {
    unsigned char any = 0;
    for (const char c : bytes) {
        any |= static_cast<unsigned char>(c);
    }
    return (any & 0x80) != 0;
}

// The bytes as UTF-8 where byte b is the character U+00b, into `utf8`.
std::string_view Latin1ToUtf8(std::string_view bytes, std::string& utf8) {
    utf8.clear();
    for (const char c : bytes) {
        const auto b = static_cast<unsigned char>(c);
        if (b < 0x80) {
            utf8.push_back(c);
        } else {
            utf8.push_back(static_cast<char>(0xC0 | (b >> 6)));
            utf8.push_back(static_cast<char>(0x80 | (b & 0x3F)));
        }
    }
    return utf8;
}

// A JSON text written in pieces of 64 KiB to the caller's `write`. After a
// write fails, nothing more is written.
class TJsonOut {
public:
    explicit TJsonOut(const std::function<bool(std::string_view)>& write) : FWrite(write) {}

    bool Failed() const { return FFailed; }

    // Text as it is: punctuation, keys with their quotes, "true".
    void Raw(std::string_view text) {
        if (FBuffer.size() - FUsed < text.size()) {
            Flush();
        }
        text.copy(FBuffer.data() + FUsed, text.size());
        FUsed += text.size();
    }

    void Number(std::size_t value) {
        std::array<char, 24> digits;
        const auto end = std::to_chars(digits.begin(), digits.end(), value).ptr;
        Raw(std::string_view(digits.data(), static_cast<std::size_t>(end - digits.begin())));
    }

    // The bytes as a JSON string: byte b is the character U+00b (ASCII is its
    // own UTF-8).
    void String(std::string_view bytes) {
        FSerializer.reset(HasHighBytes(bytes) ? Latin1ToUtf8(bytes, FUtf8) : bytes);
        while (!FSerializer.done()) {
            if (FUsed == FBuffer.size()) {
                Flush();
            }
            FUsed += FSerializer.read(FBuffer.data() + FUsed, FBuffer.size() - FUsed).size();
        }
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
    boost::json::serializer FSerializer;
    std::string FUtf8; // a string with bytes above 0x7F, converted
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
