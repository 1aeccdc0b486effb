#pragma once

// Walking the fields of a message: a message may have a million of them, and
// only the first few are needed by number.

#include "velquist/UDiebold.h"

#include <cstring>
#include <string_view>

namespace velquist {

// Where the field that starts at `start` ends: at the next FS, or at the end.
inline std::size_t FieldEnd(std::string_view message, std::size_t start) {
    if (start >= message.size()) {
        return message.size(); // memchr wants a real address, even for nothing
    }
    const void* fs = std::memchr(message.data() + start, kFS, message.size() - start);
    return fs == nullptr ? message.size()
                         : static_cast<std::size_t>(static_cast<const char*>(fs) - message.data());
}

template <typename TVisit>
void TDieboldMsg::ForEachField(std::size_t first, TVisit&& visit) const {
    // The fields up to `first` are kept, the rest are only visited.
    const std::string_view* firstField = FindField(first);
    if (firstField == nullptr) {
        return;
    }
    const std::string_view message = FMessage;
    std::size_t start = static_cast<std::size_t>(firstField->data() - message.data());
    for (std::size_t i = first;; ++i) {
        const std::size_t end = FieldEnd(message, start);
        if (!visit(i, message.substr(start, end - start)) || end == message.size()) {
            return;
        }
        start = end + 1;
    }
}

} // namespace velquist
