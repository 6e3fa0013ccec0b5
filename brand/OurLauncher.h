#pragma once
// Whether an image is one of our launchers, told from its resources: the
// tool brands nothing else, since only for our executables does it know that
// the resources it replaces are the only ones that change.

#include "brand/ResourceTree.h"

namespace brand {

// True when the resources hold the JRE Not Found dialog (template 201 with
// that caption) and the string table's text for a missing main class.
bool isOurLauncher(const ResourceTree& tree);

} // namespace brand
