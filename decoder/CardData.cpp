#include "CardData.h"

#include "Fields.h"
#include "velquist/Decode.h"

#include <algorithm>

namespace velquist {

namespace {

constexpr char kMask = '*';
constexpr char kTrackSeparator = '=';
constexpr std::size_t kPanFirstShown = 6;
constexpr std::size_t kPanLastShown = 4;
constexpr std::size_t kShortestPartlyShownPan = 11;
constexpr std::size_t kExpiryAndServiceCode = 4 + 3;

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

// Masks the digits of [begin, end) whose index among them (from 0) `masked`
// says so.
template <typename TMasked>
void MaskDigitsWhere(char* begin, char* end, TMasked masked) {
    std::size_t digit = 0;
    for (char* c = begin; c != end; ++c) {
        if (IsDigit(*c)) {
            if (masked(digit)) {
                *c = kMask;
            }
            ++digit;
        }
    }
}

} // namespace

std::string MaskTrack2(std::string_view track) {
    const std::size_t separator = track.find(kTrackSeparator);
    if (separator == std::string_view::npos) {
        return MaskDigits(track);
    }
    std::string masked(track);
    char* const pan = masked.data();
    char* const panEnd = pan + separator;
    const auto digits = static_cast<std::size_t>(std::count_if(pan, panEnd, IsDigit));
    const bool partlyShown = digits >= kShortestPartlyShownPan;
    MaskDigitsWhere(pan, panEnd, [&](std::size_t digit) {
        return !partlyShown || (digit >= kPanFirstShown && digit < digits - kPanLastShown);
    });
    MaskDigitsWhere(panEnd + 1, pan + masked.size(),
                    [](std::size_t digit) { return digit >= kExpiryAndServiceCode; });
    return masked;
}

std::string MaskCardBytes(std::string_view message, TDMsgType type) {
    // Field 5 is track-2 data, field 6 track-3 data, field 9 the PIN buffer
    // (ConsumerRequest.cpp).
    constexpr std::size_t kTrack2 = 5;
    constexpr std::size_t kTrack3 = 6;
    constexpr std::size_t kPinBuffer = 9;
    std::string masked(message);
    if (type != mtCustomerRequest) {
        return masked;
    }
    ForEachPiece(TPieces(message, kFS), [&](std::size_t i, std::string_view field) {
        const auto at = static_cast<std::size_t>(field.data() - message.data());
        if (i == kTrack2) {
            masked.replace(at, field.size(), MaskTrack2(field));
        } else if (i == kTrack3) {
            masked.replace(at, field.size(), MaskDigits(field));
        } else if (i == kPinBuffer) {
            masked.replace(at, field.size(), field.size(), kMask);
        }
        return i < kPinBuffer;
    });
    return masked;
}

std::string MaskDigits(std::string_view text) {
    std::string masked(text);
    std::replace_if(masked.begin(), masked.end(), IsDigit, kMask);
    return masked;
}

} // namespace velquist
