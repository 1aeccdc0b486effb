#include "velquist/Decode.h"

namespace velquist {

namespace {

constexpr std::string_view kBlanksAndTabs = " \t";

std::string_view Trimmed(std::string_view text) {
    const std::size_t first = text.find_first_not_of(kBlanksAndTabs);
    if (first == std::string_view::npos) {
        return text.substr(text.size());
    }
    return text.substr(first, text.find_last_not_of(kBlanksAndTabs) - first + 1);
}

} // namespace

std::optional<TNameValue> SplitNameValue(std::string_view line) {
    for (const std::string_view separator : {std::string_view(" = "), std::string_view(": ")}) {
        if (const std::size_t at = line.find(separator); at != std::string_view::npos) {
            return TNameValue{Trimmed(line.substr(0, at)), line.substr(at + separator.size())};
        }
    }
    return std::nullopt;
}

} // namespace velquist
