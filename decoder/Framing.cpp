#include "velquist/Framing.h"

namespace velquist {

std::size_t HeaderLength(TFraming framing) {
    switch (framing) {
    case TFraming::Be16:
    case TFraming::Le16: return 2;
    case TFraming::Ascii4: return 4;
    case TFraming::None: break;
    }
    return 0;
}

std::optional<std::size_t> AnnouncedLength(TFraming framing, std::span<const std::uint8_t> header) {
    if (framing == TFraming::None || header.size() < HeaderLength(framing)) {
        return std::nullopt;
    }
    switch (framing) {
    case TFraming::Be16: return std::size_t{header[0]} << 8 | header[1];
    case TFraming::Le16: return std::size_t{header[1]} << 8 | header[0];
    case TFraming::Ascii4: {
        std::size_t length = 0;
        for (std::size_t i = 0; i < 4; ++i) {
            if (header[i] < '0' || header[i] > '9') {
                return std::nullopt;
            }
            length = length * 10 + (header[i] - '0');
        }
        return length;
    }
    case TFraming::None: break;
    }
    return std::nullopt;
}

std::size_t PduLength(TFraming framing, std::span<const std::uint8_t> header,
                      std::size_t remaining) {
    const auto announced = AnnouncedLength(framing, header);
    return announced ? HeaderLength(framing) + *announced : remaining;
}

std::optional<std::string> FrameMessage(TFraming framing, std::string_view message) {
    const std::size_t length = message.size();
    std::string framed;
    switch (framing) {
    case TFraming::Be16:
    case TFraming::Le16: {
        if (length > 0xFFFF) {
            return std::nullopt;
        }
        const char high = static_cast<char>(length >> 8);
        const char low = static_cast<char>(length & 0xFF);
        framed = framing == TFraming::Be16 ? std::string{high, low} : std::string{low, high};
        break;
    }
    case TFraming::Ascii4: {
        if (length > 9999) {
            return std::nullopt;
        }
        framed = std::to_string(length);
        framed.insert(0, 4 - framed.size(), '0');
        break;
    }
    case TFraming::None: break;
    }
    framed.append(message);
    return framed;
}

} // namespace velquist
