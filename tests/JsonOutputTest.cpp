// A decode as JSON, read back by an independent JSON parser.

#include "JsonOutput.h"
#include "MessageGen.h"
#include "TestUtil.h"
#include "velquist/Decode.h"

#include <boost/json.hpp>
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <string>
#include <vector>

namespace velquist::cli {
namespace {

using test::Msg;
using TJson = nlohmann::json;

TDecodeResult Decode(std::string_view message, bool mask = false) {
    TDecodeOptions options;
    options.Structure = true;
    options.MaskCardData = mask;
    return DecodeMessage(message, options);
}

// A JSON string back to the bytes it stands for.
std::string Bytes(const TJson& string) {
    return test::Latin1Bytes(string.get<std::string>());
}

// One object on one line, ending with LF.
TJson Parse(const std::string& line) {
    EXPECT_TRUE(line.ends_with('\n'));
    EXPECT_EQ(line.find('\n'), line.size() - 1);
    return TJson::parse(line);
}

void ExpectJsonOfDecode(std::string_view message, const TDecodeResult& result) {
    const TJson json = Parse(DecodeAsJson(result));
    ASSERT_TRUE(json.at("ok").get<bool>());
    EXPECT_EQ(json.at("type").get<std::string>(), MsgTypeName(result.Type));
    EXPECT_EQ(Bytes(json.at("text")), result.Text);

    const TJson& fields = json.at("fields");
    ASSERT_EQ(fields.size(), result.Fields.size());
    for (std::size_t i = 0; i < fields.size(); ++i) {
        EXPECT_EQ(fields[i].at("index").get<std::size_t>(), i);
        EXPECT_EQ(fields[i].at("offset").get<std::size_t>(), result.Fields[i].Offset);
        EXPECT_EQ(fields[i].at("length").get<std::size_t>(), result.Fields[i].Length);
    }

    const TJson& lines = json.at("lines");
    ASSERT_EQ(lines.size(), result.Lines.size());
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const TJson& line = lines[i];
        const std::string text = Bytes(line.at("text"));
        EXPECT_EQ(text, result.LineText(result.Lines[i]));
        const auto nameValue = SplitNameValue(text);
        EXPECT_EQ(line.contains("name"), nameValue.has_value());
        EXPECT_EQ(line.contains("value"), nameValue.has_value());
        if (nameValue) {
            EXPECT_EQ(Bytes(line.at("name")), nameValue->Name);
            EXPECT_EQ(Bytes(line.at("value")), nameValue->Value);
        }
        const auto& range = result.Lines[i].Range;
        EXPECT_EQ(line.contains("offset"), range.has_value()) << text;
        EXPECT_EQ(line.contains("length"), range.has_value()) << text;
        if (range) {
            EXPECT_EQ(line.at("offset").get<std::size_t>(), range->Offset);
            EXPECT_EQ(line.at("length").get<std::size_t>(), range->Length);
            EXPECT_LE(range->End(), message.size());
        }
    }
}

class JsonOfEveryClass : public ::testing::TestWithParam<std::string> {};

TEST_P(JsonOfEveryClass, ReadsBackAsTheDecode) {
    test::TMessageGen gen(test::SeedFor(0xC0FFEE, GetParam()));
    int decoded = 0;
    for (int n = 0; n < 200; ++n) {
        const std::string message = gen.Message(GetParam());
        const TDecodeResult result = Decode(message);
        if (result.Ok) {
            ExpectJsonOfDecode(message, result);
            ++decoded;
        }
    }
    EXPECT_GT(decoded, 100);
}

INSTANTIATE_TEST_SUITE_P(EveryClass, JsonOfEveryClass,
                         ::testing::Values("11", "22", "12", "4", "3", "1", "unknown"),
                         test::NamedBy([](const std::string& kind) { return "class " + kind; }));

// The writer as it was: the decode built as a tree of Boost.JSON values, then
// serialised. The writer now streams, and must give the same bytes.
namespace before {

namespace json = boost::json;

// U+0080 to U+00BF are C2 80 to C2 BF in UTF-8, U+00C0 to U+00FF C3 80 to C3 BF.
json::string Latin1(std::string_view bytes) {
    json::string utf8;
    for (const char c : bytes) {
        const auto b = static_cast<unsigned char>(c);
        if (b >= 0x80) {
            utf8.push_back(b < 0xC0 ? '\xC2' : '\xC3');
        }
        utf8.push_back(b < 0x80 ? c : static_cast<char>(b & 0xBF));
    }
    return utf8;
}

std::string DecodeAsJson(const TDecodeResult& result) {
    json::object document;
    document.emplace("ok", result.Ok);
    if (!result.Ok) {
        document.emplace("error", Latin1(result.Error));
        return json::serialize(document) + "\n";
    }
    document.emplace("type", json::string(MsgTypeName(result.Type)));
    document.emplace("text", Latin1(result.Text));
    json::array fields;
    for (std::size_t i = 0; i < result.Fields.size(); ++i) {
        fields.emplace_back(json::object{{"index", i},
                                         {"offset", result.Fields[i].Offset},
                                         {"length", result.Fields[i].Length}});
    }
    document.emplace("fields", std::move(fields));
    json::array lines;
    for (const TDecodedLine& line : result.Lines) {
        const std::string_view text = result.LineText(line);
        json::object item;
        item.emplace("text", Latin1(text));
        if (const auto nameValue = SplitNameValue(text)) {
            item.emplace("name", Latin1(nameValue->Name));
            item.emplace("value", Latin1(nameValue->Value));
        }
        if (line.Range) {
            item.emplace("offset", line.Range->Offset);
            item.emplace("length", line.Range->Length);
        }
        lines.emplace_back(std::move(item));
    }
    document.emplace("lines", std::move(lines));
    return json::serialize(document) + "\n";
}

} // namespace before

TEST(JsonOutput, SameBytesAsTheWriterBefore) {
    std::vector<std::string> messages = {"", Msg({"22", "000", ""})};
    for (const std::string kind : {"11", "22", "12", "4", "3", "1", "unknown"}) {
        test::TMessageGen gen(test::SeedFor(0xB0F0E, kind));
        for (int n = 0; n < 100; ++n) {
            messages.push_back(gen.Message(kind));
        }
    }
    // Every byte, and a text longer than one piece of output (64 KiB).
    std::string everyByte;
    for (int b = 0; b < 256; ++b) {
        everyByte.push_back(static_cast<char>(b));
    }
    for (std::string bytes = everyByte; bytes.size() < 200'000;) {
        messages.push_back("9" + bytes);
        bytes += bytes;
    }
    for (const std::string& message : messages) {
        for (const bool mask : {false, true}) {
            const TDecodeResult result = Decode(message, mask);
            ASSERT_EQ(DecodeAsJson(result), before::DecodeAsJson(result))
                << testing::PrintToString(message);
        }
    }
}

TEST(JsonOutput, StopsWritingWhenAWriteFails) {
    const TDecodeResult result = Decode("9" + std::string(100'000, 'x'));
    std::size_t writes = 0;
    EXPECT_FALSE(WriteDecodeAsJson(result, [&writes](std::string_view) {
        ++writes;
        return false;
    }));
    EXPECT_EQ(writes, 1u);
    std::string written;
    writes = 0;
    EXPECT_TRUE(WriteDecodeAsJson(result, [&](std::string_view piece) {
        ++writes;
        written.append(piece);
        return true;
    }));
    EXPECT_GT(writes, 2u);
    EXPECT_EQ(written, before::DecodeAsJson(result));
}

TEST(JsonOutput, ErrorIsOkFalseAndTheMessage) {
    EXPECT_EQ(DecodeAsJson(Decode(Msg({"22", "000", ""}))),
              "{\"ok\":false,\"error\":\"List index out of bounds (3)\"}\n");
}

// Every byte value survives, control characters and bytes above 0x7F included.
TEST(JsonOutput, EveryByteComesBack) {
    std::string luno;
    for (int b = 0; b < 256; ++b) {
        if (b != 0x1C) {
            luno.push_back(static_cast<char>(b));
        }
    }
    const std::string message = Msg({"13", luno, "002", "1"});
    const TDecodeResult result = Decode(message);
    ASSERT_TRUE(result.Ok);
    ExpectJsonOfDecode(message, result);
}

TEST(JsonOutput, MaskedCardData) {
    const std::string message =
        Msg({"11", "001", "", "A1B2", "0A", ";4761739001010119=15122011143804489?", "", "AAB", "",
             "1234"});
    const TJson json = Parse(DecodeAsJson(Decode(message, true)));
    EXPECT_EQ(Bytes(json.at("lines")[5].at("value")), ";476173******0119=1512201**********?");
    EXPECT_EQ(json.at("lines")[5].at("offset").get<std::size_t>(), message.find(';'));
    EXPECT_EQ(Bytes(json.at("lines")[9].at("value")), "****");
    EXPECT_EQ(Bytes(json.at("text")).find("4761739001010119"), std::string::npos);
}

} // namespace
} // namespace velquist::cli
