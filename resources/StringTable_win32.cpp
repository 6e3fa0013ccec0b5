#include "resources/StringTable.h"

#include "platform/CodePage_win32.h"

#include <windows.h>

namespace resources {

std::string loadString(unsigned id) noexcept
{
    // LoadStringA silently cuts a text to its buffer, and may cut a
    // double-byte character in half doing so. The table's own block says how
    // long each text is: convert exactly that. Blocks hold 16 texts, each a
    // count of UTF-16 units followed by the units.
    const HMODULE module = GetModuleHandleA(nullptr);
    const HRSRC found = FindResourceA(module, MAKEINTRESOURCEA(id / 16 + 1), MAKEINTRESOURCEA(6)); // RT_STRING
    const HGLOBAL loaded = found == nullptr ? nullptr : LoadResource(module, found);
    const auto* units = static_cast<const WCHAR*>(loaded == nullptr ? nullptr : LockResource(loaded));
    if (units == nullptr) {
        return {};
    }
    const DWORD blockUnits = SizeofResource(module, found) / sizeof(WCHAR);
    DWORD at = 0;
    for (unsigned index = id % 16; index > 0 && at < blockUnits; --index) {
        at += 1 + units[at];
    }
    if (at >= blockUnits || units[at] == 0 || units[at] > blockUnits - at - 1) {
        return {};
    }
    return platform::ansiFromWide(units + at + 1, units[at]);
}

} // namespace resources
