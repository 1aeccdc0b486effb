#include "Io.h"

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <utility>

#ifdef _WIN32
#include <io.h>
#include <memory>
#include <windows.h>
// After windows.h, which it needs.
#include <shellapi.h>
#else
#include <csignal>
#include <unistd.h>
#endif

namespace velquist::platform {

namespace {

constexpr int kStandardInput = 0;
constexpr int kStandardOutput = 1;

#ifdef _WIN32

// The C library's functions on descriptors take a count of type unsigned int.
constexpr std::size_t kLargestTransfer = std::size_t{1} << 30;

std::string Utf8(const wchar_t* wide) {
    const int size = ::WideCharToMultiByte(CP_UTF8, 0, wide, -1, nullptr, 0, nullptr, nullptr);
    if (size <= 1) {
        return {};
    }
    std::string utf8(static_cast<std::size_t>(size), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, wide, -1, utf8.data(), size, nullptr, nullptr);
    utf8.pop_back(); // the terminating NUL
    return utf8;
}

} // namespace

std::wstring Wide(const std::string& utf8) {
    const int size = ::MultiByteToWideChar(CP_UTF8, 0, utf8.c_str(), -1, nullptr, 0);
    if (size <= 1) {
        return {};
    }
    std::wstring wide(static_cast<std::size_t>(size), L'\0');
    ::MultiByteToWideChar(CP_UTF8, 0, utf8.c_str(), -1, wide.data(), size);
    wide.pop_back();
    return wide;
}

namespace {

bool IsFolder(const std::string& utf8Path) {
    const DWORD attributes = ::GetFileAttributesW(Wide(utf8Path).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

int OpenForReading(const std::string& utf8Path) {
    const int fd = ::_wopen(Wide(utf8Path).c_str(), _O_RDONLY | _O_BINARY | _O_NOINHERIT);
    if (fd < 0 && errno == EACCES && IsFolder(utf8Path)) {
        errno = EISDIR; // as POSIX systems say of a folder read as a file
    }
    return fd;
}

std::ptrdiff_t ReadSome(int fd, char* into, std::size_t size) {
    return ::_read(fd, into, static_cast<unsigned>(std::min(size, kLargestTransfer)));
}

std::ptrdiff_t WriteSome(int fd, const char* data, std::size_t size) {
    return ::_write(fd, data, static_cast<unsigned>(std::min(size, kLargestTransfer)));
}

std::optional<std::size_t> BytesLeftInFile(int fd) {
    struct _stat64 info {};
    if (::_fstat64(fd, &info) != 0 || (info.st_mode & _S_IFMT) != _S_IFREG) {
        return std::nullopt;
    }
    const long long at = std::max<long long>(::_lseeki64(fd, 0, SEEK_CUR), 0);
    return info.st_size > at ? static_cast<std::size_t>(info.st_size - at) : 0;
}

void CloseFile(int fd) {
    ::_close(fd);
}

#else

int OpenForReading(const std::string& path) {
    return ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
}

std::ptrdiff_t ReadSome(int fd, char* into, std::size_t size) {
    return ::read(fd, into, size);
}

std::ptrdiff_t WriteSome(int fd, const char* data, std::size_t size) {
    return ::write(fd, data, size);
}

std::optional<std::size_t> BytesLeftInFile(int fd) {
    struct stat info {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        return std::nullopt;
    }
    const off_t at = std::max<off_t>(::lseek(fd, 0, SEEK_CUR), 0);
    return info.st_size > at ? static_cast<std::size_t>(info.st_size - at) : 0;
}

void CloseFile(int fd) {
    ::close(fd);
}

#endif

// Calls `transfer` again for as long as a signal interrupts it.
template <typename TTransfer>
std::ptrdiff_t Uninterrupted(TTransfer transfer) {
    for (;;) {
        const std::ptrdiff_t done = transfer();
        if (done >= 0 || errno != EINTR) {
            return done;
        }
    }
}

} // namespace

std::vector<std::string> Arguments(int argc, char** argv) {
#ifdef _WIN32
    // The C library has turned the UTF-16 command line into the ANSI code page,
    // which loses every character it lacks: the arguments are read anew.
    int count = 0;
    const std::unique_ptr<LPWSTR, decltype(&::LocalFree)> wide(
        ::CommandLineToArgvW(::GetCommandLineW(), &count), &::LocalFree);
    if (wide) {
        std::vector<std::string> arguments;
        for (int i = 1; i < count; ++i) {
            arguments.push_back(Utf8(wide.get()[i]));
        }
        return arguments;
    }
#endif
    return std::vector<std::string>(argv + std::min(argc, 1), argv + argc);
}

void UseByteStreams() noexcept {
#ifdef _WIN32
    for (const int fd : {0, 1, 2}) {
        ::_setmode(fd, _O_BINARY);
    }
#else
    std::signal(SIGPIPE, SIG_IGN);
#endif
}

TInputFile TInputFile::StandardInput() noexcept {
    return TInputFile(kStandardInput, false);
}

TInputFile::TInputFile(const std::string& utf8Path) noexcept
    : FFd(OpenForReading(utf8Path)), FOwned(true) {}

TInputFile::TInputFile(TInputFile&& other) noexcept
    : FFd(std::exchange(other.FFd, -1)), FOwned(other.FOwned) {}

TInputFile::~TInputFile() {
    if (FOwned && FFd >= 0) {
        CloseFile(FFd);
    }
}

std::optional<std::size_t> TInputFile::BytesLeft() const noexcept {
    return BytesLeftInFile(FFd);
}

std::ptrdiff_t TInputFile::Read(char* into, std::size_t size) noexcept {
    return Uninterrupted([&] { return ReadSome(FFd, into, size); });
}

#ifdef _WIN32
int OpenErrno(const std::string& utf8Path, unsigned long windowsError) {
    switch (windowsError) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_NAME:
    case ERROR_INVALID_DRIVE: return ENOENT;
    case ERROR_ACCESS_DENIED: return IsFolder(utf8Path) ? EISDIR : EACCES;
    case ERROR_SHARING_VIOLATION: return EACCES;
    default: return 0;
    }
}
#endif

std::ptrdiff_t WriteStandardOutput(std::string_view data) noexcept {
    return Uninterrupted([&] { return WriteSome(kStandardOutput, data.data(), data.size()); });
}

} // namespace velquist::platform
