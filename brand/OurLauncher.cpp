#include "brand/OurLauncher.h"

#include "brand/LittleEndian.h"
#include "brand/Utf16.h"
#include "resources/DialogIds.h"
#include "resources/StringIds.h"

namespace brand {

namespace {

// The caption the resource script gives the JRE Not Found dialog.
constexpr std::u16string_view dialogCaption = u"JRE Not Found";

// Steps over a zero-terminated UTF-16 string or a 0xFFFF-and-number field of
// a dialog template; false when it runs past the end. `text` receives the
// string (empty for a number).
bool readSzOrOrdinal(std::string_view bytes, std::size_t& at, std::u16string& text)
{
    text.clear();
    if (!fits(bytes.size(), at, 2)) {
        return false;
    }
    if (read16(bytes, at) == 0xFFFF) {
        at += 4;
        return at <= bytes.size();
    }
    for (; fits(bytes.size(), at, 2); at += 2) {
        const char16_t c = static_cast<char16_t>(read16(bytes, at));
        if (c == 0) {
            at += 2;
            return true;
        }
        text.push_back(c);
    }
    return false;
}

// The caption of a DLGTEMPLATEEX (or of a plain DLGTEMPLATE): after the
// fixed header come the menu, the window class and the title.
bool readCaption(std::string_view bytes, std::u16string& caption)
{
    const bool extended = bytes.size() >= 4 && read16(bytes, 0) == 1 && read16(bytes, 2) == 0xFFFF;
    std::size_t at = extended ? 26 : 18;
    std::u16string skipped;
    return at <= bytes.size() && readSzOrOrdinal(bytes, at, skipped) && readSzOrOrdinal(bytes, at, skipped) &&
           readSzOrOrdinal(bytes, at, caption);
}

// A string-table entry: block id / 16 + 1 holds 16 strings, each a length in
// characters followed by that many.
bool readString(const ResourceTree& tree, unsigned id, std::u16string& text)
{
    const Resource* block = tree.find(resourceType::string, static_cast<std::uint16_t>(id / 16 + 1));
    if (block == nullptr) {
        return false;
    }
    std::size_t at = 0;
    for (unsigned i = 0; i <= id % 16; ++i) {
        if (!fits(block->data.size(), at, 2)) {
            return false;
        }
        const std::size_t length = read16(block->data, at);
        if (!fits(block->data.size(), at + 2, length * 2)) {
            return false;
        }
        if (i == id % 16) {
            text.clear();
            for (std::size_t k = 0; k < length; ++k) {
                text.push_back(static_cast<char16_t>(read16(block->data, at + 2 + 2 * k)));
            }
        }
        at += 2 + length * 2;
    }
    return true;
}

} // namespace

bool isOurLauncher(const ResourceTree& tree)
{
    const Resource* dialog = tree.find(resourceType::dialog, IDD_JRE_NOT_FOUND);
    std::u16string caption, text, expected;
    return dialog != nullptr && readCaption(dialog->data, caption) && caption == dialogCaption &&
           readString(tree, resources::IDS_NO_MAIN_CLASS, text) &&
           utf8ToUtf16(resources::builtInString(resources::IDS_NO_MAIN_CLASS), expected) && text == expected;
}

} // namespace brand
