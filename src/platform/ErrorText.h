#pragma once

#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>

namespace tallix::platform {

// One detail put into an error text: words byte for byte as given, numbers in decimal.
class ErrorDetail {
public:
    ErrorDetail(std::string_view text) : m_text(text) {}
    ErrorDetail(const char* text) : m_text(text) {}
    ErrorDetail(const std::string& text) : m_text(text) {}
    ErrorDetail(std::int64_t number) : m_text(std::to_string(number)) {}

    const std::string& text() const { return m_text; }

private:
    std::string m_text;
};

// A unit's error texts are one table of these, one row per kind in the order of the kind's
// enumeration; "{}" marks where a detail goes.
template <typename Kind> struct ErrorTextRow {
    Kind kind;
    std::string_view text;
};

template <typename Kind, std::size_t N>
constexpr bool rowsInKindOrder(const ErrorTextRow<Kind> (&table)[N]) {
    for (std::size_t i = 0; i < N; ++i) {
        if (static_cast<std::size_t>(table[i].kind) != i)
            return false;
    }
    return true;
}

// The text with each "{}" replaced by the next detail. The details are not searched for marks,
// so that a name read from a file cannot turn into one.
std::string fillErrorText(std::string_view text, std::initializer_list<ErrorDetail> details);

} // namespace tallix::platform
