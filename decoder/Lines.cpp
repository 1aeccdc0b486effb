#include "Lines.h"

#include <algorithm>
#include <cstring>

namespace velquist {

TLine TLineFinder::At(std::size_t begin) {
    const char* base = FText.data();
    if (!FCrKnown || FNextCr < begin) {
        const void* cr = std::memchr(base + begin, '\r', FEnd - begin);
        FNextCr =
            cr == nullptr ? FEnd : static_cast<std::size_t>(static_cast<const char*>(cr) - base);
        FCrKnown = true;
    }
    const void* lf = std::memchr(base + begin, '\n', std::min(FEnd, FNextCr) - begin);
    if (lf != nullptr) {
        const auto at = static_cast<std::size_t>(static_cast<const char*>(lf) - base);
        return {FText.substr(begin, at - begin), begin, at + 1};
    }
    if (FNextCr < FEnd) { // a CR LF, or a CR alone
        const std::size_t at = FNextCr;
        const std::size_t next = at + 1 < FEnd && FText[at + 1] == '\n' ? at + 2 : at + 1;
        return {FText.substr(begin, at - begin), begin, next};
    }
    return {FText.substr(begin, FEnd - begin), begin, FEnd};
}

} // namespace velquist
