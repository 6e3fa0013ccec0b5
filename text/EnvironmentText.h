#pragma once
// %NAME% references in configuration text, expanded by the launcher's own
// rules on every platform. Pure: the caller supplies the variables.
//
// A '%' starts a reference that runs to the next '%'. When the name between
// them is set, the pair and the name become the value; otherwise (an unset
// name, or "%%" naming nothing) both '%' and the name are copied as written
// and scanning goes on after the second '%'. A '%' without a partner is
// copied as it stands. The text is stepped through by whole characters of
// the ANSI code page (AnsiText.h), so a trail byte is never taken for '%'.
// Nothing else is changed: every byte outside a replaced reference arrives.

#include <string>
#include <string_view>

namespace text {

// True, with `value` set to the variable's value, when `name` is set (an
// empty value is set too); false, `value` untouched, when it is not.
using VariableLookup = bool (*)(void* context, std::string_view name, std::string& value);

std::string expandReferences(std::string_view text, VariableLookup lookup, void* context);

} // namespace text
