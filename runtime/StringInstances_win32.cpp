// libstdc++ declares its strings as instantiated inside the library, where
// they were compiled with exceptions and so bring the exception machinery
// along (see RuntimeSupport.cpp). Instantiated here, they are compiled
// like the rest of the launcher, and only the members it calls are kept.
// Only the executable links this file.

#include <string>

template class std::basic_string<char>;
