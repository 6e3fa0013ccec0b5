#include "jre/Discovery.h"

#include "ui/JreNotFoundDialog.h"

#include <windows.h>

bool locateJvm(JavaLauncher& launcher) noexcept
{
    return locateJvm(launcher, [](const std::string& message, int jvmType) {
        JreNotFoundDialog dialog(message, jvmType);
        JreChoice choice;
        choice.confirmed = dialog.showModal() == IDOK;
        if (choice.confirmed) {
            choice.jreFolder = dialog.jreFolder;
            choice.jvmLibraryPath = dialog.jvmLibraryPath;
        }
        return choice;
    });
}
