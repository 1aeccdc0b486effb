#include "Pdml.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <charconv>
#include <iterator>
#include <map>

namespace velquist::test {

namespace {

void AppendUtf8(std::string& out, unsigned long code) {
    if (code < 0x80) {
        out.push_back(static_cast<char>(code));
    } else if (code < 0x800) {
        out.push_back(static_cast<char>(0xC0 | code >> 6));
        out.push_back(static_cast<char>(0x80 | (code & 0x3F)));
    } else if (code < 0x10000) {
        out.push_back(static_cast<char>(0xE0 | code >> 12));
        out.push_back(static_cast<char>(0x80 | (code >> 6 & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (code & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xF0 | code >> 18));
        out.push_back(static_cast<char>(0x80 | (code >> 12 & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (code >> 6 & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (code & 0x3F)));
    }
}

// An attribute value with its XML character references resolved.
std::string Unescape(std::string_view text) {
    static const std::map<std::string_view, char> kNamed = {
        {"lt", '<'}, {"gt", '>'}, {"amp", '&'}, {"quot", '"'}, {"apos", '\''}};
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const std::size_t semicolon = text[i] == '&' ? text.find(';', i) : std::string_view::npos;
        if (semicolon == std::string_view::npos) {
            out.push_back(text[i]);
            continue;
        }
        const std::string_view entity = text.substr(i + 1, semicolon - i - 1);
        unsigned long code = 0;
        if (entity.starts_with("#x")) {
            std::from_chars(entity.data() + 2, entity.data() + entity.size(), code, 16);
            AppendUtf8(out, code);
        } else if (entity.starts_with('#')) {
            std::from_chars(entity.data() + 1, entity.data() + entity.size(), code, 10);
            AppendUtf8(out, code);
        } else if (const auto named = kNamed.find(entity); named != kNamed.end()) {
            out.push_back(named->second);
        } else {
            out.append(text.substr(i, semicolon - i + 1));
        }
        i = semicolon;
    }
    return out;
}

std::map<std::string, std::string> Attributes(std::string_view tag) {
    std::map<std::string, std::string> attributes;
    std::size_t at = 0;
    while (true) {
        const std::size_t equals = tag.find("=\"", at);
        if (equals == std::string_view::npos) {
            return attributes;
        }
        const std::size_t nameStart = tag.rfind(' ', equals) + 1;
        const std::size_t valueEnd = tag.find('"', equals + 2);
        attributes[std::string(tag.substr(nameStart, equals - nameStart))] =
            Unescape(tag.substr(equals + 2, valueEnd - equals - 2));
        at = valueEnd + 1;
    }
}

long Number(const std::map<std::string, std::string>& attributes, const std::string& name) {
    const auto found = attributes.find(name);
    long value = -1;
    if (found != attributes.end()) {
        std::from_chars(found->second.data(), found->second.data() + found->second.size(), value);
    }
    return value;
}

} // namespace

std::vector<TPdmlPacket> ParsePdml(std::string_view pdml) {
    std::vector<TPdmlPacket> packets;
    std::vector<bool> protos; // the open protocol items: whether each is a message
    for (std::size_t open = pdml.find('<'); open != std::string_view::npos;
         open = pdml.find('<', open + 1)) {
        const std::size_t close = pdml.find('>', open);
        const std::string_view tag = pdml.substr(open + 1, close - open - 1);
        if (tag == "packet") {
            packets.emplace_back();
            protos.clear();
            continue;
        }
        if (tag == "/proto") {
            if (!protos.empty()) {
                protos.pop_back();
            }
            continue;
        }
        const bool proto = tag.starts_with("proto ");
        if ((!proto && !tag.starts_with("field ")) || packets.empty()) {
            continue;
        }
        const auto attributes = Attributes(tag);
        TPdmlField field{attributes.count("name") ? attributes.at("name") : "",
                         attributes.count("show") ? attributes.at("show") : "",
                         attributes.count("showname") ? attributes.at("showname") : "",
                         Number(attributes, "pos"), Number(attributes, "size")};
        TPdmlPacket& packet = packets.back();
        if (field.Name == "frame.number") {
            packet.Number = static_cast<std::uint32_t>(std::stoul(field.Show));
        }
        packet.Fields.push_back(field);
        const bool selfClosing = tag.ends_with('/');
        if (proto && !selfClosing) {
            const bool message = field.Name == "d912";
            protos.push_back(message);
            if (message) {
                packet.Messages.push_back({field});
            }
        } else if (std::find(protos.begin(), protos.end(), true) != protos.end()) {
            packet.Messages.back().push_back(std::move(field));
        }
    }
    return packets;
}

TPdmlFields Named(const TPdmlFields& fields, std::string_view name) {
    TPdmlFields named;
    std::copy_if(fields.begin(), fields.end(), std::back_inserter(named),
                 [name](const TPdmlField& field) { return field.Name == name; });
    return named;
}

std::vector<std::string> Shows(const TPdmlFields& fields, std::string_view name) {
    std::vector<std::string> shows;
    for (const auto& field : Named(fields, name)) {
        shows.push_back(field.Show);
    }
    return shows;
}

TPdmlField One(const TPdmlFields& fields, std::string_view name) {
    const TPdmlFields found = Named(fields, name);
    EXPECT_EQ(found.size(), 1u) << "fields named " << name;
    return found.size() == 1 ? found.front() : TPdmlField{};
}

} // namespace velquist::test
