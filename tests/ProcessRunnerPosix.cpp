// RunProcess on POSIX systems: fork and exec, pipes read with poll.

#include "ProcessRunner.h"

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <poll.h>
#include <stdexcept>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace velquist::test {

namespace {

void CloseFd(int& fd) {
    if (fd >= 0) {
        ::close(fd);
        fd = -1;
    }
}

// The descriptor the program writes its standard output to, and the one this
// process reads it from (-1 when nothing is read).
struct TOutputEnds {
    int Write = -1;
    int Read = -1;
};

TOutputEnds OpenOutput(TStdout target) {
    int ends[2];
    switch (target) {
    case TStdout::Collected:
        if (::pipe(ends) != 0) {
            throw std::runtime_error("pipe failed");
        }
        return {ends[1], ends[0]};
    case TStdout::DevFull:
        ends[1] = ::open("/dev/full", O_WRONLY);
        if (ends[1] < 0) {
            throw std::runtime_error("cannot open /dev/full");
        }
        return {ends[1], -1};
    case TStdout::ClosedPipe:
        if (::pipe(ends) != 0) {
            throw std::runtime_error("pipe failed");
        }
        ::close(ends[0]); // before the fork: no process can ever read the pipe
        return {ends[1], -1};
    }
    throw std::logic_error("unknown output target");
}

} // namespace

int CurrentProcessId() {
    return static_cast<int>(::getpid());
}

TProcessResult RunProcess(const std::vector<std::string>& argv, const std::string& input,
                          const TProcessOptions& options) {
    int inPipe[2], errPipe[2];
    if (::pipe(inPipe) != 0 || ::pipe(errPipe) != 0) {
        throw std::runtime_error("pipe failed");
    }
    const TOutputEnds output = OpenOutput(options.Stdout);
    std::signal(SIGPIPE, SIG_IGN);

    const pid_t pid = ::fork();
    if (pid < 0) {
        throw std::runtime_error("fork failed");
    }
    if (pid == 0) {
        ::dup2(inPipe[0], 0);
        ::dup2(output.Write, 1);
        ::dup2(errPipe[1], 2);
        for (int fd : {inPipe[0], inPipe[1], output.Write, output.Read, errPipe[0], errPipe[1]}) {
            if (fd >= 0) {
                ::close(fd);
            }
        }
        std::signal(SIGPIPE, SIG_DFL);
        if (options.AddressSpaceLimit > 0) {
            const rlimit limit{options.AddressSpaceLimit, options.AddressSpaceLimit};
            ::setrlimit(RLIMIT_AS, &limit);
        }
        std::vector<char*> args;
        for (const auto& arg : argv) {
            args.push_back(const_cast<char*>(arg.c_str()));
        }
        args.push_back(nullptr);
        ::execv(args[0], args.data());
        std::_Exit(127);
    }

    ::close(inPipe[0]);
    ::close(output.Write);
    ::close(errPipe[1]);
    int toChild = inPipe[1];
    int fromOut = output.Read;
    int fromErr = errPipe[0];
    ::fcntl(toChild, F_SETFL, O_NONBLOCK);

    TProcessResult result;
    std::size_t written = 0;
    if (input.empty()) {
        CloseFd(toChild);
    }
    char buffer[1 << 16];
    while (fromOut >= 0 || fromErr >= 0) {
        pollfd fds[3];
        int count = 0;
        auto add = [&](int fd, short events) {
            if (fd >= 0) {
                fds[count++] = pollfd{fd, events, 0};
            }
        };
        add(fromOut, POLLIN);
        add(fromErr, POLLIN);
        add(toChild, POLLOUT);
        if (::poll(fds, static_cast<nfds_t>(count), -1) < 0) {
            if (errno == EINTR) {
                continue;
            }
            break;
        }
        for (int i = 0; i < count; ++i) {
            if (fds[i].revents == 0) {
                continue;
            }
            if (fds[i].fd == toChild) {
                const ssize_t n = ::write(toChild, input.data() + written, input.size() - written);
                if (n > 0) {
                    written += static_cast<std::size_t>(n);
                }
                if (n < 0 && errno != EAGAIN) {
                    CloseFd(toChild); // the child stopped reading
                } else if (written == input.size()) {
                    CloseFd(toChild);
                }
                continue;
            }
            int& fd = fds[i].fd == fromOut ? fromOut : fromErr;
            std::string& sink = fds[i].fd == fromOut ? result.Out : result.Err;
            const ssize_t n = ::read(fd, buffer, sizeof buffer);
            if (n > 0) {
                sink.append(buffer, static_cast<std::size_t>(n));
            } else {
                CloseFd(fd);
            }
        }
    }
    CloseFd(toChild);

    int status = 0;
    ::waitpid(pid, &status, 0);
    result.ExitCode = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    return result;
}

} // namespace velquist::test
