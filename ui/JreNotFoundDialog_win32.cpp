#include "ui/JreNotFoundDialog.h"

#include "jre/JvmLibrary.h"
#include "resources/DialogIds.h"
#include "resources/StringIds.h"
#include "resources/StringTable.h"
#include "ui/CenterWindow.h"
#include "ui/ComScope.h"

#include <shlobj.h>

namespace {

// Only file-system folders, the resizable browser with an edit box, and no
// button that makes new folders.
constexpr UINT browseFlags = BIF_RETURNONLYFSDIRS | BIF_NEWDIALOGSTYLE | BIF_NONEWFOLDERBUTTON;

// The item list the folder browser returns, freed with the shell's allocator.
class ItemList {
public:
    explicit ItemList(PIDLIST_ABSOLUTE items) noexcept : items_(items) {}
    ~ItemList() { CoTaskMemFree(items_); }
    ItemList(const ItemList&) = delete;
    ItemList& operator=(const ItemList&) = delete;
    PIDLIST_ABSOLUTE get() const noexcept { return items_; }

private:
    PIDLIST_ABSOLUTE items_;
};

} // namespace

JreNotFoundDialog::JreNotFoundDialog(const std::string& messageText, int jvmType)
    : route_(*this), jvmType_(jvmType), messageText_(messageText)
{
}

INT_PTR JreNotFoundDialog::showModal(HWND owner) noexcept
{
    return DialogBoxParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_JRE_NOT_FOUND), owner,
                           ui::MessageRoute::dialogProcedure, route_.dialogParameter());
}

bool JreNotFoundDialog::handleMessage(UINT message, WPARAM wParam, LPARAM, LRESULT& result) noexcept
{
    const HWND window = route_.window();
    result = 0;
    if (message == WM_INITDIALOG) {
        initialize();
        // No default focus: the user starts from the dialog itself.
        return true;
    }
    if (message != WM_COMMAND) {
        return false;
    }
    // The notification code is not looked at: any command of a button counts.
    switch (LOWORD(wParam)) {
    case IDOK:
        EndDialog(window, IDOK);
        return true;
    case IDCANCEL: // also Escape and the title bar's close button
        EndDialog(window, IDCANCEL);
        return true;
    case IDC_BROWSE:
        browse();
        return true;
    default:
        return false;
    }
}

void JreNotFoundDialog::initialize() noexcept
{
    const HWND window = route_.window();
    // Without the link the dialog still does its work: the address stays
    // readable as plain text.
    static_cast<void>(link_.attach(GetDlgItem(window, IDC_DOWNLOAD_LINK)));
    SetDlgItemTextA(window, IDC_MESSAGE, messageText_.c_str());
    // A shared system icon: not ours to destroy.
    const HICON errorIcon = LoadIconA(nullptr, MAKEINTRESOURCEA(32513));
    SendDlgItemMessageA(window, IDC_ERROR_ICON, STM_SETICON, reinterpret_cast<WPARAM>(errorIcon), 0);
    EnableWindow(GetDlgItem(window, IDOK), FALSE);
    centerWindow(window);
}

void JreNotFoundDialog::browse() noexcept
{
    const HWND window = route_.window();
    const std::string title = resources::loadString(resources::IDS_BROWSE_FOR_JRE);
    BROWSEINFOA request{};
    request.hwndOwner = window;
    request.pidlRoot = nullptr;
    request.pszDisplayName = nullptr;
    request.lpszTitle = title.c_str();
    request.ulFlags = browseFlags;

    const ui::ComScope com; // for as long as the browser runs
    const ItemList chosen(SHBrowseForFolderA(&request));
    if (chosen.get() == nullptr) {
        return; // cancelled: nothing changes
    }
    char path[MAX_PATH] = "";
    // An item without a file-system path changes nothing either.
    if (!SHGetPathFromIDListA(chosen.get(), path)) {
        return;
    }
    SetDlgItemTextA(window, IDC_JRE_PATH, path);
    jreFolder_ = path[0] == '\0' ? std::string() : withTrailingSeparator(path);
    // An empty folder would resolve bare relative names against whatever the
    // current directory holds.
    bool hasServerVm = false;
    jvmLibraryPath_ = jreFolder_.empty() ? std::string() : resolveJvmLibrary(jreFolder_, jvmType_, hasServerVm);
    // Also disabled again when an earlier folder had a library and this one
    // has none: a confirmation must never hand over an empty library.
    EnableWindow(GetDlgItem(window, IDOK), jvmLibraryPath_.empty() ? FALSE : TRUE);
}
