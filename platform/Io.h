#pragma once

// What a command-line program asks of the system, the same on Linux and Windows:
// its arguments as UTF-8, standard streams that carry bytes unchanged, a file
// read by its name whatever characters the name has.
//
// On Windows the arguments come from the UTF-16 command line, a file name is
// opened by its UTF-16 form, and the standard streams are in binary mode, so no
// LF written becomes CR LF and no read ends at a 0x1A byte.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace velquist::platform {

// The program's arguments after its name, as UTF-8 (on POSIX systems the bytes
// given, whatever their encoding).
std::vector<std::string> Arguments(int argc, char** argv);

// Makes the standard streams carry bytes as they are, and a write to a pipe
// that nobody reads any more fail with EPIPE instead of ending the program.
void UseByteStreams() noexcept;

// A file open for reading, or standard input. Errors are told by errno, as the
// C library tells them.
class TInputFile {
public:
    static TInputFile StandardInput() noexcept;
    // Opens the file named by `utf8Path`; IsOpen() is false (errno set) when it
    // cannot be opened.
    explicit TInputFile(const std::string& utf8Path) noexcept;
    TInputFile(const TInputFile&) = delete;
    TInputFile& operator=(const TInputFile&) = delete;
    TInputFile(TInputFile&& other) noexcept;
    TInputFile& operator=(TInputFile&&) = delete;
    ~TInputFile();

    bool IsOpen() const noexcept { return FFd >= 0; }
    // The bytes left to read in a regular file; nothing for a stream (a pipe, a
    // terminal), whose size is not known before its end.
    std::optional<std::size_t> BytesLeft() const noexcept;
    // Reads up to `size` bytes into `into`: how many were read, 0 at the end, -1
    // with errno set on an error. An interrupted read is tried again.
    std::ptrdiff_t Read(char* into, std::size_t size) noexcept;

private:
    TInputFile(int fd, bool owned) noexcept : FFd(fd), FOwned(owned) {}

    int FFd;
    bool FOwned;
};

#ifdef _WIN32
// A UTF-8 text (a file name, an argument) as Windows takes it; bytes that are no
// UTF-8 become U+FFFD.
std::wstring Wide(const std::string& utf8);

// The errno with which a POSIX system refuses to open `utf8Path` for reading,
// from Windows' error code (a missing file ENOENT, a folder EISDIR, no right to
// it EACCES), so that the messages are the same; 0 for any other error.
int OpenErrno(const std::string& utf8Path, unsigned long windowsError);
#endif

// Writes some of `data` to standard output, all of it where the system takes it
// in one piece: how many bytes, or -1 with errno set. An interrupted write is
// tried again.
std::ptrdiff_t WriteStandardOutput(std::string_view data) noexcept;

} // namespace velquist::platform
