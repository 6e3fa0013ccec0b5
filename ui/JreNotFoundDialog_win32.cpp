#include "ui/JreNotFoundDialog.h"

JreNotFoundDialog::JreNotFoundDialog(const std::string& message, int jvmType)
    : message_(message), jvmType_(jvmType)
{
}

int JreNotFoundDialog::showModal() noexcept
{
    // Seam until the dialog itself is built: it answers as a cancelled
    // dialog would, so a launcher without a runtime ends with -1.
    static_cast<void>(jvmType_);
    return 0;
}
