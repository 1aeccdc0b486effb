#include "ProcessRunner.h"

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <poll.h>
#include <stdexcept>
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

} // namespace

TProcessResult RunProcess(const std::vector<std::string>& argv, const std::string& input) {
    int inPipe[2], outPipe[2], errPipe[2];
    if (::pipe(inPipe) != 0 || ::pipe(outPipe) != 0 || ::pipe(errPipe) != 0) {
        throw std::runtime_error("pipe failed");
    }
    std::signal(SIGPIPE, SIG_IGN);

    const pid_t pid = ::fork();
    if (pid < 0) {
        throw std::runtime_error("fork failed");
    }
    if (pid == 0) {
        ::dup2(inPipe[0], 0);
        ::dup2(outPipe[1], 1);
        ::dup2(errPipe[1], 2);
        for (int fd : {inPipe[0], inPipe[1], outPipe[0], outPipe[1], errPipe[0], errPipe[1]}) {
            ::close(fd);
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
    ::close(outPipe[1]);
    ::close(errPipe[1]);
    int toChild = inPipe[1];
    int fromOut = outPipe[0];
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
