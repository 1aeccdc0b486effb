#pragma once

// A file's bytes for reading, mapped into memory where the system can map it:
// a trace larger than memory is then read page by page, and nothing of it is
// copied. A pipe, standard input or a file that cannot be mapped is read whole
// instead.

#include <cstddef>
#include <string>
#include <string_view>

namespace velquist::platform {

class TMappedFile {
public:
    TMappedFile() = default;
    TMappedFile(const TMappedFile&) = delete;
    TMappedFile& operator=(const TMappedFile&) = delete;
    ~TMappedFile();

    // Opens `path` ("-" for standard input). False, with `problem` saying why
    // (the system's message), when its bytes cannot be read.
    bool Open(const std::string& path, std::string& problem);

    std::string_view Text() const;

private:
    void Unmap();

    const char* FMapped = nullptr;
    std::size_t FSize = 0;
    std::string FRead; // the bytes read, where they are not mapped
};

} // namespace velquist::platform
