#include "resources/StringIds.h"

namespace resources {

const char* builtInString(unsigned id) noexcept
{
    switch (id) {
#define QUARNEL_STRING(number, name, text) \
    case number:                           \
        return text;
#include "resources/Strings.def"
#undef QUARNEL_STRING
    default:
        return "";
    }
}

} // namespace resources
