// The JRE Not Found dialog of the real launcher, driven as a person would:
// the launcher starts where no runtime can be found, the test finds its
// dialog, reads what it shows, browses, types and clicks, and looks at the
// pixels on the screen. Each state is saved as a screenshot in the build
// folder's screenshots\.

#include "Desktop.h"
#include "Product.h"

#include "resources/DialogIds.h"

#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>
#include <shlobj.h>

#include <memory>
#include <string>
#include <vector>

namespace {

const std::string address = JRE_DOWNLOAD_ADDRESS;
const std::string latestMessage = "The Java Runtime Environment (JRE) was not found. Please  download and install a JRE "
                                  "(latest version) from:";
const std::string mainClassIni =
    "[Java Runtime Environment]\nMain Class=App\nJVM Source=nothing\n[Class Path]\nClass Path=a.jar\n";
const char* runtimeScript = "class=App\nmain=out started from the chosen runtime\n";

// A registry value of the test prefix set for one test and put back (or
// removed) afterwards.
class RegistryValue {
public:
    RegistryValue(HKEY root, const char* key, const char* name) : root_(root), key_(key), name_(name)
    {
        HKEY opened = nullptr;
        if (RegOpenKeyExA(root, key, 0, KEY_READ, &opened) == ERROR_SUCCESS) {
            char data[512];
            DWORD size = sizeof data;
            if (RegQueryValueExA(opened, name, nullptr, &type_, reinterpret_cast<BYTE*>(data), &size) ==
                ERROR_SUCCESS) {
                saved_ = true;
                old_.assign(data, size);
            }
            RegCloseKey(opened);
        }
    }
    ~RegistryValue()
    {
        HKEY opened = nullptr;
        if (RegCreateKeyExA(root_, key_, 0, nullptr, 0, KEY_WRITE, nullptr, &opened, nullptr) !=
            ERROR_SUCCESS) {
            return;
        }
        if (saved_) {
            RegSetValueExA(opened, name_, 0, type_, reinterpret_cast<const BYTE*>(old_.data()),
                           static_cast<DWORD>(old_.size()));
        } else {
            RegDeleteValueA(opened, name_);
        }
        RegCloseKey(opened);
    }
    RegistryValue(const RegistryValue&) = delete;
    RegistryValue& operator=(const RegistryValue&) = delete;

    void set(DWORD type, const std::string& data) const
    {
        HKEY opened = nullptr;
        ASSERT_EQ(RegCreateKeyExA(root_, key_, 0, nullptr, 0, KEY_WRITE, nullptr, &opened, nullptr), ERROR_SUCCESS);
        RegSetValueExA(opened, name_, 0, type, reinterpret_cast<const BYTE*>(data.data()),
                       static_cast<DWORD>(data.size()));
        RegCloseKey(opened);
    }
    void setText(const std::string& text) const { set(REG_SZ, std::string(text.c_str(), text.size() + 1)); }

private:
    HKEY root_;
    const char* key_;
    const char* name_;
    bool saved_ = false;
    DWORD type_ = 0;
    std::string old_;
};

const char* const browserSettings = "Software\\Microsoft\\Internet Explorer\\Settings";

// Makes the shell open the link's scheme with the recorder program, which
// writes each address it is given to `logPath`; the prefix's own handler is
// put back afterwards. Wine's shell reads handlers from the machine's
// classes only (HKEY_CURRENT_USER\Software\Classes is not merged in).
class RecordedOpens {
public:
    explicit RecordedOpens(std::string logPath) : logPath_(std::move(logPath))
    {
        DeleteFileA(logPath_.c_str());
        command_.setText("\"" + buildFolder() + "urlrecorder.exe\" \"" + logPath_ + "\" \"%1\"");
    }

    std::string opened() const
    {
        HANDLE file = CreateFileA(logPath_.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                  OPEN_EXISTING, 0, nullptr);
        if (file == INVALID_HANDLE_VALUE) {
            return {};
        }
        char data[4096];
        DWORD got = 0;
        ReadFile(file, data, sizeof data, &got, nullptr);
        CloseHandle(file);
        return std::string(data, got);
    }
    // Waits for the recorder, which the shell starts asynchronously.
    bool waitForOpens(std::size_t count) const
    {
        return waitFor([&] {
            std::size_t lines = 0;
            for (const char c : opened()) {
                lines += c == '\n' ? 1 : 0;
            }
            return lines >= count;
        });
    }

private:
    std::string logPath_;
    RegistryValue command_{HKEY_LOCAL_MACHINE, "Software\\Classes\\https\\shell\\open\\command", nullptr};
};

class JreNotFoundDialogTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!haveDisplay()) {
            GTEST_SKIP() << "no DISPLAY: the dialog needs a screen to be shown on";
        }
    }

    // Starts the product, which finds no runtime, and waits for its dialog.
    void show(const std::string& ini = mainClassIni)
    {
        app_->writeIni(ini);
        launcher_ = std::make_unique<RunningLaunch>(app_->spawn());
        ASSERT_TRUE(waitFor([&] { return (dialog_ = findWindow(launcher_->processId(), "JRE Not Found")) != nullptr; }))
            << "no JRE Not Found dialog";
        ASSERT_TRUE(waitFor([&] { return linkDrawn(linkPixels()); })) << "the dialog was never painted";
    }
    // Whether the link's text shows in `image` (in any colour).
    static bool linkDrawn(const Image& image)
    {
        const std::uint32_t background = image.at(image.width - 1, image.height - 1);
        return image.count(background, 0, 0, image.width, image.height) <= image.width * image.height - 40;
    }
    void makeProduct(const std::string& name) { app_ = std::make_unique<Product>(name); }
    HWND item(int id) const { return GetDlgItem(dialog_, id); }
    bool okEnabled() const { return IsWindowEnabled(item(IDOK)) != FALSE; }
    std::string jrePathText() const { return windowText(item(IDC_JRE_PATH)); }

    // Browse..., choose `folder` in the folder browser, and press its OK.
    void browseTo(const std::string& folder, const char* screenshot = nullptr)
    {
        PostMessageA(item(IDC_BROWSE), BM_CLICK, 0, 0);
        HWND browser = nullptr;
        ASSERT_TRUE(waitFor([&] { return (browser = findOwnedWindow(launcher_->processId(), "#32770", dialog_)); }))
            << "no folder browser";
        HWND tree = nullptr;
        ASSERT_TRUE(waitFor([&] { return (tree = findDescendant(browser, WC_TREEVIEWA)) != nullptr; }))
            << "no folder tree in the browser";
        // The path must be readable inside the launcher's process.
        const RemoteBlock path(launcher_->process(), folder.size() + 1);
        path.write(folder.c_str(), folder.size() + 1);
        // A folder made moments before may not be in the browser's tree at
        // the first request: ask until the tree shows it selected. A drive
        // shows as its label and "(C:)".
        const bool drive = folder.size() == 3 && folder.compare(1, 2, ":\\") == 0;
        const std::string name =
            drive ? "(" + folder.substr(0, 2) + ")" : folder.substr(folder.find_last_of('\\') + 1);
        const auto shown = [&] {
            const std::string text = selectedItemText(tree);
            return drive ? text.size() >= name.size() && text.compare(text.size() - name.size(), name.size(), name) == 0
                         : text == name;
        };
        bool selected = false;
        for (int attempt = 0; attempt < 5 && !selected; ++attempt) {
            SendMessageA(browser, BFFM_SETSELECTIONA, TRUE, reinterpret_cast<LPARAM>(path.address()));
            selected = waitFor(shown, 2000);
        }
        ASSERT_TRUE(selected) << "the browser never selected " << folder << " (" << selectedItemText(tree) << ")";
        if (screenshot != nullptr) {
            saveScreenshot(screenshot, captureScreen(screenRect(browser)));
        }
        PostMessageA(GetDlgItem(browser, IDOK), BM_CLICK, 0, 0);
        ASSERT_TRUE(waitFor([&] { return !IsWindow(browser) || !IsWindowVisible(browser); })) << "browser stays";
        ASSERT_TRUE(waitFor([&] { return jrePathText() == folder; }))
            << "the browser did not take the folder: " << jrePathText();
    }
    // The text of the tree view's selected item, read inside the launcher's
    // process.
    std::string selectedItemText(HWND tree) const
    {
        const HTREEITEM selectedItem =
            reinterpret_cast<HTREEITEM>(SendMessageA(tree, TVM_GETNEXTITEM, TVGN_CARET, 0));
        if (selectedItem == nullptr) {
            return {};
        }
        const std::size_t textAt = sizeof(TVITEMA);
        const RemoteBlock block(launcher_->process(), textAt + MAX_PATH);
        TVITEMA request{};
        request.mask = TVIF_TEXT;
        request.hItem = selectedItem;
        request.pszText = static_cast<char*>(block.address()) + textAt;
        request.cchTextMax = MAX_PATH;
        block.write(&request, sizeof request);
        if (!SendMessageA(tree, TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(block.address()))) {
            return {};
        }
        return std::string(block.read(MAX_PATH, textAt).c_str());
    }

    Image screenshot(const std::string& name) const
    {
        const Image image = captureScreen(screenRect(dialog_));
        saveScreenshot(name, image);
        return image;
    }
    // The link's pixels, as shown now.
    Image linkPixels() const { return captureScreen(screenRect(item(IDC_DOWNLOAD_LINK))); }

    LaunchResult finish() { return launcher_->finish(20000); }

    // The dialog's tooltip while it is shown, else null.
    HWND shownTooltip() const { return findOwnedWindow(launcher_->processId(), TOOLTIPS_CLASSA, dialog_); }

    // The hand the link shows over its text. Cursor handles are the
    // launcher's own, so it is read off the screen once the link has
    // handled the pointer's arrival: its tooltip appears then.
    HCURSOR handOverTheText(int x, int y) const
    {
        moveMouse(x, y);
        EXPECT_TRUE(waitFor([&] { return shownTooltip() != nullptr; }, 5000)) << "no tooltip over the text";
        return shownCursor();
    }

    std::unique_ptr<Product> app_;
    std::unique_ptr<RunningLaunch> launcher_;
    HWND dialog_ = nullptr;
};

TEST_F(JreNotFoundDialogTest, TellsWhatIsMissingAndWaitsForAFolder)
{
    makeProduct("DialogShown");
    ASSERT_NO_FATAL_FAILURE(show());
    EXPECT_EQ(windowText(item(IDC_MESSAGE)), latestMessage);
    EXPECT_EQ(windowText(item(IDC_DOWNLOAD_LINK)), address);
    EXPECT_EQ(windowText(item(IDC_BROWSE_HINT)), "If you have a JRE installed you can browse for it below:");
    EXPECT_EQ(jrePathText(), "");
    EXPECT_NE(SendMessageA(item(IDC_ERROR_ICON), STM_GETICON, 0, 0), 0) << "no error icon";
    EXPECT_FALSE(okEnabled());
    EXPECT_TRUE(IsWindowEnabled(item(IDCANCEL)));
    EXPECT_TRUE(IsWindowEnabled(item(IDC_BROWSE)));
    // Read-only: only Browse... fills it.
    EXPECT_NE(GetWindowLongA(item(IDC_JRE_PATH), GWL_STYLE) & ES_READONLY, 0);
    screenshot("01-shown");

    // The address fits its control on one line: measured in the shell
    // dialog font, drawn, underlined, and clear of the control's right edge.
    HDC dc = GetDC(nullptr);
    LOGFONTA description{};
    description.lfHeight = -MulDiv(8, GetDeviceCaps(dc, LOGPIXELSY), 72);
    description.lfUnderline = TRUE;
    lstrcpyA(description.lfFaceName, "MS Shell Dlg 2");
    HFONT same = CreateFontIndirectA(&description);
    HGDIOBJ previous = SelectObject(dc, same);
    SIZE extent{};
    GetTextExtentPoint32A(dc, address.c_str(), static_cast<int>(address.size()), &extent);
    SelectObject(dc, previous);
    ReleaseDC(nullptr, dc);
    DeleteObject(same);
    RECT client{};
    GetClientRect(item(IDC_DOWNLOAD_LINK), &client);
    EXPECT_LE(extent.cx, client.right) << "the address wraps";
    const Image pixels = linkPixels();
    EXPECT_GE(pixels.count(rgb(0, 0, 255), 0, 0, pixels.width, pixels.height), 40) << "no blue underline";
    EXPECT_EQ(pixels.count(rgb(0, 0, 255), pixels.width - 2, 0, pixels.width, pixels.height), 0)
        << "the address reaches the control's right edge: it may be cut";

    PostMessageA(item(IDCANCEL), BM_CLICK, 0, 0);
    const LaunchResult r = finish();
    EXPECT_EQ(r.exitCode, -1);
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(app_->read("app.ini"), mainClassIni);
}

TEST_F(JreNotFoundDialogTest, NamesTheRequiredVersions)
{
    struct Row {
        std::string settings;
        std::string message;
    };
    const std::string head = "The Java Runtime Environment (JRE) was not found. Please  download and install a JRE ";
    const std::string server = "The Java Runtime Environment (JRE) was not found. Please  download and install a JRE "
                               "with a server JVM ";
    const std::vector<Row> rows = {
        {"Minimum Version=1.6\n", head + "(minimum version 1.6) from:"},
        {"Maximum Version=1.8\n", head + "(maximum version 1.8) from:"},
        {"Minimum Version=1.6\nMaximum Version=1.8\n", head + "(version between 1.6 and 1.8) from:"},
        {"Minimum Version=1.6.0.20\nMaximum Version=1.6.0.20\n", head + "(version 1.6.0.20 is required) from:"},
        {"JVM Type=server\n", server + "(latest version) from:"},
    };
    makeProduct("DialogVersions");
    for (const Row& row : rows) {
        ASSERT_NO_FATAL_FAILURE(show("[Java Runtime Environment]\nMain Class=App\nJVM Source=nothing\n" + row.settings));
        EXPECT_EQ(windowText(item(IDC_MESSAGE)), row.message) << row.settings;
        if (row.settings == "JVM Type=server\n") {
            screenshot("02-server-message");
        }
        PostMessageA(item(IDCANCEL), BM_CLICK, 0, 0);
        EXPECT_EQ(finish().exitCode, -1);
    }
}

TEST_F(JreNotFoundDialogTest, ABrowsedRuntimeIsConfirmedRememberedAndStarted)
{
    makeProduct("DialogChosen");
    const std::string home = app_->installJvm("Java\\jre6\\", runtimeScript);
    const std::string folder = home.substr(0, home.size() - 1);
    ASSERT_NO_FATAL_FAILURE(show());
    ASSERT_NO_FATAL_FAILURE(browseTo(folder, "03-folder-browser"));
    EXPECT_EQ(jrePathText(), folder); // exactly as chosen, no backslash added
    EXPECT_TRUE(okEnabled());
    screenshot("04-runtime-chosen");

    PostMessageA(item(IDOK), BM_CLICK, 0, 0);
    const LaunchResult r = finish();
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(r.out, "started from the chosen runtime\r\n");
    EXPECT_NE(app_->jvmLog("Java\\jre6\\"), "") << "the chosen runtime was not used";
    char written[MAX_PATH] = "";
    GetPrivateProfileStringA("Java Runtime Environment", "JRE Path", "", written, sizeof written,
                             app_->iniPath().c_str());
    EXPECT_EQ(std::string(written), folder + "\\");

    // The next start finds it without asking.
    const LaunchResult again = app_->start();
    EXPECT_EQ(again.out, "started from the chosen runtime\r\n");
}

TEST_F(JreNotFoundDialogTest, OnlyARuntimeFolderItselfEnablesOk)
{
    makeProduct("DialogFolders");
    app_->installJvm("kit\\jre\\", runtimeScript);
    ASSERT_NO_FATAL_FAILURE(show());
    ASSERT_NO_FATAL_FAILURE(browseTo(app_->folder() + "kit"));
    EXPECT_EQ(jrePathText(), app_->folder() + "kit");
    EXPECT_FALSE(okEnabled()) << "a kit's root is not its runtime";
    screenshot("05-kit-root");

    ASSERT_NO_FATAL_FAILURE(browseTo(app_->folder() + "kit\\jre"));
    EXPECT_TRUE(okEnabled());

    // A folder without a library after one with it: OK goes off again.
    ASSERT_NO_FATAL_FAILURE(browseTo(app_->folder() + "kit"));
    EXPECT_FALSE(okEnabled());

    ASSERT_NO_FATAL_FAILURE(browseTo("C:\\"));
    EXPECT_EQ(jrePathText(), "C:\\"); // the root keeps its one backslash
    EXPECT_FALSE(okEnabled());
    screenshot("06-drive-root");

    PostMessageA(item(IDCANCEL), BM_CLICK, 0, 0);
    EXPECT_EQ(finish().exitCode, -1);
}

TEST_F(JreNotFoundDialogTest, ServerTypeWantsAServerVm)
{
    makeProduct("DialogServer");
    const std::string ini = "[Java Runtime Environment]\nMain Class=App\nJVM Source=nothing\nJVM Type=server\n";
    app_->installJvm("clientonly\\", runtimeScript); // bin\client\jvm.dll only
    ASSERT_NO_FATAL_FAILURE(show(ini));
    ASSERT_NO_FATAL_FAILURE(browseTo(app_->folder() + "clientonly"));
    EXPECT_EQ(jrePathText(), app_->folder() + "clientonly");
    EXPECT_FALSE(okEnabled());
    PostMessageA(item(IDCANCEL), BM_CLICK, 0, 0);
    EXPECT_EQ(finish().exitCode, -1);
    EXPECT_EQ(app_->read("app.ini"), ini);
}

TEST_F(JreNotFoundDialogTest, CancelEscapeAndCloseEndWithoutWriting)
{
    struct Row {
        const char* how;
        void (*dismiss)(HWND dialog);
    };
    const Row rows[] = {
        {"Cancel", [](HWND dialog) { PostMessageA(GetDlgItem(dialog, IDCANCEL), BM_CLICK, 0, 0); }},
        {"Escape",
         [](HWND dialog) {
             ASSERT_TRUE(activate(dialog));
             pressKey(VK_ESCAPE);
         }},
        {"title bar close", [](HWND dialog) { PostMessageA(dialog, WM_SYSCOMMAND, SC_CLOSE, 0); }},
    };
    makeProduct("DialogDismissed");
    app_->installJvm("rt\\", runtimeScript);
    for (const Row& row : rows) {
        ASSERT_NO_FATAL_FAILURE(show());
        // Even with a runtime chosen, only OK takes it.
        ASSERT_NO_FATAL_FAILURE(browseTo(app_->folder() + "rt"));
        ASSERT_TRUE(okEnabled()) << row.how;
        row.dismiss(dialog_);
        const LaunchResult r = finish();
        EXPECT_EQ(r.exitCode, -1) << row.how;
        EXPECT_EQ(r.out, "") << row.how;
        EXPECT_EQ(app_->read("app.ini"), mainClassIni) << row.how;
        EXPECT_EQ(app_->jvmLog("rt\\"), "") << row.how;
    }
}

TEST_F(JreNotFoundDialogTest, TabWalksTheButtonsAndTheEditButNeverTheLink)
{
    makeProduct("DialogTabs");
    app_->installJvm("rt\\", runtimeScript);
    ASSERT_NO_FATAL_FAILURE(show());
    ASSERT_NO_FATAL_FAILURE(browseTo(app_->folder() + "rt"));
    ASSERT_TRUE(okEnabled());
    ASSERT_TRUE(activate(dialog_));
    std::vector<int> order;
    HWND focused = focusOf(dialog_);
    for (int press = 0; press < 8; ++press) {
        pressKey(VK_TAB);
        // Each Tab moves the focus on: wait for it to have moved.
        ASSERT_TRUE(waitFor([&] { return focusOf(dialog_) != focused && focusOf(dialog_) != nullptr; }))
            << "Tab " << press + 1 << " moved nothing";
        focused = focusOf(dialog_);
        order.push_back(GetDlgCtrlID(focused));
    }
    // One round is OK, Cancel, the edit box, Browse..., wherever it starts.
    const std::vector<int> round = {IDOK, IDCANCEL, IDC_JRE_PATH, IDC_BROWSE};
    std::size_t start = 0;
    while (start < round.size() && round[start] != order[0]) {
        ++start;
    }
    ASSERT_LT(start, round.size()) << "first Tab went to control " << order[0];
    for (std::size_t i = 0; i < order.size(); ++i) {
        EXPECT_EQ(order[i], round[(start + i) % round.size()]) << "Tab " << i + 1;
    }
    PostMessageA(item(IDCANCEL), BM_CLICK, 0, 0);
    EXPECT_EQ(finish().exitCode, -1);
}

TEST_F(JreNotFoundDialogTest, TheLinkOpensOnClickEnterAndSpace)
{
    makeProduct("DialogLink");
    const RecordedOpens opens(app_->folder() + "opened.txt");
    ASSERT_NO_FATAL_FAILURE(show());
    const RECT link = screenRect(item(IDC_DOWNLOAD_LINK));
    const int y = (link.top + link.bottom) / 2;
    const Image before = linkPixels();
    ASSERT_GE(before.count(rgb(0, 0, 255), 0, 0, before.width, before.height), 40) << "default blue";
    EXPECT_EQ(before.count(rgb(128, 0, 128), 0, 0, before.width, before.height), 0);
    ASSERT_TRUE(activate(dialog_));
    const HCURSOR hand = handOverTheText(link.left + 20, y);
    // Every input before this point has been handled: the pointer, moved
    // beside the text, shows something else than the hand, and moved back
    // over it, the hand again.
    const auto handledSoFar = [&] {
        moveMouse(link.left + 20, y);
        EXPECT_TRUE(waitFor([&] { return shownCursor() == hand; })) << "the hand never came back";
    };

    // Pressed on the text, released beside it: nothing opens.
    ASSERT_TRUE(activate(dialog_));
    moveMouse(link.left + 10, y);
    mouseButton(true);
    ASSERT_TRUE(waitFor([&] { return GetDlgCtrlID(captureOf(dialog_)) == IDC_DOWNLOAD_LINK; })) << "not captured";
    EXPECT_EQ(GetDlgCtrlID(focusOf(dialog_)), IDC_DOWNLOAD_LINK);
    moveMouse(link.left + 10, link.bottom + 30);
    mouseButton(false);
    ASSERT_TRUE(waitFor([&] { return captureOf(dialog_) == nullptr; })) << "the release was never handled";
    EXPECT_EQ(opens.opened(), "");

    // Pressed beside the text, inside the control: no focus, nothing opens.
    PostMessageA(dialog_, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(item(IDCANCEL)), TRUE);
    ASSERT_TRUE(waitFor([&] { return GetDlgCtrlID(focusOf(dialog_)) == IDCANCEL; }));
    moveMouse(link.right - 2, y);
    ASSERT_TRUE(waitFor([&] { return shownCursor() != hand; })) << "the hand stays beside the text";
    mouseButton(true);
    mouseButton(false);
    handledSoFar();
    EXPECT_EQ(captureOf(dialog_), nullptr);
    EXPECT_EQ(GetDlgCtrlID(focusOf(dialog_)), IDCANCEL);
    EXPECT_EQ(opens.opened(), "");

    // Pressing on the text focuses the link and draws the focus rectangle:
    // dotted along the text's top edge, which the unfocused link leaves in
    // the background colour.
    const std::uint32_t background = before.at(before.width - 1, 0);
    auto dottedTopEdge = [&](const Image& image) {
        int dotted = 0;
        for (int x = 0; x < 40; ++x) {
            dotted += image.at(x, 0) != background ? 1 : 0;
        }
        return dotted;
    };
    EXPECT_EQ(dottedTopEdge(before), 0);
    moveMouse(link.left + 10, y);
    mouseButton(true);
    ASSERT_TRUE(waitFor([&] { return GetDlgCtrlID(focusOf(dialog_)) == IDC_DOWNLOAD_LINK; }));
    EXPECT_TRUE(waitFor([&] { return dottedTopEdge(linkPixels()) >= 10; })) << "no focus rectangle";
    screenshot("07-link-pressed");

    // Released on the text, it opens the address. The opened program takes
    // the foreground and gives it up again before the address is recorded,
    // as a browser that shows and closes would.
    mouseButton(false);
    ASSERT_TRUE(opens.waitForOpens(1)) << "the click opened nothing";
    EXPECT_EQ(opens.opened(), address + "\n");
    // Back in the dialog the link still has the focus, and shows as visited.
    moveMouse(link.left + 10, link.bottom + 60); // the pointer out of the picture
    ASSERT_TRUE(activate(dialog_));
    EXPECT_TRUE(waitFor([&] { return GetDlgCtrlID(focusOf(dialog_)) == IDC_DOWNLOAD_LINK; }))
        << "focus on control " << GetDlgCtrlID(focusOf(dialog_));
    EXPECT_TRUE(waitFor([&] {
        const Image visited = linkPixels();
        return visited.count(rgb(128, 0, 128), 0, 0, visited.width, visited.height) >= 40 &&
               dottedTopEdge(visited) >= 10;
    })) << "not shown as visited and focused";
    const Image visited = linkPixels();
    screenshot("08-link-visited-focused");
    EXPECT_EQ(visited.count(rgb(0, 0, 255), 0, 0, visited.width, visited.height), 0);

    pressKey(VK_SPACE);
    ASSERT_TRUE(opens.waitForOpens(2)) << "Space opened nothing";
    ASSERT_TRUE(activate(dialog_));
    ASSERT_TRUE(waitFor([&] { return GetDlgCtrlID(focusOf(dialog_)) == IDC_DOWNLOAD_LINK; }));
    pressKey(VK_RETURN);
    ASSERT_TRUE(opens.waitForOpens(3)) << "Enter opened nothing";
    EXPECT_EQ(opens.opened(), address + "\n" + address + "\n" + address + "\n");
    EXPECT_TRUE(IsWindow(dialog_)) << "Enter on the link must not end the dialog";

    PostMessageA(item(IDCANCEL), BM_CLICK, 0, 0);
    EXPECT_EQ(finish().exitCode, -1);
}

TEST_F(JreNotFoundDialogTest, LinkColoursComeFromTheBrowserSettings)
{
    const RegistryValue anchor(HKEY_CURRENT_USER, browserSettings, "Anchor Color");
    const RegistryValue anchorVisited(HKEY_CURRENT_USER, browserSettings, "Anchor Color Visited");
    makeProduct("DialogColours");
    const RecordedOpens opens(app_->folder() + "opened.txt");

    anchor.setText("0,128,255");
    anchorVisited.setText("200,0,0");
    ASSERT_NO_FATAL_FAILURE(show());
    Image pixels = linkPixels();
    screenshot("09-anchor-color");
    EXPECT_GE(pixels.count(rgb(0, 128, 255), 0, 0, pixels.width, pixels.height), 40);
    SendMessageA(item(IDC_DOWNLOAD_LINK), WM_CHAR, ' ', 0);
    ASSERT_TRUE(opens.waitForOpens(1));
    EXPECT_TRUE(waitFor([&] {
        pixels = linkPixels();
        return pixels.count(rgb(200, 0, 0), 0, 0, pixels.width, pixels.height) >= 40;
    })) << "not in the visited colour";
    screenshot("10-anchor-color-visited");

    // Disabled: the system's grey text, whatever the settings say.
    EnableWindow(item(IDC_DOWNLOAD_LINK), FALSE);
    const COLORREF grey = GetSysColor(COLOR_GRAYTEXT);
    EXPECT_TRUE(waitFor([&] {
        pixels = linkPixels();
        return pixels.count(rgb(GetRValue(grey), GetGValue(grey), GetBValue(grey)), 0, 0, pixels.width,
                            pixels.height) >= 40;
    })) << "not grey";
    screenshot("11-link-disabled");
    EXPECT_EQ(pixels.count(rgb(200, 0, 0), 0, 0, pixels.width, pixels.height), 0);
    PostMessageA(item(IDCANCEL), BM_CLICK, 0, 0);
    EXPECT_EQ(finish().exitCode, -1);

    // Values that are not usable leave the default blue.
    struct Row {
        const char* what;
        DWORD type;
        std::string data;
    };
    const std::vector<Row> rows = {
        {"13 characters do not fit", REG_SZ, std::string("255, 255, 255", 14)},
        {"a number", REG_DWORD, std::string("\x10\x20\x30\x00", 4)},
        {"two numbers", REG_SZ, std::string("0,128", 6)},
    };
    for (const Row& row : rows) {
        anchor.set(row.type, row.data);
        ASSERT_NO_FATAL_FAILURE(show());
        pixels = linkPixels();
        EXPECT_GE(pixels.count(rgb(0, 0, 255), 0, 0, pixels.width, pixels.height), 40) << row.what;
        PostMessageA(item(IDCANCEL), BM_CLICK, 0, 0);
        EXPECT_EQ(finish().exitCode, -1);
    }
}

TEST_F(JreNotFoundDialogTest, HandAndTooltipOverTheTextOnly)
{
    makeProduct("DialogHover");
    ASSERT_NO_FATAL_FAILURE(show());
    const RECT link = screenRect(item(IDC_DOWNLOAD_LINK));
    const int y = (link.top + link.bottom) / 2;
    ASSERT_TRUE(activate(dialog_));
    const HCURSOR hand = handOverTheText(link.left + 20, y);
    ASSERT_NE(hand, nullptr);

    // Beside the text, inside the static: the static's arrow, and the
    // tooltip goes.
    moveMouse(link.right - 2, y);
    ASSERT_TRUE(waitFor([&] { return shownTooltip() == nullptr; })) << "the tooltip stays beside the text";
    const HCURSOR beside = shownCursor();
    EXPECT_NE(beside, hand) << "the hand beside the text";
    // Over a button, the same arrow.
    const RECT ok = screenRect(item(IDCANCEL));
    moveMouse((ok.left + ok.right) / 2, (ok.top + ok.bottom) / 2);
    moveMouse(link.left + 21, y);
    EXPECT_TRUE(waitFor([&] { return shownCursor() == hand; })) << "no hand back over the text";
    moveMouse((ok.left + ok.right) / 2, (ok.top + ok.bottom) / 2);
    EXPECT_TRUE(waitFor([&] { return shownCursor() == beside; })) << "another cursor over a button";
    // And the hand again, over the text.
    moveMouse(link.left + 21, y);
    EXPECT_TRUE(waitFor([&] { return shownCursor() == hand; })) << "no hand back over the text";

    HWND tip = nullptr;
    ASSERT_TRUE(waitFor(
        [&] { return (tip = findOwnedWindow(launcher_->processId(), TOOLTIPS_CLASSA, dialog_)) != nullptr; }, 5000))
        << "no tooltip shown";
    // Shown once its text is drawn: more than one colour inside it.
    EXPECT_TRUE(waitFor([&] {
        const Image drawn = captureScreen(screenRect(tip));
        return drawn.width > 2 && drawn.height > 2 &&
               drawn.count(drawn.at(1, 1), 0, 0, drawn.width, drawn.height) < drawn.width * drawn.height;
    })) << "the tooltip was never drawn";
    RECT both = screenRect(dialog_);
    const RECT tipRect = screenRect(tip);
    UnionRect(&both, &both, &tipRect);
    saveScreenshot("12-hand-and-tooltip", captureScreen(both));

    // The tooltip's text, asked for inside the launcher's process.
    const std::size_t textAt = sizeof(TOOLINFOA);
    const RemoteBlock block(launcher_->process(), textAt + 256);
    TOOLINFOA tool{};
    tool.cbSize = TTTOOLINFOA_V2_SIZE;
    tool.hwnd = item(IDC_DOWNLOAD_LINK);
    tool.uId = 1;
    tool.lpszText = static_cast<char*>(block.address()) + textAt;
    block.write(&tool, sizeof tool);
    SendMessageA(tip, TTM_GETTEXTA, 256, reinterpret_cast<LPARAM>(block.address()));
    EXPECT_EQ(std::string(block.read(256, textAt).c_str()), address);

    moveMouse(link.right - 3, y);
    EXPECT_TRUE(waitFor([&] { return shownCursor() == beside; })) << "back beside the text";
    PostMessageA(item(IDCANCEL), BM_CLICK, 0, 0);
    EXPECT_EQ(finish().exitCode, -1);
}

TEST_F(JreNotFoundDialogTest, WithoutAnOwnerCentredOnTheWorkArea)
{
    makeProduct("DialogCentred");
    ASSERT_NO_FATAL_FAILURE(show());
    RECT area{};
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &area, 0);
    const RECT own = screenRect(dialog_);
    const long width = own.right - own.left, height = own.bottom - own.top;
    EXPECT_LE(std::labs((own.left + own.right) / 2 - (area.left + area.right) / 2), 1);
    EXPECT_LE(std::labs((own.top + own.bottom) / 2 - (area.top + area.bottom) / 2), 1);
    EXPECT_GT(width, 0);
    EXPECT_GT(height, 0);
    PostMessageA(item(IDCANCEL), BM_CLICK, 0, 0);
    EXPECT_EQ(finish().exitCode, -1);
}

} // namespace
