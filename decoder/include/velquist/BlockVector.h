#pragma once

// Containers for indexes of millions of small records, kept compact: a vector
// that grows by blocks (it never copies what it holds, so it takes at most one
// block more than its elements, where a doubling vector would briefly need
// three times their size), and a table of distinct strings by number.

#include <cstddef>
#include <cstdint>
#include <deque>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace velquist {

// A sequence of T that grows at its end by blocks of 2^kBlockBits elements.
// Elements stay where they are: a reference to one holds while others are added.
template <typename T, unsigned kBlockBits = 14>
class TBlockVector {
public:
    static constexpr std::size_t kBlockSize = std::size_t{1} << kBlockBits;

    std::size_t size() const { return FSize; }
    bool empty() const { return FSize == 0; }

    T& operator[](std::size_t i) { return FBlocks[i >> kBlockBits][i & (kBlockSize - 1)]; }
    const T& operator[](std::size_t i) const {
        return FBlocks[i >> kBlockBits][i & (kBlockSize - 1)];
    }

    void push_back(const T& value) {
        if ((FSize & (kBlockSize - 1)) == 0) {
            FBlocks.push_back(std::make_unique_for_overwrite<T[]>(kBlockSize));
        }
        (*this)[FSize++] = value;
    }

    // The memory its blocks take, for measuring an index.
    std::size_t CapacityBytes() const { return FBlocks.size() * kBlockSize * sizeof(T); }

private:
    std::vector<std::unique_ptr<T[]>> FBlocks;
    std::size_t FSize = 0;
};

// Distinct strings, each with a number from 0 in the order they were first
// added: a terminal's LUNO is kept once however many messages carry it.
class TStringTable {
public:
    // The number of `text`, added when it is new.
    std::uint32_t Intern(std::string_view text) {
        const auto found = FNumbers.find(text);
        if (found != FNumbers.end()) {
            return found->second;
        }
        const auto number = static_cast<std::uint32_t>(FStrings.size());
        FStrings.emplace_back(text);
        FNumbers.emplace(FStrings.back(), number);
        return number;
    }

    // The number of `text`; none for a string never added.
    std::optional<std::uint32_t> Find(std::string_view text) const {
        const auto found = FNumbers.find(text);
        return found == FNumbers.end() ? std::nullopt : std::optional(found->second);
    }

    std::string_view operator[](std::uint32_t number) const { return FStrings[number]; }
    std::size_t size() const { return FStrings.size(); }

private:
    std::deque<std::string> FStrings; // a deque: its strings never move, the views stay
    std::unordered_map<std::string_view, std::uint32_t> FNumbers;
};

} // namespace velquist
