#pragma once
// The JRE Not Found dialog: tells the user what runtime is required, links
// to a download page, and lets them browse for a runtime folder, which it
// resolves to a JVM library. OK is possible only once a folder has yielded
// one. What happens with the answer is the caller's business. Lives on its
// caller's stack for one showing.

#include "ui/HyperlinkControl.h"
#include "ui/MessageRoute.h"

#include <string>

#include <windows.h>

class JreNotFoundDialog final : private ui::MessageHandler {
public:
    // `messageText` names the required versions; `jvmType` is the configured
    // JVM type, with which a browsed folder is resolved.
    JreNotFoundDialog(const std::string& messageText, int jvmType);
    ~JreNotFoundDialog() = default;
    JreNotFoundDialog(const JreNotFoundDialog&) = delete;
    JreNotFoundDialog& operator=(const JreNotFoundDialog&) = delete;

    // Modal, owned by `owner` (may be none) and centred on it. IDOK when the
    // user confirmed a folder, IDCANCEL for any other dismissal, and the
    // platform's failure value (0 or -1) when the dialog could not be shown.
    INT_PTR showModal(HWND owner) noexcept;

    // The folder most recently browsed to, ending in a backslash, and its JVM
    // library (empty when the folder holds none).
    std::string jreFolder() const { return jreFolder_; }
    std::string jvmLibraryPath() const { return jvmLibraryPath_; }

private:
    bool handleMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) noexcept override;
    void initialize() noexcept;
    void browse() noexcept;

    ui::MessageRoute route_;
    int jvmType_;
    std::string jreFolder_;
    std::string jvmLibraryPath_;
    std::string messageText_;
    HyperlinkControl link_;
};
