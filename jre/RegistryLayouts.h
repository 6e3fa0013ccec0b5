#pragma once
// Where installers record Java runtimes and development kits in the registry
// (HKEY_LOCAL_MACHINE, the process's own view, read only): keys whose
// subkeys are named after versions, each leading to a value that names the
// installation's folder.

// What the registered folder is, relative to the runtime to load.
enum class RuntimeFolder {
    Home,      // the runtime itself
    Jre,       // a development kit of Java 8 or older: the runtime is its "jre\"
    HomeOrJre, // a kit of any Java version: itself, or its "jre\" when it holds no JVM library
};

struct RegistryLayout {
    const char* keyPath;      // ends in a backslash; the version subkeys lie directly below
    const char* belowVersion; // from a version subkey to the key holding the value ("" or "\...")
    const char* value;        // the value naming the folder
    bool developmentKit;      // the kind that "JVM Source" favours or restricts to
    RuntimeFolder runtime;
};

// The keys of Java 8 and older.
inline constexpr const char* developmentKitKey = "Software\\JavaSoft\\Java Development Kit\\";
inline constexpr const char* runtimeKey = "Software\\JavaSoft\\Java Runtime Environment\\";

// In scan order. Every development kit comes before every runtime, so that at
// equal rank a kit wins, as it always has. Within each kind: the key of Java 8
// and older first (as always), then JavaSoft's key of later versions, then the
// distributions' keys, Eclipse Adoptium before its predecessor AdoptOpenJDK.
// A folder that several keys of one kind name is listed through the first.
// Adoptium and Semeru ship Java 8 kits too, whose runtime is their "jre\".
inline constexpr RegistryLayout registryLayouts[] = {
    {developmentKitKey, "", "JavaHome", true, RuntimeFolder::Jre},
    {"Software\\JavaSoft\\JDK\\", "", "JavaHome", true, RuntimeFolder::Home},
    {"Software\\Eclipse Adoptium\\JDK\\", "\\hotspot\\MSI", "Path", true, RuntimeFolder::HomeOrJre},
    {"Software\\AdoptOpenJDK\\JDK\\", "\\hotspot\\MSI", "Path", true, RuntimeFolder::HomeOrJre},
    {"Software\\Semeru\\JDK\\", "\\openj9\\MSI", "Path", true, RuntimeFolder::HomeOrJre},
    {runtimeKey, "", "JavaHome", false, RuntimeFolder::Home},
    {"Software\\JavaSoft\\JRE\\", "", "JavaHome", false, RuntimeFolder::Home},
    {"Software\\Eclipse Adoptium\\JRE\\", "\\hotspot\\MSI", "Path", false, RuntimeFolder::Home},
    {"Software\\AdoptOpenJDK\\JRE\\", "\\hotspot\\MSI", "Path", false, RuntimeFolder::Home},
    {"Software\\Semeru\\JRE\\", "\\openj9\\MSI", "Path", false, RuntimeFolder::Home},
};
