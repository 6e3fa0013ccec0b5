// The dialog templates as the shipped launcher carries them: frame, font and
// every control, read back from the executable's resources.

#include "resources/DialogIds.h"

#include "Product.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

namespace {

struct Control {
    std::uint32_t id;
    std::string kind; // window class, upper case (the resource compiler's spelling, or its ordinal's)
    std::uint32_t style;
    std::uint32_t exStyle;
    std::string text;
    int x, y, cx, cy;
};

struct Template {
    std::uint32_t style = 0;
    int x = 0, y = 0, cx = 0, cy = 0;
    std::string caption;
    int pointSize = 0;
    int weight = 0;
    std::string face;
    std::vector<Control> controls;
};

// Reads a DLGTEMPLATEEX: fixed fields, then zero-terminated UTF-16 strings
// or 0xFFFF-and-ordinal pairs, items aligned on 4 bytes.
class Reader {
public:
    explicit Reader(const std::uint8_t* data) : data_(data) {}
    std::uint16_t word()
    {
        const auto value = static_cast<std::uint16_t>(data_[at_] | data_[at_ + 1] << 8);
        at_ += 2;
        return value;
    }
    std::uint32_t dword()
    {
        const std::uint32_t low = word();
        return low | static_cast<std::uint32_t>(word()) << 16;
    }
    std::string text()
    {
        std::string out;
        for (std::uint16_t c = word(); c != 0; c = word()) {
            out += static_cast<char>(c < 0x80 ? c : '?');
        }
        return out;
    }
    std::string textOrOrdinal()
    {
        if (data_[at_] == 0xFF && data_[at_ + 1] == 0xFF) {
            word();
            switch (const std::uint16_t ordinal = word()) {
            case 0x80: return "BUTTON";
            case 0x81: return "EDIT";
            case 0x82: return "STATIC";
            default: return "#" + std::to_string(ordinal);
            }
        }
        return text();
    }
    std::string className()
    {
        std::string name = textOrOrdinal();
        for (char& c : name) {
            c = static_cast<char>(c >= 'a' && c <= 'z' ? c - 'a' + 'A' : c);
        }
        return name;
    }
    void align() { at_ = (at_ + 3) & ~std::size_t{3}; }
    void skip(std::size_t bytes) { at_ += bytes; }

private:
    const std::uint8_t* data_;
    std::size_t at_ = 0;
};

Template readTemplate(HMODULE module, int id)
{
    Template t;
    HRSRC found = FindResourceExA(module, RT_DIALOG, MAKEINTRESOURCEA(id), MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US));
    if (found == nullptr) {
        ADD_FAILURE() << "no English (US) dialog " << id;
        return t;
    }
    Reader r(static_cast<const std::uint8_t*>(LockResource(LoadResource(module, found))));
    EXPECT_EQ(r.word(), 1);      // version
    EXPECT_EQ(r.word(), 0xFFFF); // the extended template
    r.dword();                   // help ID
    r.dword();                   // extended style
    t.style = r.dword();
    const int count = r.word();
    t.x = static_cast<short>(r.word());
    t.y = static_cast<short>(r.word());
    t.cx = static_cast<short>(r.word());
    t.cy = static_cast<short>(r.word());
    EXPECT_EQ(r.textOrOrdinal(), ""); // no menu
    EXPECT_EQ(r.textOrOrdinal(), ""); // the dialog class
    t.caption = r.text();
    t.pointSize = r.word();
    t.weight = r.word();
    r.word(); // italic, character set
    t.face = r.text();
    for (int i = 0; i < count; ++i) {
        r.align();
        Control c{};
        r.dword(); // help ID
        c.exStyle = r.dword();
        c.style = r.dword();
        c.x = static_cast<short>(r.word());
        c.y = static_cast<short>(r.word());
        c.cx = static_cast<short>(r.word());
        c.cy = static_cast<short>(r.word());
        c.id = r.dword();
        c.kind = r.className();
        c.text = r.textOrOrdinal();
        r.skip(r.word()); // creation data
        t.controls.push_back(c);
    }
    return t;
}

void expectTemplate(const Template& got, const Template& expected)
{
    EXPECT_EQ(got.style, expected.style);
    EXPECT_EQ(got.x, expected.x);
    EXPECT_EQ(got.y, expected.y);
    EXPECT_EQ(got.cx, expected.cx);
    EXPECT_EQ(got.cy, expected.cy);
    EXPECT_EQ(got.caption, expected.caption);
    EXPECT_EQ(got.pointSize, expected.pointSize);
    EXPECT_EQ(got.weight, expected.weight);
    EXPECT_EQ(got.face, expected.face);
    ASSERT_EQ(got.controls.size(), expected.controls.size());
    for (std::size_t i = 0; i < got.controls.size(); ++i) {
        const Control& g = got.controls[i];
        const Control& e = expected.controls[i];
        const std::string where = "control " + std::to_string(i) + " (" + e.text + ")";
        EXPECT_EQ(g.id, e.id) << where;
        EXPECT_EQ(g.kind, e.kind) << where;
        EXPECT_EQ(g.style, e.style) << where;
        EXPECT_EQ(g.exStyle, e.exStyle) << where;
        EXPECT_EQ(g.text, e.text) << where;
        EXPECT_EQ(g.x, e.x) << where;
        EXPECT_EQ(g.y, e.y) << where;
        EXPECT_EQ(g.cx, e.cx) << where;
        EXPECT_EQ(g.cy, e.cy) << where;
    }
}

constexpr std::uint32_t child = WS_CHILD | WS_VISIBLE;
constexpr std::uint32_t none = 0xFFFFFFFF; // a control without an ID
constexpr std::uint32_t frame = DS_SETFONT | DS_FIXEDSYS | DS_MODALFRAME | WS_POPUP | WS_CAPTION | WS_SYSMENU;

// A frame at (0, 0) in the shell dialog font, 8 point, normal weight.
Template frameOf(std::uint32_t style, int cx, int cy, const char* caption)
{
    Template t;
    t.style = style;
    t.cx = cx;
    t.cy = cy;
    t.caption = caption;
    t.pointSize = 8;
    t.weight = FW_NORMAL;
    t.face = "MS Shell Dlg";
    return t;
}

class DialogTemplates : public ::testing::Test {
protected:
    void SetUp() override
    {
        exe_ = LoadLibraryExA((buildFolder() + "quarnel.exe").c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
        ASSERT_NE(exe_, nullptr);
    }
    void TearDown() override
    {
        if (exe_ != nullptr) {
            FreeLibrary(exe_);
        }
    }
    HMODULE exe_ = nullptr;
};

TEST_F(DialogTemplates, JreNotFound)
{
    Template expected = frameOf(frame, 219, 145, "JRE Not Found");
    expected.controls = {
        {IDOK, "BUTTON", child | BS_DEFPUSHBUTTON | WS_TABSTOP, 0, "OK", 107, 122, 50, 14},
        {IDCANCEL, "BUTTON", child | BS_PUSHBUTTON | WS_TABSTOP, 0, "Cancel", 161, 122, 50, 14},
        {IDC_JRE_PATH, "EDIT", child | ES_AUTOHSCROLL | ES_READONLY | WS_BORDER | WS_TABSTOP, 0, "", 60, 89, 94, 14},
        {none, "STATIC", child | SS_LEFT | WS_GROUP, 0, "JRE Path:", 12, 92, 45, 8},
        {IDC_BROWSE, "BUTTON", child | BS_PUSHBUTTON | WS_TABSTOP, 0, "Browse...", 157, 89, 50, 14},
        {none, "BUTTON", child | BS_GROUPBOX, 0, "Missing JRE", 8, 11, 203, 103},
        {IDC_MESSAGE, "STATIC", child | SS_LEFT | WS_GROUP, 0, "", 44, 24, 147, 25},
        {IDC_DOWNLOAD_LINK, "STATIC", child | SS_LEFT | WS_GROUP, 0, JRE_DOWNLOAD_ADDRESS, 44, 55, 75, 8},
        {IDC_ERROR_ICON, "STATIC", child | SS_ICON, 0, "", 16, 26, 21, 20},
        {IDC_BROWSE_HINT, "STATIC", child | SS_LEFT | WS_GROUP, 0,
         "If you have a JRE installed you can browse for it below:", 12, 73, 195, 8},
    };
    expectTemplate(readTemplate(exe_, IDD_JRE_NOT_FOUND), expected);
}

TEST_F(DialogTemplates, JavaException)
{
    Template expected = frameOf(frame | WS_THICKFRAME, 275, 242, "Java Exception");
    expected.controls = {
        {IDOK, "BUTTON", child | BS_DEFPUSHBUTTON | WS_TABSTOP, 0, "Ignore", 153, 210, 50, 14},
        {IDCANCEL, "BUTTON", child | BS_PUSHBUTTON | WS_TABSTOP, 0, "Stop", 209, 210, 50, 14},
        {IDC_EXCEPTION_GROUP, "BUTTON", child | BS_GROUPBOX, WS_EX_TRANSPARENT, "Uncaught Exception", 8, 11, 259, 221},
        {IDC_ERROR_ICON, "STATIC", child | SS_ICON, 0, "", 16, 26, 21, 20},
        {IDC_EXCEPTION_TEXT, "EDIT", child | ES_MULTILINE | WS_BORDER | WS_VSCROLL | WS_HSCROLL | WS_TABSTOP, 0, "", 16,
         54, 243, 102},
        {IDC_EXCEPTION_INTRO, "STATIC", child | SS_LEFT | WS_GROUP, 0,
         "The java process has throw the following uncaught exception:", 44, 26, 215, 23},
        {IDC_EXCEPTION_CHOICE, "STATIC", child | SS_LEFT | WS_GROUP, 0,
         "Press Ignore to continue and ignore the exception or press Stop to close the application.", 16, 164, 243, 18},
        {IDC_EXCEPTION_WARNING, "STATIC", child | SS_LEFT | WS_GROUP, 0,
         "WARNING: If you chose to Stop the application any unsaved data will be lost.", 16, 187, 243, 18},
    };
    expectTemplate(readTemplate(exe_, IDD_JAVA_EXCEPTION), expected);
}

} // namespace
