// velquist-d912-capture: writes a capture of Diebold 911/912 traffic over TCP,
// for trying the dissector, measuring it and showing it.
//
//   velquist-d912-capture [--framing be16|le16|ascii4|none] [--port N]
//                         [--conversations N] [--messages N] [--seed N]
//                         [--random] OUTPUT.pcap

#include "Traffic.h"

#include <charconv>
#include <cstdlib>
#include <exception>
#include <iostream>
#include <map>
#include <optional>
#include <string>
#include <string_view>

namespace {

using namespace velquist;

std::optional<unsigned long> Number(std::string_view text) {
    unsigned long value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size()) {
        return std::nullopt;
    }
    return value;
}

int Usage() {
    std::cerr << "Usage: velquist-d912-capture [--framing be16|le16|ascii4|none] [--port N]\n"
                 "                             [--conversations N] [--messages N] [--seed N]\n"
                 "                             [--random] OUTPUT.pcap\n";
    return 2;
}

} // namespace

int main(int argc, char** argv) {
    const std::map<std::string_view, TFraming> framings = {
        {"be16", TFraming::Be16},
        {"le16", TFraming::Le16},
        {"ascii4", TFraming::Ascii4},
        {"none", TFraming::None},
    };
    capture::TTrafficOptions options;
    bool random = false;
    std::string output;
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        if (arg == "--random") {
            random = true;
            continue;
        }
        if (arg.starts_with("--") && i + 1 < argc) {
            const std::string_view value = argv[++i];
            const auto number = Number(value);
            if (arg == "--framing" && framings.contains(value)) {
                options.Framing = framings.at(value);
            } else if (arg == "--port" && number && *number > 0 && *number < 65536) {
                options.Port = static_cast<std::uint16_t>(*number);
            } else if (arg == "--conversations" && number && *number > 0) {
                options.Conversations = *number;
            } else if (arg == "--messages" && number) {
                options.Messages = *number;
            } else if (arg == "--seed" && number) {
                options.Seed = static_cast<std::uint32_t>(*number);
            } else {
                return Usage();
            }
            continue;
        }
        if (!output.empty() || arg.starts_with("--")) {
            return Usage();
        }
        output = arg;
    }
    if (output.empty()) {
        return Usage();
    }
    try {
        const auto traffic =
            random ? capture::RandomTraffic(options) : capture::ExchangeTraffic(options);
        traffic.Save(output);
        std::cout << traffic.FrameCount() << " frames written to " << output << "\n";
    } catch (const std::exception& error) {
        std::cerr << "Error: " << error.what() << "\n";
        return 1;
    }
    return 0;
}
