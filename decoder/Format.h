#pragma once

// Filling the protocol's text templates.
//
// Templates use "%s" (a string or a single character, inserted unchanged), "%d"
// (a decimal integer) and "%3s" (a string right-aligned in a width of three).
// Values are inserted verbatim: a "%" inside a value is just a "%", so message
// fields are never interpreted as templates.
//
// Callers pass the values as a braced list, Format(t, {a, b, c}): the elements of
// a braced list are evaluated left to right, so values that fetch message fields
// are computed in placeholder order and the first missing field is the one named
// in the error.

#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>

namespace velquist {

class TFmtArg {
public:
    TFmtArg(std::string_view text) : FText(text) {}
    TFmtArg(const std::string& text) : FText(text) {}
    TFmtArg(const char* text) : FText(text) {}
    TFmtArg(std::int64_t number) : FNumber(number), FIsNumber(true) {}
    TFmtArg(int number) : TFmtArg(static_cast<std::int64_t>(number)) {}

    // Appends the value as "%d" or "%<width>s" wants it.
    void AppendTo(std::string& out, std::size_t width) const;
    std::size_t SizeHint() const { return FIsNumber ? 20 : FText.size(); }

private:
    std::string_view FText;
    std::int64_t FNumber = 0;
    bool FIsNumber = false;
};

// The template with its placeholders replaced, in order, by `args`. A
// placeholder without a value is left out; "%%" stands for a single "%".
std::string Format(std::string_view templ, std::initializer_list<TFmtArg> args);

// The same, appended to `out`.
void AppendFormat(std::string& out, std::string_view templ, std::initializer_list<TFmtArg> args);

} // namespace velquist
