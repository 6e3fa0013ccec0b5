#pragma once
// Numeric IDs of the string table (texts in Strings.def).

namespace resources {

enum StringId : unsigned {
#define QUARNEL_STRING(id, name, text) name = id,
#include "resources/Strings.def"
#undef QUARNEL_STRING
};

// The text compiled from the same list; the Linux build's string table, and
// the reference the Windows resource is tested against. Empty for unknown IDs.
const char* builtInString(unsigned id) noexcept;

} // namespace resources
