#include "jre/Discovery.h"

bool locateJvm(JavaLauncher& launcher) noexcept
{
    // Linux has no JRE Not Found dialog.
    return locateJvm(launcher, reportJreNotFound);
}
