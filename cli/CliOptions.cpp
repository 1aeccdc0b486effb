#include "CliOptions.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <iterator>

namespace velquist::cli {

const char* const kUsage =
    "Usage: velquist-decode [--mode hex|netadrd|string|raw] [--json] [--mask]\n"
    "                       [--text TEXT | FILE]\n"
    "       velquist-decode --trace [--layout NAME] [--decode | --stats | --redact]\n"
    "                       [--json] [--mask] [--luno L]... [--type T]...\n"
    "                       [--match TEXT] [--unanswered] [--slower SECONDS]\n"
    "                       [--text TEXT | FILE]\n"
    "\n"
    "Decodes one Diebold 911/912 terminal protocol message and writes its decoded\n"
    "text (CR LF line ends) to standard output.\n"
    "\n"
    "The message is TEXT, or else the contents of FILE, or of standard input when\n"
    "FILE is absent or \"-\". In the modes hex, netadrd and string one final line\n"
    "end of a file or of standard input is ignored, and every line break (LF, CR LF\n"
    "or a lone CR) counts as CR LF, as in the window; in raw mode the bytes are\n"
    "decoded exactly as given.\n"
    "\n"
    "  -m, --mode MODE   how the message is written:\n"
    "                      hex      the bytes as hex pairs (\"ASCII Hex Mode\", default)\n"
    "                      netadrd  a Base24 NETADRD trace block, hex in columns 15-73\n"
    "                      string   plain text, \"~\" standing for FS\n"
    "                      raw      the message's bytes, exactly as given\n"
    "  -t, --text TEXT   decode TEXT instead of reading a file\n"
    "      --json        write the decode as one line of JSON: the text, the field\n"
    "                    table and every line with the message bytes it shows\n"
    "                    (bytes as ISO 8859-1 characters); a message that cannot be\n"
    "                    decoded gives {\"ok\":false,\"error\":...}\n"
    "      --mask        mask card data: track 2 keeps the first six and last four\n"
    "                    digits of the account number and the expiry date and\n"
    "                    service code; track 3 and the PIN buffer are masked whole\n"
    "\n"
    "With --trace the input is a whole trace or log: every message in it is listed\n"
    "(number, time, time since the message before, direction, LUNO, type, summary,\n"
    "response time), paired (request, function command, solicited status) and timed.\n"
    "      --trace       read a trace instead of one message\n"
    "      --layout NAME how the trace is written: auto (default: dump, netadrd and\n"
    "                    lines, recognised block by block), dump (hexdump -C, xxd,\n"
    "                    od -A x -t x1z), netadrd, lines (hex at the end of each\n"
    "                    line), be2, le2, ascii4 (a binary TCP stream with length\n"
    "                    headers)\n"
    "      --decode      each message's decoded text below its line (in --json its\n"
    "                    single-message JSON as \"decode\")\n"
    "      --json        one JSON object per message (JSON Lines)\n"
    "      --stats       counts per type and terminal, errors, unanswered requests,\n"
    "                    commands without a status, response and status times\n"
    "      --redact      write the trace back with the card data --mask hides masked\n"
    "                    in its hex (as 2A) and its ASCII column (as *)\n"
    "      --luno L      only messages of LUNO L (repeatable)\n"
    "      --type T      only messages of type T, e.g. mtCustomerRequest or\n"
    "                    \"Consumer Request\" (repeatable)\n"
    "      --match TEXT  only messages whose decoded text holds TEXT (any case)\n"
    "      --unanswered  only consumer requests no function command answered\n"
    "      --slower S    only function commands answered more than S seconds after\n"
    "                    their request\n"
    "Filters combine with AND; pairing and times always come from the whole trace.\n"
    "Exit status with --trace: 0 messages found, 1 no message in the input, 2 usage\n"
    "error or unreadable input, 3 standard output could not be written.\n"
    "\n"
    "  -h, --help        show this help and exit\n"
    "      --version     show the version and exit\n"
    "\n"
    "Exit status: 0 decoded (or empty input), 1 the message could not be decoded\n"
    "(\"Error: ...\" on standard error), 2 usage error or unreadable input, 3 standard\n"
    "output could not be written (one line on standard error).\n";

std::optional<TInputMode> ModeFromName(std::string_view name) {
    if (name == "hex") {
        return TInputMode::AsciiHex;
    }
    if (name == "netadrd") {
        return TInputMode::Netadrd;
    }
    if (name == "string") {
        return TInputMode::String;
    }
    if (name == "raw") {
        return TInputMode::Raw;
    }
    return std::nullopt;
}

std::optional<std::chrono::nanoseconds> SecondsFromText(std::string_view text) {
    const std::size_t point = text.find('.');
    const std::string_view whole = text.substr(0, point);
    const std::string_view fraction =
        point == std::string_view::npos ? std::string_view() : text.substr(point + 1);
    const auto digits = [](std::string_view part) {
        return std::all_of(part.begin(), part.end(), [](char c) { return c >= '0' && c <= '9'; });
    };
    if ((whole.empty() && fraction.empty()) || whole.size() > 9 || !digits(whole) ||
        !digits(fraction) || (point != std::string_view::npos && fraction.empty())) {
        return std::nullopt;
    }
    std::int64_t nanoseconds = 0;
    for (const char c : whole) {
        nanoseconds = nanoseconds * 10 + (c - '0');
    }
    std::int64_t scale = 1'000'000'000;
    nanoseconds *= scale;
    for (const char c : fraction.substr(0, 9)) {
        scale /= 10;
        nanoseconds += (c - '0') * scale;
    }
    return std::chrono::nanoseconds(nanoseconds);
}

namespace {

// The options that take a value, and those that only --trace takes; any other
// option takes no value.
struct TOptionKind {
    std::string_view Name;
    bool TakesValue;
    bool TraceOnly;
};
constexpr TOptionKind kOptionKinds[] = {
    {"--mode", true, false},      {"-m", true, false},      {"--text", true, false},
    {"-t", true, false},          {"--layout", true, true}, {"--luno", true, true},
    {"--type", true, true},       {"--match", true, true},  {"--slower", true, true},
    {"--decode", false, true},    {"--stats", false, true}, {"--redact", false, true},
    {"--unanswered", false, true}};

TOptionKind KindOf(std::string_view name) {
    const auto found = std::find_if(std::begin(kOptionKinds), std::end(kOptionKinds),
                                    [name](const TOptionKind& kind) { return kind.Name == name; });
    return found == std::end(kOptionKinds) ? TOptionKind{name, false, false} : *found;
}

// Takes one option of a trace; false with `error` set for a bad value.
bool TakeTraceOption(std::string_view name, std::optional<std::string_view> value,
                     TTraceOptions& trace, std::string& error) {
    if (name == "--layout") {
        const auto layout = TraceLayoutFromName(*value);
        if (!layout) {
            error = "unknown layout '" + std::string(*value) +
                    "' (use auto, dump, netadrd, lines, be2, le2 or ascii4)";
            return false;
        }
        trace.Layout = *layout;
    } else if (name == "--decode") {
        trace.Decode = true;
    } else if (name == "--stats") {
        trace.Stats = true;
    } else if (name == "--redact") {
        trace.Redact = true;
    } else if (name == "--luno") {
        trace.Filter.Lunos.emplace_back(*value);
    } else if (name == "--type") {
        const auto type = MsgTypeFromName(*value);
        if (!type) {
            error = "unknown type '" + std::string(*value) +
                    "' (use e.g. mtCustomerRequest or \"Consumer Request\")";
            return false;
        }
        trace.Filter.Types.push_back(*type);
    } else if (name == "--match") {
        trace.Filter.Match = std::string(*value);
    } else if (name == "--unanswered") {
        trace.Filter.Unanswered = true;
    } else if (name == "--slower") {
        trace.Filter.SlowerThan = SecondsFromText(*value);
        if (!trace.Filter.SlowerThan) {
            error =
                "--slower needs a number of seconds, e.g. 0.5, not '" + std::string(*value) + "'";
            return false;
        }
    }
    return true;
}

// The combinations of trace options that make no sense.
std::string TraceConflict(const TCliOptions& options) {
    const TTraceOptions& trace = *options.Trace;
    const TTraceFilter& filter = trace.Filter;
    const bool filters = !filter.Lunos.empty() || !filter.Types.empty() || !filter.Match.empty() ||
                         filter.Unanswered || filter.SlowerThan;
    if (trace.Redact && (options.Json || trace.Stats || trace.Decode || filters)) {
        return "--redact writes the whole trace back: it takes no --json, --stats, --decode or "
               "filter";
    }
    if (trace.Stats && trace.Decode) {
        return "--stats counts messages: it takes no --decode";
    }
    return {};
}

// Splits "--name=value" into its parts; `value` stays empty without "=". Short
// options ("-m") take their value from the next argument only.
void SplitOption(std::string_view arg, std::string_view& name,
                 std::optional<std::string_view>& value) {
    const auto equals = arg.starts_with("--") ? arg.find('=') : std::string_view::npos;
    name = arg.substr(0, equals);
    if (equals != std::string_view::npos) {
        value = arg.substr(equals + 1);
    }
}

} // namespace

TParseResult ParseArguments(std::span<const std::string_view> args) {
    TParseResult result;
    auto& options = result.Options;
    bool optionsEnded = false;
    bool traceGiven = false;
    bool modeGiven = false;
    std::string givenTraceOption; // the first option that needs --trace
    TTraceOptions trace;

    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string_view arg = args[i];
        const bool isOption = !optionsEnded && arg.size() > 1 && arg.front() == '-';
        if (!isOption) {
            if (arg.empty()) {
                result.Error = "empty FILE name (use - for standard input)";
                return result;
            }
            if (options.File) {
                result.Error = "more than one FILE given: '" + std::string(arg) + "'";
                return result;
            }
            options.File = std::string(arg);
            continue;
        }
        if (arg == "--") {
            optionsEnded = true;
            continue;
        }

        std::string_view name;
        std::optional<std::string_view> value;
        SplitOption(arg, name, value);
        const TOptionKind kind = KindOf(name);
        const bool takesValue = kind.TakesValue;
        if (takesValue && !value) {
            if (i + 1 >= args.size()) {
                result.Error = "option '" + std::string(name) + "' needs a value";
                return result;
            }
            value = args[++i];
        } else if (!takesValue && value) {
            result.Error = "option '" + std::string(name) + "' takes no value";
            return result;
        }

        if (kind.TraceOnly) {
            if (givenTraceOption.empty()) {
                givenTraceOption = name;
            }
            if (!TakeTraceOption(name, value, trace, result.Error)) {
                return result;
            }
        } else if (name == "--trace") {
            traceGiven = true;
        } else if (name == "--mode" || name == "-m") {
            modeGiven = true;
            const auto mode = ModeFromName(*value);
            if (!mode) {
                result.Error =
                    "unknown mode '" + std::string(*value) + "' (use hex, netadrd, string or raw)";
                return result;
            }
            options.Mode = *mode;
        } else if (name == "--text" || name == "-t") {
            options.Text = std::string(*value);
        } else if (name == "--json") {
            options.Json = true;
        } else if (name == "--mask") {
            options.Mask = true;
        } else if (name == "--help" || name == "-h") {
            options.Help = true;
        } else if (name == "--version") {
            options.Version = true;
        } else {
            result.Error = "unknown option '" + std::string(arg) + "'";
            return result;
        }
    }

    if (options.Text && options.File) {
        result.Error = "give either --text or FILE, not both";
        return result;
    }
    if (!traceGiven) {
        if (!givenTraceOption.empty()) {
            result.Error = "option '" + givenTraceOption + "' needs --trace";
        }
        return result;
    }
    if (modeGiven) {
        result.Error = "--mode is for one message; give a trace's layout with --layout";
        return result;
    }
    trace.Filter.MaskCardData = options.Mask;
    options.Trace = std::move(trace);
    result.Error = TraceConflict(options);
    return result;
}

int OutputError() {
    const int error = errno;
    std::fprintf(stderr, "velquist-decode: cannot write to standard output: %s\n",
                 std::strerror(error));
    return kExitOutputError;
}

} // namespace velquist::cli
