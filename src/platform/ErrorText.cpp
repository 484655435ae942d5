#include "platform/ErrorText.h"

namespace tallix::platform {

std::string fillErrorText(std::string_view text, std::initializer_list<ErrorDetail> details) {
    constexpr std::string_view mark = "{}";
    std::string filled;
    auto detail = details.begin();
    std::size_t start = 0;
    for (std::size_t found = text.find(mark);
         found != std::string_view::npos && detail != details.end();
         found = text.find(mark, start)) {
        filled.append(text.substr(start, found - start)).append(detail->text());
        ++detail;
        start = found + mark.size();
    }
    return filled.append(text.substr(start));
}

} // namespace tallix::platform
