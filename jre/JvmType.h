#pragma once
// "JVM Type" of the configuration: which VM of a runtime the launcher wants.

#include <cstdint>

enum JvmType : std::int32_t {
    JvmTypeDefault = 0,     // the client VM first
    JvmTypeServer = 1,      // "server": the server VM only
    JvmTypeFavourServer = 2 // "favor_server": the server VM where there is one
};
