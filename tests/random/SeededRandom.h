#pragma once

// Random numbers for generated test and benchmark data, the same for a seed on
// every machine: the engine is std::mt19937_64, whose output the C++ standard
// fixes, and numbers in a range come from Below here. The standard's
// distributions (std::uniform_int_distribution and the others) are left to each
// standard library, and give other numbers with another one.

#include <cstdint>
#include <random>

namespace velquist {

class TSeededRandom {
public:
    explicit TSeededRandom(std::uint64_t seed) : FEngine(seed) {}

    // 64 random bits.
    std::uint64_t Bits() { return FEngine(); }

    // A number from 0 to n - 1 (n > 0), each as likely as any other. Of the 2^64
    // draws the lowest 2^64 mod n are thrown away (and drawn again), so that
    // the rest make whole rounds of n and no value is favoured.
    std::uint64_t Below(std::uint64_t n) {
        const std::uint64_t rejected = (0 - n) % n; // 2^64 mod n
        for (;;) {
            const std::uint64_t draw = FEngine();
            if (draw >= rejected) {
                return draw % n;
            }
        }
    }

    // True one time in n, on average.
    bool OneIn(std::uint64_t n) { return Below(n) == 0; }

    // A random byte: the top 8 bits of a draw.
    unsigned char Byte() { return static_cast<unsigned char>(FEngine() >> 56); }

private:
    std::mt19937_64 FEngine;
};

} // namespace velquist
