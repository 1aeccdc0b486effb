// Writes a large trace for the trace benchmarks: terminals and their host at
// work, in the xxd layout (xxd's own output, with a header line holding the time
// before each message). Each terminal sends consumer requests; the host answers
// most with a function command, which the terminal reports on with a solicited
// status; now and then a request goes unanswered or a command without a status.
// The same seed writes the same trace.
//
//   velquist_trace_gen [--megabytes N] [--terminals N] [--seed N] OUTPUT

#include "TraceRender.h"
#include "Traffic.h"

#include <cstdio>
#include <cstdlib>
#include <deque>
#include <string>
#include <string_view>
#include <vector>

namespace {

using velquist::test::TChoices;

// One message as xxd writes it (16 bytes a line, groups of 2).
void AppendXxd(std::string& out, std::string_view message) {
    static constexpr char kDigits[] = "0123456789abcdef";
    char line[80];
    for (std::size_t at = 0; at < message.size(); at += 16) {
        const std::string_view bytes = message.substr(at, 16);
        int length = std::snprintf(line, sizeof line, "%08zx:", at);
        for (std::size_t i = 0; i < 16; ++i) {
            if (i % 2 == 0) {
                line[length++] = ' ';
            }
            if (i < bytes.size()) {
                const auto b = static_cast<unsigned char>(bytes[i]);
                line[length++] = kDigits[b >> 4];
                line[length++] = kDigits[b & 0x0F];
            } else {
                line[length++] = ' ';
                line[length++] = ' ';
            }
        }
        line[length++] = ' ';
        line[length++] = ' ';
        for (const char c : bytes) {
            line[length++] = c >= 0x20 && c < 0x7F ? c : '.';
        }
        line[length++] = '\n';
        out.append(line, static_cast<std::size_t>(length));
    }
}

std::string Digits(TChoices& random, int count) {
    std::string digits;
    for (int i = 0; i < count; ++i) {
        digits.push_back(static_cast<char>('0' + random.Below(10)));
    }
    return digits;
}

std::string Luno(int terminal) {
    char text[8];
    std::snprintf(text, sizeof text, "%03d", terminal % 1000);
    return text;
}

struct TPending {
    int Terminal;
    char Mcn;
    bool Command; // the command is sent; the status is next
};

} // namespace

int main(int argc, char** argv) {
    std::size_t megabytes = 100;
    int terminals = 200;
    std::uint64_t seed = 1;
    const char* output = nullptr;
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        if (arg == "--megabytes" && i + 1 < argc) {
            megabytes = std::strtoull(argv[++i], nullptr, 10);
        } else if (arg == "--terminals" && i + 1 < argc) {
            terminals = std::atoi(argv[++i]);
        } else if (arg == "--seed" && i + 1 < argc) {
            seed = std::strtoull(argv[++i], nullptr, 10);
        } else {
            output = argv[i];
        }
    }
    if (output == nullptr || terminals <= 0) {
        std::fputs("usage: velquist_trace_gen [--megabytes N] [--terminals N] [--seed N] OUTPUT\n",
                   stderr);
        return 2;
    }
    std::FILE* file = std::fopen(output, "wb");
    if (file == nullptr) {
        std::perror(output);
        return 2;
    }

    TChoices random(seed);
    const std::size_t size = megabytes * 1'000'000;
    std::size_t written = 0;
    std::int64_t clock = (8 * 3600 + random.Below(3600)) * std::int64_t{1'000'000};
    std::deque<TPending> pending; // exchanges under way, oldest first
    std::vector<char> mcns(static_cast<std::size_t>(terminals), '0');
    std::string out;
    while (written < size) {
        std::string message;
        std::string_view direction = "RECV";
        int terminal = 0;
        // Answer an exchange under way, or a terminal starts a new one.
        if (!pending.empty() && (pending.size() > 20 || random.Chance(2))) {
            const std::size_t which = static_cast<std::size_t>(
                random.Below(static_cast<int>(std::min<std::size_t>(pending.size(), 4))));
            TPending exchange = pending[which];
            pending.erase(pending.begin() + static_cast<std::ptrdiff_t>(which));
            terminal = exchange.Terminal;
            if (!exchange.Command) {
                static constexpr char kFunctions[] = "18ABE";
                message = velquist::capture::FunctionCommand(Luno(terminal), exchange.Mcn,
                                                             kFunctions[random.Below(5)]);
                direction = "SEND";
                if (!random.Chance(50)) {
                    pending.push_back({terminal, exchange.Mcn, true});
                }
            } else {
                message = velquist::capture::SolicitedStatus(Luno(terminal),
                                                             random.Chance(20) ? 'B' : '9');
            }
        } else {
            terminal = 1 + random.Below(terminals);
            char& mcn = mcns[static_cast<std::size_t>(terminal - 1)];
            mcn = mcn == '9' ? '1' : static_cast<char>(mcn + 1);
            std::string track2 = Digits(random, 16); // statements: one order of draws
            track2 += '=';
            track2 += Digits(random, 20);
            message = velquist::capture::ConsumerRequest(Luno(terminal), mcn, track2);
            if (!random.Chance(50)) {
                pending.push_back({terminal, mcn, false});
            }
        }
        clock += 1'000 * (1 + random.Below(40)); // microseconds
        const std::int64_t seconds = clock / 1'000'000;
        char header[96];
        std::snprintf(
            header, sizeof header, "2024-05-01 %02lld:%02lld:%02lld.%06lld %s LUNO %s\n",
            static_cast<long long>(seconds / 3600 % 24), static_cast<long long>(seconds / 60 % 60),
            static_cast<long long>(seconds % 60), static_cast<long long>(clock % 1'000'000),
            direction.data(), Luno(terminal).c_str());
        out.append(header);
        AppendXxd(out, message);
        if (out.size() >= (std::size_t{1} << 20)) {
            written += std::fwrite(out.data(), 1, out.size(), file);
            out.clear();
        }
    }
    written += std::fwrite(out.data(), 1, out.size(), file);
    return std::fclose(file) == 0 ? 0 : 1;
}
