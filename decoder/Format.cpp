#include "Format.h"

#include <charconv>

namespace velquist {

void TFmtArg::AppendTo(std::string& out, std::size_t width) const {
    if (FIsNumber) {
        char buffer[24];
        const auto result = std::to_chars(buffer, buffer + sizeof buffer, FNumber);
        const std::string_view digits(buffer, static_cast<std::size_t>(result.ptr - buffer));
        if (digits.size() < width) {
            out.append(width - digits.size(), ' ');
        }
        out.append(digits);
        return;
    }
    if (FText.size() < width) {
        out.append(width - FText.size(), ' ');
    }
    out.append(FText);
}

void AppendFormat(std::string& out, std::string_view templ, std::initializer_list<TFmtArg> args) {
    std::size_t hint = templ.size();
    for (const auto& arg : args) {
        hint += arg.SizeHint();
    }
    out.reserve(out.size() + hint);

    auto next = args.begin();
    std::size_t i = 0;
    while (i < templ.size()) {
        const std::size_t percent = templ.find('%', i);
        if (percent == std::string_view::npos) {
            out.append(templ.substr(i));
            break;
        }
        out.append(templ.substr(i, percent - i));
        std::size_t j = percent + 1;
        if (j < templ.size() && templ[j] == '%') {
            out.push_back('%');
            i = j + 1;
            continue;
        }
        std::size_t width = 0;
        while (j < templ.size() && templ[j] >= '0' && templ[j] <= '9') {
            width = width * 10 + static_cast<std::size_t>(templ[j] - '0');
            ++j;
        }
        if (j < templ.size() && (templ[j] == 's' || templ[j] == 'd')) {
            if (next != args.end()) {
                next->AppendTo(out, width);
                ++next;
            }
            i = j + 1;
        } else {
            // Not a placeholder: keep the "%" as it stands.
            out.push_back('%');
            i = percent + 1;
        }
    }
}

std::string Format(std::string_view templ, std::initializer_list<TFmtArg> args) {
    std::string out;
    AppendFormat(out, templ, args);
    return out;
}

} // namespace velquist
