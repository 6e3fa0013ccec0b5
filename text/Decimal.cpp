#include "text/Decimal.h"

namespace text {

void appendDecimal(std::string& text, std::uint64_t value)
{
    char digits[20];
    std::size_t count = 0;
    do {
        digits[count++] = static_cast<char>('0' + value % 10);
        value /= 10;
    } while (value != 0);
    while (count > 0) {
        text += digits[--count];
    }
}

} // namespace text
