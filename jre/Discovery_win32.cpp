#include "jre/Discovery.h"

#include "platform/WindowStation.h"
#include "ui/InteractiveStation.h"
#include "ui/JreNotFoundDialog.h"

#include <windows.h>

namespace {

JreChoice askWithDialog(const std::string& message, int jvmType)
{
    JreNotFoundDialog dialog(message, jvmType);
    JreChoice choice;
    // Whatever else the dialog answers, a failure to show it included, is a
    // cancellation.
    choice.confirmed = dialog.showModal(GetActiveWindow()) == IDOK;
    if (choice.confirmed) {
        choice.jreFolder = dialog.jreFolder();
        choice.jvmLibraryPath = dialog.jvmLibraryPath();
    }
    return choice;
}

// Asked only when no runtime fits, so that a launch that finds one never
// loads the window system.
JreChoice askIfSomeoneSees(const std::string& message, int jvmType)
{
    // In a station nobody sees, a modal dialog would wait forever.
    if (!ui::isInteractiveStation(platform::windowStationFlags())) {
        return reportJreNotFound(message, jvmType);
    }
    return askWithDialog(message, jvmType);
}

} // namespace

bool locateJvm(JavaLauncher& launcher) noexcept { return locateJvm(launcher, askIfSomeoneSees); }
