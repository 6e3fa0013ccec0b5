#include "text/EnvironmentText.h"

#include "text/AnsiText.h"

namespace text {

std::string expandReferences(std::string_view text, VariableLookup lookup, void* context)
{
    constexpr std::size_t npos = std::string_view::npos;
    std::string result;
    result.reserve(text.size());
    std::string value;
    std::size_t at = 0;
    while (at < text.size()) {
        const std::size_t open = findChar(text, '%', at);
        if (open == npos) {
            result.append(text.substr(at));
            break;
        }
        result.append(text.substr(at, open - at));
        const std::size_t close = findChar(text, '%', open + 1);
        if (close == npos) {
            result.append(text.substr(open));
            break;
        }
        const std::string_view name = text.substr(open + 1, close - open - 1);
        value.clear();
        if (!name.empty() && lookup(context, name, value)) {
            result.append(value);
        } else {
            result.append(text.substr(open, close + 1 - open));
        }
        at = close + 1;
    }
    return result;
}

} // namespace text
