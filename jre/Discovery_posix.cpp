#include "jre/Discovery.h"

#include "launcher/Errors.h"

bool locateJvm(JavaLauncher& launcher) noexcept
{
    // Linux has no JRE Not Found dialog: the message it would show becomes
    // the report, and nothing is confirmed.
    return locateJvm(launcher, [](const std::string& message, int) {
        printError(message);
        return JreChoice{};
    });
}
