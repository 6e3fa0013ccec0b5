// Prints what the platform's profile reader returns for each query of a
// corpus, one line per query, bytes outside printable ASCII escaped. Built
// for Windows it asks GetPrivateProfileStringA; built for Linux, the
// launcher's own reader: tests/ini/differential.sh compares the two.
//
//   ini_probe <corpus folder> <queries file>
//
// A file with a byte-order mark holds text, not bytes: Windows returns its
// values in the ANSI code page and the Linux reader in UTF-8, so the Windows
// probe prints those values converted to UTF-8. The corpus keeps such files
// to characters the default code page has.
//
// A query line is "<file>\t<section>\t<key>"; \xHH in section or key stands
// for a byte. Blank lines and lines starting with '#' are skipped.

#include "platform/Files.h"
#include "platform/Profile.h"

#ifdef _WIN32
#include <windows.h>
#endif

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {

std::string unescape(const std::string& text)
{
    std::string bytes;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\\' && i + 3 < text.size() && text[i + 1] == 'x') {
            bytes += static_cast<char>(std::stoi(text.substr(i + 2, 2), nullptr, 16));
            i += 3;
        } else {
            bytes += text[i];
        }
    }
    return bytes;
}

std::string escape(const std::string& bytes)
{
    std::string text;
    for (unsigned char c : bytes) {
        if (c >= 0x20 && c < 0x7F && c != '\\') {
            text += static_cast<char>(c);
        } else {
            char hex[5];
            std::snprintf(hex, sizeof hex, "\\x%02X", c);
            text += hex;
        }
    }
    return text;
}

bool startsWithByteOrderMark(const std::string& path)
{
    std::FILE* file = std::fopen(path.c_str(), "rb");
    unsigned char head[3] = {};
    const std::size_t got = file == nullptr ? 0 : std::fread(head, 1, sizeof head, file);
    if (file != nullptr) {
        std::fclose(file);
    }
    return (got >= 2 && ((head[0] == 0xFF && head[1] == 0xFE) || (head[0] == 0xFE && head[1] == 0xFF))) ||
           (got == 3 && std::memcmp(head, "\xEF\xBB\xBF", 3) == 0);
}

// The text as the Linux reader would give it.
std::string asUtf8(const std::string& ansi)
{
#ifdef _WIN32
    if (ansi.empty()) {
        return ansi;
    }
    std::wstring wide(ansi.size(), L'\0');
    wide.resize(MultiByteToWideChar(CP_ACP, 0, ansi.data(), static_cast<int>(ansi.size()), wide.data(),
                                    static_cast<int>(wide.size())));
    std::string utf8(wide.size() * 4, '\0');
    utf8.resize(WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), utf8.data(),
                                    static_cast<int>(utf8.size()), nullptr, nullptr));
    return utf8;
#else
    return ansi;
#endif
}

std::vector<std::string> fields(const std::string& line)
{
    std::vector<std::string> parts;
    std::size_t start = 0;
    for (std::size_t tab; (tab = line.find('\t', start)) != std::string::npos; start = tab + 1) {
        parts.push_back(line.substr(start, tab - start));
    }
    parts.push_back(line.substr(start));
    return parts;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: ini_probe <corpus folder> <queries file>\n");
        return 2;
    }
    std::FILE* queries = std::fopen(argv[2], "rb");
    if (queries == nullptr) {
        std::fprintf(stderr, "cannot open %s\n", argv[2]);
        return 2;
    }
    const std::string folder = std::string(argv[1]) + platform::pathSeparator;
    std::vector<char> buffer(1 << 20);
    char line[4096];
    while (std::fgets(line, sizeof line, queries) != nullptr) {
        std::string query = line;
        while (!query.empty() && (query.back() == '\n' || query.back() == '\r')) {
            query.pop_back();
        }
        if (query.empty() || query[0] == '#') {
            continue;
        }
        const std::vector<std::string> parts = fields(query);
        if (parts.size() != 3) {
            std::fprintf(stderr, "bad query: %s\n", query.c_str());
            return 2;
        }
        const std::string section = unescape(parts[1]), key = unescape(parts[2]);
        const unsigned length = platform::readProfileString(folder + parts[0], section.c_str(), key.c_str(),
                                                            buffer.data(), static_cast<unsigned>(buffer.size()));
        std::string value(buffer.data(), length);
        if (startsWithByteOrderMark(folder + parts[0])) {
            value = asUtf8(value);
        }
        std::printf("%s [%s] %s = %s\n", parts[0].c_str(), parts[1].c_str(), parts[2].c_str(), escape(value).c_str());
    }
    std::fclose(queries);
    return 0;
}
