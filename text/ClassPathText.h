#pragma once
// Wildcards in a class path, expanded the way `java -cp` expands them. Pure:
// the folder listing comes from the caller.
//
// An entry that is exactly "*", or ends in a separator and "*", stands for
// every file of that folder whose name ends in ".jar" or ".JAR" (not
// recursively), unless a file of that folder is really called "*"; an entry
// with a "*" anywhere else is kept as written. The
// names are sorted byte-wise, so that the order is one and the same on every
// start (`java` leaves it unspecified), and a folder without jars
// contributes nothing.

#include <string>
#include <string_view>
#include <vector>

namespace text {

// The names in `folder` (empty: the current folder; otherwise it ends in its
// separator), in any order; false when it cannot be listed, which counts as
// a folder without jars.
using FolderLister = bool (*)(const std::string& folder, std::vector<std::string>& names);

// `listSeparator` separates the entries (';' or ':'); `backslash` says
// whether '\' separates folder names too (Windows, where '/' does as well).
std::string expandClassPathWildcards(std::string_view classPath, char listSeparator, bool backslash,
                                     FolderLister list);

} // namespace text
