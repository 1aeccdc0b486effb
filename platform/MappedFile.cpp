#include "MappedFile.h"

#include "Io.h"

#ifdef _WIN32
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <io.h>
#include <windows.h>
#else
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace velquist::platform {

namespace {

// Reads pieces from `read` (bytes read, 0 at the end, -1 on an error) until the
// end, into `out`.
template <typename TRead>
bool ReadToEnd(TRead read, std::string& out) {
    constexpr std::size_t kFirstPiece = std::size_t{64} << 10;
    std::size_t used = 0;
    for (;;) {
        if (used == out.size()) {
            out.resize(used < kFirstPiece ? kFirstPiece : 2 * used);
        }
        const long long got = read(out.data() + used, out.size() - used);
        if (got < 0) {
            return false;
        }
        if (got == 0) {
            out.resize(used);
            return true;
        }
        used += static_cast<std::size_t>(got);
    }
}

} // namespace

TMappedFile::~TMappedFile() {
    Unmap();
}

std::string_view TMappedFile::Text() const {
    return FMapped != nullptr ? std::string_view(FMapped, FSize) : std::string_view(FRead);
}

#ifdef _WIN32

namespace {

std::string SystemMessage(DWORD error) {
    char* text = nullptr;
    const DWORD length = FormatMessageA(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, error, 0, reinterpret_cast<char*>(&text), 0, nullptr);
    std::string message = length > 0 ? std::string(text, length) : "error " + std::to_string(error);
    LocalFree(text);
    while (!message.empty() &&
           (message.back() == '\n' || message.back() == '\r' || message.back() == '.')) {
        message.pop_back();
    }
    return message;
}

// Closes a handle when it goes.
struct THandle {
    HANDLE Handle;
    ~THandle() {
        if (Handle != nullptr && Handle != INVALID_HANDLE_VALUE) {
            CloseHandle(Handle);
        }
    }
};

} // namespace

bool TMappedFile::Open(const std::string& path, std::string& problem) {
    Unmap();
    if (path == "-") {
        _setmode(_fileno(stdin), _O_BINARY);
        const bool read = ReadToEnd(
            [](char* into, std::size_t size) -> long long {
                const std::size_t got = std::fread(into, 1, size, stdin);
                return got == 0 && std::ferror(stdin) ? -1 : static_cast<long long>(got);
            },
            FRead);
        if (!read) {
            problem = "read error";
        }
        return read;
    }
    const THandle file{CreateFileW(Wide(path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                   OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr)};
    if (file.Handle == INVALID_HANDLE_VALUE) {
        const DWORD error = GetLastError();
        const int posixError = OpenErrno(path, error);
        problem = posixError != 0 ? std::strerror(posixError) : SystemMessage(error);
        return false;
    }
    LARGE_INTEGER size{};
    if (GetFileSizeEx(file.Handle, &size) && size.QuadPart > 0) {
        const THandle mapping{
            CreateFileMappingW(file.Handle, nullptr, PAGE_READONLY, 0, 0, nullptr)};
        if (mapping.Handle != nullptr) {
            const void* view = MapViewOfFile(mapping.Handle, FILE_MAP_READ, 0, 0, 0);
            if (view != nullptr) {
                FMapped = static_cast<const char*>(view);
                FSize = static_cast<std::size_t>(size.QuadPart);
                return true;
            }
        }
    }
    const bool read = ReadToEnd(
        [&file](char* into, std::size_t size) -> long long {
            DWORD got = 0;
            const DWORD want = size > 0x40000000 ? 0x40000000 : static_cast<DWORD>(size);
            return ReadFile(file.Handle, into, want, &got, nullptr) ? static_cast<long long>(got)
                                                                    : -1;
        },
        FRead);
    if (!read) {
        problem = SystemMessage(GetLastError());
    }
    return read;
}

void TMappedFile::Unmap() {
    if (FMapped != nullptr) {
        UnmapViewOfFile(FMapped);
        FMapped = nullptr;
    }
    FRead.clear();
}

#else

bool TMappedFile::Open(const std::string& path, std::string& problem) {
    Unmap();
    const bool standardInput = path == "-";
    const int fd = standardInput ? STDIN_FILENO : ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        problem = std::strerror(errno);
        return false;
    }
    struct stat info {};
    if (::fstat(fd, &info) == 0 && S_ISREG(info.st_mode) && info.st_size > 0) {
        void* map =
            ::mmap(nullptr, static_cast<std::size_t>(info.st_size), PROT_READ, MAP_PRIVATE, fd, 0);
        if (map != MAP_FAILED) {
            // Read from start to end: the kernel reads ahead further.
            ::madvise(map, static_cast<std::size_t>(info.st_size), MADV_SEQUENTIAL);
            FMapped = static_cast<const char*>(map);
            FSize = static_cast<std::size_t>(info.st_size);
            if (!standardInput) {
                ::close(fd);
            }
            return true;
        }
    }
    const bool read = ReadToEnd(
        [fd](char* into, std::size_t size) -> long long {
            for (;;) {
                const ssize_t got = ::read(fd, into, size);
                if (got >= 0 || errno != EINTR) {
                    return got;
                }
            }
        },
        FRead);
    if (!read) {
        problem = std::strerror(errno);
    }
    if (!standardInput) {
        ::close(fd);
    }
    return read;
}

void TMappedFile::Unmap() {
    if (FMapped != nullptr) {
        ::munmap(const_cast<char*>(FMapped), FSize);
        FMapped = nullptr;
    }
    FRead.clear();
}

#endif

} // namespace velquist::platform
