#include "brand/Utf16.h"

#include "text/Utf8.h"

namespace brand {

bool utf8ToUtf16(std::string_view utf8, std::u16string& text)
{
    std::u16string result;
    result.reserve(utf8.size());
    for (std::size_t i = 0; i < utf8.size();) {
        char32_t code = 0;
        if (!text::nextCodePoint(utf8, i, code)) {
            return false;
        }
        if (code >= 0x10000) {
            code -= 0x10000;
            result.push_back(static_cast<char16_t>(0xD800 + (code >> 10)));
            result.push_back(static_cast<char16_t>(0xDC00 + (code & 0x3FF)));
        } else {
            result.push_back(static_cast<char16_t>(code));
        }
    }
    text.swap(result);
    return true;
}

} // namespace brand
