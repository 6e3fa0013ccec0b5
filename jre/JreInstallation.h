#pragma once

#include <string>

#include "jre/JavaVersion.h"

// One installed runtime or development kit that passed the scan.
struct JreInstallation {
    // The subkey's name (or the release file's version) read with fill 0.
    JavaVersion version;
    // The runtime folder, ending in a separator ("jre\" included where the
    // runtime lies inside a development kit).
    std::string home;
    // The scan's resolution found the server VM.
    bool hasServerVm = false;
    // Comes from the key that "JVM Source" favours (or restricts to).
    bool favouredKind = false;

    // What the trace tells about it: where it was found (a registry key or a
    // folder) and whether that names development kits.
    std::string origin;
    bool developmentKit = false;
    // The JVM library the scan's resolution found; in the installation
    // chosen, the one to load.
    std::string library;
};
