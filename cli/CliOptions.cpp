#include "CliOptions.h"

namespace velquist::cli {

const char* const kUsage =
    "Usage: velquist-decode [--mode hex|netadrd|string|raw] [--json] [--mask]\n"
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

namespace {

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
        const bool takesValue =
            name == "--mode" || name == "-m" || name == "--text" || name == "-t";
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

        if (name == "--mode" || name == "-m") {
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
    }
    return result;
}

} // namespace velquist::cli
