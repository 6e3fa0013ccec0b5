#pragma once
// The text of a Windows profile (INI) file, read and edited the way
// GetPrivateProfileStringA and WritePrivateProfileStringA treat it, so that a
// platform without those functions gives the launcher the same values. Pure:
// the callers read and write the file.
//
// Rules shared by both operations (tests/ini/corpus holds files where they
// matter, compared against GetPrivateProfileStringA):
// - Lines end in LF, CR LF or a lone CR; the last line needs no line end. A
//   UTF-8 byte order mark before the first line is skipped. A file that
//   starts with a UTF-16 byte order mark (either order) is UTF-16 text: it
//   is read as UTF-8, and an edit is written back as UTF-16 in its order.
// - White space is space, tab, CR, VT, FF and Ctrl-Z (0x1A).
// - A line whose first non-blank character is '[' and that holds a ']'
//   after it opens a section named by the text up to its last ']'; without
//   a ']' it is an entry like any other. The lines before the first section
//   form a section without a name.
// - A line whose first non-blank character is ';' or '#' is a comment.
// - Any other non-blank line is an entry: the key is the text before the
//   first '=', the value the text after it; a line without '=' is a key with
//   an empty value. An empty key is a key too.
// - Section and key names are trimmed of surrounding white space and compared
//   without regard to the case of ASCII letters; only the first section of a
//   name counts, and within it the first entry of a key.
// - A name or a value ends at its first NUL byte (after trimming), as the
//   zero-terminated strings of the profile functions do; a NUL ends no line.

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace text {

// A profile text classified once, for the many lookups of one launch: each
// answers as iniLookup would, without reading the text again.
class IniIndex {
public:
    IniIndex() = default;
    explicit IniIndex(std::string fileText);

    std::string lookup(std::string_view section, std::string_view key) const;

private:
    // Offsets into text_, which survive the copies and moves of the index.
    struct Span {
        std::size_t begin = 0;
        std::size_t size = 0;
    };
    struct Entry {
        Span key;
        Span value;
    };
    // The first section is the one without a name before the first heading.
    struct Section {
        Span name;
        std::size_t firstEntry = 0;
        std::size_t endEntry = 0;
    };
    std::string_view view(Span span) const noexcept { return std::string_view(text_).substr(span.begin, span.size); }

    std::string text_; // UTF-16 files decoded to UTF-8
    std::vector<Section> sections_;
    std::vector<Entry> entries_;
};

// The value of `key` in `section` (both trimmed as the file's names are),
// trimmed of surrounding white space, then stripped of one pair of enclosing
// double (or single) quotes. Empty when the section or the key is missing.
std::string iniLookup(std::string_view fileText, std::string_view section, std::string_view key);

// `fileText` with `key` set to `value` in `section`: the value of the key's
// first entry is replaced (the text up to and including '=', and the white
// space after it, stay as they were); otherwise a line "key=value" follows
// the section's last entry (or its heading); otherwise a new section holding
// that line is appended at the end. Every other line is kept byte for byte;
// new lines end the way the file's first line ends (LF when it has none).
std::string iniAssign(std::string_view fileText, std::string_view section, std::string_view key,
                      std::string_view value);

} // namespace text
