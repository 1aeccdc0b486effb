#include "JsonOutput.h"

// Boost.JSON rather than the more common nlohmann/json: a decode's JSON carries
// its text three times over (the text, each line, each value), megabytes for a
// large message, and Boost's serializer writes long strings some twenty times
// faster.
#include <boost/json.hpp>

#include <algorithm>
#include <array>

namespace velquist::cli {

namespace json = boost::json;

namespace {

// The bytes as a JSON string: byte b is the character U+00b, held as UTF-8.
// Whether any byte is above 0x7F; one OR over all bytes, which vectorises.
bool HasHighBytes(std::string_view bytes) {
    unsigned char any = 0;
    for (const char c : bytes) {
        any |= static_cast<unsigned char>(c);
    }
    return (any & 0x80) != 0;
}

json::string Latin1(std::string_view bytes, const json::storage_ptr& storage) {
    if (!HasHighBytes(bytes)) {
        return json::string(bytes, storage); // ASCII is its own UTF-8
    }
    const auto high = static_cast<std::size_t>(
        std::count_if(bytes.begin(), bytes.end(), [](char c) { return (c & 0x80) != 0; }));
    json::string utf8(storage);
    utf8.resize(bytes.size() + high);
    char* out = utf8.data();
    for (const char c : bytes) {
        const auto b = static_cast<unsigned char>(c);
        if (b < 0x80) {
            *out++ = c;
        } else {
            *out++ = static_cast<char>(0xC0 | (b >> 6));
            *out++ = static_cast<char>(0x80 | (b & 0x3F));
        }
    }
    return utf8;
}

json::array Fields(const std::vector<TByteRange>& fields, const json::storage_ptr& storage) {
    json::array list(storage);
    list.reserve(fields.size());
    for (std::size_t i = 0; i < fields.size(); ++i) {
        json::object field(storage);
        field.emplace("index", i);
        field.emplace("offset", fields[i].Offset);
        field.emplace("length", fields[i].Length);
        list.emplace_back(std::move(field));
    }
    return list;
}

json::array Lines(const TDecodeResult& result, const json::storage_ptr& storage) {
    json::array list(storage);
    list.reserve(result.Lines.size());
    for (const TDecodedLine& line : result.Lines) {
        const std::string_view text = result.LineText(line);
        json::object item(storage);
        item.emplace("text", Latin1(text, storage));
        if (const auto nameValue = SplitNameValue(text)) {
            item.emplace("name", Latin1(nameValue->Name, storage));
            item.emplace("value", Latin1(nameValue->Value, storage));
        }
        if (line.Range) {
            item.emplace("offset", line.Range->Offset);
            item.emplace("length", line.Range->Length);
        }
        list.emplace_back(std::move(item));
    }
    return list;
}

json::object Document(const TDecodeResult& result, const json::storage_ptr& storage) {
    json::object document(storage);
    document.emplace("ok", result.Ok);
    if (result.Ok) {
        const std::string_view type = MsgTypeName(result.Type);
        document.emplace("type", json::string(type, storage));
        document.emplace("text", Latin1(result.Text, storage));
        document.emplace("fields", Fields(result.Fields, storage));
        document.emplace("lines", Lines(result, storage));
    } else {
        document.emplace("error", Latin1(result.Error, storage));
    }
    return document;
}

} // namespace

bool WriteDecodeAsJson(const TDecodeResult& result,
                       const std::function<bool(std::string_view)>& write) {
    // All of the document in one arena, freed at once.
    const json::storage_ptr storage = json::make_shared_resource<json::monotonic_resource>();
    const json::value document = Document(result, storage);
    json::serializer serializer;
    serializer.reset(&document);
    std::array<char, 1 << 16> buffer;
    while (!serializer.done()) {
        if (!write(serializer.read(buffer.data(), buffer.size()))) {
            return false;
        }
    }
    return write("\n");
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
