#include "launcher/Configuration.h"

#include "launcher/Errors.h"
#include "launcher/JavaLauncher.h"
#include "launcher/Trace.h"
#include "platform/Errors.h"
#include "platform/Files.h"
#include "platform/Process.h"
#include "platform/Profile.h"
#include "resources/StringIds.h"
#include "resources/StringTable.h"
#include "text/AnsiText.h"

bool getModulePath(std::string& path) noexcept
{
    if (!platform::moduleFileName(path)) {
        const int error = static_cast<int>(platform::lastError());
        printErrorCode(resources::loadString(resources::IDS_WINDOWS_EXCEPTION),
                       resources::loadString(resources::IDS_MODULE_PATH_FAILED), error);
        return false;
    }
    return true;
}

bool iniPathFor(std::string_view modulePath, std::string& iniPath) noexcept
{
    std::size_t dot = text::findLastChar(modulePath, '.');
#ifndef _WIN32
    // Linux executables carry no extension: "myapp" reads "myapp.ini". Only
    // the file name counts, so a dotted folder never decides the name.
    const std::size_t slash = text::findLastChar(modulePath, platform::pathSeparator);
    if (dot == std::string_view::npos || (slash != std::string_view::npos && dot < slash)) {
        iniPath.assign(modulePath);
        iniPath += ".ini";
        return true;
    }
#endif
    if (dot == std::string_view::npos) {
        return false;
    }
    iniPath.assign(modulePath.substr(0, dot + 1));
    iniPath += "ini";
    return true;
}

bool getIniPath(std::string& iniPath) noexcept
{
    std::string modulePath;
    return getModulePath(modulePath) && iniPathFor(modulePath, iniPath);
}

std::string readIniString(const std::string& iniPath, const char* sectionName, const char* key) noexcept
{
    // The profile call can only say "this may have been cut" by filling the
    // buffer to one less than its size; grow until it says otherwise.
    std::string buffer(256, '\0');
    for (;;) {
        const unsigned size = static_cast<unsigned>(buffer.size());
        const unsigned length = platform::readProfileString(iniPath, sectionName, key, buffer.data(), size);
        if (length != size - 1) {
            buffer.resize(length);
            return buffer;
        }
        buffer.assign(buffer.size() * 2, '\0');
    }
}

namespace {

void storeJvmSource(JavaLauncher& launcher, const std::string& value) noexcept
{
    launcher.jvmSourceJdk = value == "favor_JDK" || value == "only_JDK";
    launcher.jvmSourceJre = value == "favor_JRE" || value == "only_JRE";
    if (!value.empty()) {
        launcher.jvmSourceFavour = value == "favor_JRE" || value == "favor_JDK";
    }
}

bool isYes(const std::string& value) noexcept { return text::equalsIgnoringCase(value, "Yes"); }

} // namespace

bool readConfiguration(JavaLauncher& launcher) noexcept
{
    std::string ini;
    if (!getIniPath(ini)) {
        return false;
    }
    trace("configuration %s", ini.c_str());
    const auto read = [&ini](const char* sectionName, const char* key) {
        return readIniString(ini, sectionName, key);
    };

    const std::string minimum = read(section::runtime, "Minimum Version");
    launcher.minVersion = JavaVersion::lowerBound(minimum);
    const std::string maximum = read(section::runtime, "Maximum Version");
    launcher.maxVersion = JavaVersion::upperBound(maximum);

    if (read(section::application, "Application Type") == "service") {
        launcher.serviceMode = true;
    }
    launcher.preferredVersions = splitPreferredVersions(read(section::runtime, "Preferred versions"));
    launcher.jrePath = read(section::runtime, "JRE Path");

    const std::string jvmType = read(section::runtime, "JVM Type");
    launcher.jvmType = jvmType == "server" ? JvmTypeServer
                       : jvmType == "favor_server" ? JvmTypeFavourServer
                                                   : JvmTypeDefault;
    storeJvmSource(launcher, read(section::runtime, "JVM Source"));

    // A main module names its class after a '/', or leaves it to the
    // module's descriptor unless "Main Class" names one.
    launcher.mainModule = read(section::runtime, "Main Module");
    const std::size_t classInModule = launcher.mainModule.find('/');
    launcher.mainClass = classInModule != std::string::npos ? launcher.mainModule.substr(classInModule + 1)
                                                             : read(section::runtime, "Main Class");
    if (launcher.mainClass.empty() && launcher.mainModule.empty()) {
        printError(resources::loadString(resources::IDS_NO_MAIN_CLASS));
        return false;
    }
    text::replaceChar(launcher.mainClass, '.', '/');

    launcher.startupCache.requested = read(section::application, "Startup Cache") == "yes";
    launcher.failureCheck = isYes(read(section::application, "Failure Check"));
    launcher.overrideWorkingDir = isYes(read(section::application, "Override WorkingDir"));
    launcher.systemPath = read(section::runtime, "System Path");
    launcher.splashImage = read(section::application, "Splash Image");
    return true;
}
