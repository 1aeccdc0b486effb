#pragma once

// Large messages of every shape the benchmarks measure, the same on every run.

#include "SeededRandom.h"

#include <cstdint>
#include <iterator>
#include <string>
#include <string_view>

namespace velquist::bench {

inline constexpr char FS = '\x1C';
inline constexpr char GS = '\x1D';

// Hex pairs of `size` random bytes whose first byte keeps the message out of
// every known class, so the decoder lists its fields.
inline std::string UnknownMessageHex(std::size_t size) {
    TSeededRandom noise(0x5EED);
    std::string bytes(size, '\0');
    for (auto& byte : bytes) {
        byte = static_cast<char>(noise.Byte());
    }
    bytes[0] = '9';
    std::string hex;
    hex.reserve(size * 2);
    constexpr char digits[] = "0123456789ABCDEF";
    for (const char c : bytes) {
        const auto b = static_cast<unsigned char>(c);
        hex.push_back(digits[b >> 4]);
        hex.push_back(digits[b & 0x0F]);
    }
    return hex;
}

// A function command whose receipt is `size` bytes dense with printer controls.
inline std::string FunctionCommandWithPrinterData(std::size_t size) {
    static constexpr std::string_view kPiece = "TOTAL\nAMOUNT\x0E"
                                               "5USD\x1B"
                                               "X\x0C"
                                               "42\n\x0E"
                                               "3";
    std::string printer = "102";
    while (printer.size() < size + 3) {
        printer.append(kPiece);
    }
    printer.resize(size + 3);
    return std::string("4\x1C"
                       "001\x1C"
                       "123\x1C"
                       "025\x1C"
                       "0200\x1C"
                       "0042B010000\x0F"
                       "ABPLEASE WAIT!\x1C") +
           printer;
}

// A solicited status "8" with `count` device sub-fields of every kind.
inline std::string SolicitedWithSubfields(std::size_t count) {
    static constexpr std::string_view kSubfields[] = {
        ">0001", "?1234", "<12346001", "D<1>2=30?", "B0123456789:;<=>?0123456789", "=1",
    };
    std::string message = "22\x1C"
                          "000\x1C\x1C"
                          "8\x1C";
    for (std::size_t i = 0; i < count; ++i) {
        if (i != 0) {
            message.push_back(GS);
        }
        message.append(kSubfields[i % std::size(kSubfields)]);
    }
    return message;
}

// A consumer request with `count` fields, the status field last.
inline std::string ConsumerRequestWithFields(std::size_t count) {
    std::string message = "11\x1C"
                          "001\x1C\x1C"
                          "A1B2\x1C"
                          "0A\x1C"
                          "1234567890123456=2512\x1C\x1C"
                          "AAB\x1C"
                          "00002000\x1C"
                          "0123456789:;<=>?";
    for (std::size_t i = 10; i + 1 < count; ++i) {
        message.push_back(FS);
        message.append("X");
    }
    message.append("\x1C"
                   "6012310");
    return message;
}

} // namespace velquist::bench
