#include "jvm/OptionAssembly.h"

#include "jre/JvmLibrary.h"
#include "jvm/OptionText.h"
#include "launcher/Configuration.h"
#include "launcher/Errors.h"
#include "launcher/JavaLauncher.h"
#include "platform/Environment.h"
#include "platform/Files.h"
#include "platform/Memory.h"
#include "resources/StringIds.h"
#include "resources/StringTable.h"
#include "text/AnsiText.h"
#include "text/ClassPathText.h"
#include "text/EnvironmentText.h"

#include <algorithm>

namespace {

#ifdef _WIN32
// Windows looks for DLLs and programs along the same variable.
constexpr const char* librarySearchVariable = "Path";
constexpr const char* programSearchVariable = "Path";
#else
// Linux finds native libraries through LD_LIBRARY_PATH (Java's default
// library path starts from it too) and programs through PATH.
constexpr const char* librarySearchVariable = "LD_LIBRARY_PATH";
constexpr const char* programSearchVariable = "PATH";
#endif

// "%NAME%" when the variable is set, else empty: an unset reference would
// stay in the text as written and reach the JVM as a bogus folder.
std::string referenceIfSet(const char* name)
{
    if (platform::environmentVariable(name).empty()) {
        return {};
    }
    return std::string("%") + name + "%";
}

// The module path up to and including its last separator.
std::string folderOf(const std::string& path)
{
    const std::size_t separator = text::findLastChar(path, platform::pathSeparator);
    return separator == std::string::npos ? std::string() : path.substr(0, separator + 1);
}

bool listFolderForClassPath(const std::string& folder, std::vector<std::string>& names)
{
    return platform::listFolder(folder.empty() ? std::string(".") + platform::pathSeparator : folder, names);
}

bool endsWith(const std::string& text, char c)
{
    return !text.empty() && text::findLastChar(text, c) == text.size() - 1;
}

void addLibraryPathOption(JavaLauncher& launcher, const std::string& libraryPath, const std::string& modulePath)
{
    std::string searchPath = joinSearchPath({libraryPath, folderOf(modulePath), ".",
                                             referenceIfSet(librarySearchVariable),
                                             jreHomeOf(launcher.jvmPath) + platform::pathSeparator + "lib"},
                                            platform::pathListSeparator);
    expandEnvironment(searchPath);
    // First in the list: the class path and the parameters follow it.
    launcher.jvmOptions.insert(launcher.jvmOptions.begin(), "-Djava.library.path=" + searchPath);
}

void extendProgramSearchPath(const std::string& systemPath)
{
    const std::string current = referenceIfSet(programSearchVariable);
    std::string value = current.empty() ? systemPath : current + platform::pathListSeparator + systemPath;
    expandEnvironment(value);
    // Not reported: the JVM may well find everything without the extension.
    static_cast<void>(platform::setEnvironmentVariable(programSearchVariable, value));
}

} // namespace

void expandEnvironment(std::string& text) noexcept
{
    text = text::expandReferences(text, platform::lookUpEnvironmentVariable, nullptr);
}

std::string joinSearchPath(const std::vector<std::string>& pieces, char separator)
{
    std::string joined;
    for (const std::string& piece : pieces) {
        if (piece.empty()) {
            continue;
        }
        if (!joined.empty() && !endsWith(joined, separator) && piece[0] != separator) {
            joined += separator;
        }
        joined += piece;
    }
    return joined;
}

void preparePaths(JavaLauncher& launcher) noexcept
{
    std::string modulePath;
    std::string iniPath;
    std::string libraryPath;
    if (getModulePath(modulePath) && iniPathFor(modulePath, iniPath)) {
        libraryPath = readIniString(iniPath, section::runtime, "Library Path");
    }
    if (!libraryPath.empty()) {
        addLibraryPathOption(launcher, libraryPath, modulePath);
    }
    if (!launcher.systemPath.empty()) {
        extendProgramSearchPath(launcher.systemPath);
    }
}

bool buildJvmOptions(JavaLauncher& launcher) noexcept
{
    std::string iniPath;
    if (!getIniPath(iniPath)) {
        return false;
    }
    return buildJvmOptionsFrom(launcher, iniPath);
}

bool buildJvmOptionsFrom(JavaLauncher& launcher, const std::string& iniPath) noexcept
{
    std::string classPath = readIniString(iniPath, section::classPath, "Class Path");
    if (classPath.empty() && launcher.mainModule.empty()) {
        printError(resources::loadString(resources::IDS_NO_CLASS_PATH));
        return false;
    }
    const std::vector<std::string> tokens =
        splitParameters(readIniString(iniPath, section::runtime, "Virtual Machine Parameters"));
    // The system is asked for its memory only when a percentage form needs it.
    const bool percentage = std::any_of(tokens.begin(), tokens.end(), [](std::string token) {
        removeQuotes(token);
        return isPercentageForm(token);
    });
    const std::uint64_t physicalMemory = percentage ? platform::totalPhysicalMemory() : 0;
    std::vector<std::string> processed;
    for (const std::string& token : tokens) {
        processed.push_back(processParameter(token, physicalMemory, launcher.mainThreadStackSize));
    }
    std::string modulePath = readIniString(iniPath, section::runtime, "Module Path");
    std::vector<std::string> options = takeJavaForms(std::move(processed), modulePath, platform::pathListSeparator);

    // Expanded before anything else reads them, so a variable's value is
    // never taken for quotes, a size or a wildcard of the text.
    for (std::string& option : options) {
        expandEnvironment(option);
    }
    if (!classPath.empty()) {
        expandEnvironment(classPath);
#ifdef _WIN32
        constexpr bool backslash = true;
#else
        constexpr bool backslash = false;
#endif
        launcher.jvmOptions.push_back("-Djava.class.path=" + text::expandClassPathWildcards(
                                                                 classPath, platform::pathListSeparator, backslash,
                                                                 listFolderForClassPath));
    }
    for (std::string& option : options) {
        launcher.jvmOptions.push_back(std::move(option));
    }
    // What `java --module-path <path> --module <module>` hands the JVM.
    if (!modulePath.empty()) {
        expandEnvironment(modulePath);
        launcher.jvmOptions.push_back("--module-path=" + modulePath);
    }
    if (!launcher.mainModule.empty()) {
        launcher.jvmOptions.push_back("-Djdk.module.main=" +
                                      launcher.mainModule.substr(0, launcher.mainModule.find('/')));
    }
    // As `java` names the program to the JDK's tools (jps, jcmd): the main
    // module as written, or the main class with dots, then the arguments.
    std::string command = "-Dsun.java.command=";
    if (launcher.mainModule.empty()) {
        std::string dotted = launcher.mainClass;
        text::replaceChar(dotted, '/', '.');
        command += dotted;
    } else {
        command += launcher.mainModule;
    }
    for (const std::string& argument : launcher.arguments) {
        command += ' ';
        command += argument;
    }
    launcher.jvmOptions.push_back(std::move(command));
    for (std::string& option : launcher.trailingJvmOptions) {
        launcher.jvmOptions.push_back(std::move(option));
    }
    launcher.outputFile = readIniString(iniPath, section::application, "Output File");
    launcher.errorFile = readIniString(iniPath, section::application, "Error File");
    return true;
}
