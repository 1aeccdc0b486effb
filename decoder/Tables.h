#pragma once

// Lookup tables of the protocol: a character and its text, searched in order.

#include <span>
#include <string_view>

namespace velquist {

struct TCharText {
    char Key;
    std::string_view Text;
};

// The text of the row whose key is the character `ch` (a view of one character),
// or `otherwise` when no row matches or the character is absent (empty view).
constexpr std::string_view LookupChar(std::span<const TCharText> table, std::string_view ch,
                                      std::string_view otherwise = {}) {
    if (ch.empty()) {
        return otherwise;
    }
    for (const auto& row : table) {
        if (row.Key == ch.front()) {
            return row.Text;
        }
    }
    return otherwise;
}

} // namespace velquist
