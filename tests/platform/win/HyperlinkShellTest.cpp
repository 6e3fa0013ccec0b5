// The link hands its address to the shell with COM running on the calling
// thread, as the platform asks (some protocol handlers are COM objects), and
// leaves the thread's COM as it found it. In this process, with the shell's
// entry point replaced by a stand-in that notes what the thread had.

#include "ui/HyperlinkControl.h"

#include <gtest/gtest.h>
#include <windows.h>
#include <objbase.h>
#include <shellapi.h>

#include <string>

// The import slot through which the launcher's code reaches the shell.
extern "C" decltype(&ShellExecuteA) __imp_ShellExecuteA;

namespace {

struct ShellCall {
    int calls = 0;
    HRESULT apartmentQuery = E_FAIL;
    APTTYPE apartment = APTTYPE_CURRENT;
    std::string file;
};
ShellCall seen;

HINSTANCE WINAPI standInShell(HWND, LPCSTR operation, LPCSTR file, LPCSTR, LPCSTR, INT)
{
    ++seen.calls;
    APTTYPEQUALIFIER qualifier{};
    seen.apartmentQuery = CoGetApartmentType(&seen.apartment, &qualifier);
    seen.file = std::string(operation) + " " + file;
    return reinterpret_cast<HINSTANCE>(static_cast<INT_PTR>(42));
}

// The shell's entry point replaced for one scope.
class StandInShell {
public:
    StandInShell() : previous_(__imp_ShellExecuteA) { __imp_ShellExecuteA = standInShell; }
    ~StandInShell() { __imp_ShellExecuteA = previous_; }
    StandInShell(const StandInShell&) = delete;
    StandInShell& operator=(const StandInShell&) = delete;

private:
    decltype(&ShellExecuteA) previous_;
};

bool comRuns()
{
    APTTYPE type{};
    APTTYPEQUALIFIER qualifier{};
    return CoGetApartmentType(&type, &qualifier) == S_OK;
}

TEST(HyperlinkShell, OpensWithComOnTheThreadAndLeavesItAsItWas)
{
    HWND parent = CreateWindowExA(0, "STATIC", "parent", WS_POPUP, 0, 0, 300, 100, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(parent, nullptr);
    HWND text = CreateWindowExA(0, "STATIC", "https://example.org/", WS_CHILD | SS_LEFT, 0, 0, 200, 20, parent,
                                nullptr, nullptr, nullptr);
    ASSERT_NE(text, nullptr);
    {
        HyperlinkControl link;
        ASSERT_TRUE(link.attach(text));
        const StandInShell shell;

        // A thread without COM: it runs, single-threaded, for the call only.
        seen = ShellCall();
        ASSERT_FALSE(comRuns());
        EXPECT_TRUE(link.navigate());
        EXPECT_EQ(seen.calls, 1);
        EXPECT_EQ(seen.file, "open https://example.org/");
        EXPECT_EQ(seen.apartmentQuery, S_OK);
        EXPECT_EQ(seen.apartment, APTTYPE_MAINSTA);
        EXPECT_FALSE(comRuns()) << "COM left initialised";

        // A thread whose COM runs multithreaded keeps it.
        ASSERT_EQ(CoInitializeEx(nullptr, COINIT_MULTITHREADED), S_OK);
        seen = ShellCall();
        EXPECT_TRUE(link.navigate());
        EXPECT_EQ(seen.apartmentQuery, S_OK);
        EXPECT_EQ(seen.apartment, APTTYPE_MTA);
        EXPECT_TRUE(comRuns()) << "the thread's own COM was undone";
        CoUninitialize();
        EXPECT_FALSE(comRuns());
    }
    DestroyWindow(parent);
}

} // namespace
