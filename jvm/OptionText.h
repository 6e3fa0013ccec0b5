#pragma once
// Text processing of the configured JVM parameters: splitting, quote removal,
// the percentage memory form and the stack-size value. Pure: no
// operating-system call; character-wise over the ANSI code page.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// Splits the "Virtual Machine Parameters" value at spaces (only spaces; tabs
// belong to a token). Spaces inside a quoted stretch do not split, quotes are
// kept, and a value that begins with a space yields an empty first token.
std::vector<std::string> splitParameters(std::string_view value);

// Removes each pair of double quotes; a doubled quote that ends a quoted
// stretch leaves one literal quote, and an unmatched quote stays.
void removeQuotes(std::string& token);

struct NumberList {
    std::vector<std::uint32_t> numbers; // empty when the text holds no digit or colon
    std::size_t firstPos;               // first digit or colon, or the text's length
};

// Colon-separated decimal numbers from firstPos on, ignoring the text's last
// character and any other non-digit. Arithmetic wraps at 32 bits.
NumberList parseNumberList(std::string_view text);

// "-Xms", "-Xmx" or "-Xss" (case-sensitive), ending in the character P or p.
bool isPercentageForm(std::string_view token) noexcept;

// Rewrites a token in percentage form, percent[:minMB[:maxMB]]P, into the
// same prefix followed by a size in kilobytes and "K".
std::string applyPercentage(std::string_view token, std::uint64_t totalPhysicalBytes);

// The text after "-Xss": digits with an optional last letter K, M or G.
// On failure `bytes` is untouched.
[[nodiscard]] bool parseStackSize(std::string_view valueAfterXss, std::uint32_t& bytes) noexcept;

// One parameter token made ready for the JVM: quotes removed, percentage form
// computed; a readable "-Xss" value is stored in mainThreadStackSize (later
// tokens overwrite earlier ones) and the token is passed on regardless.
std::string processParameter(std::string token, std::uint64_t totalPhysicalBytes,
                             std::uint32_t& mainThreadStackSize);

// Options written as on a `java` command line, made what the JVM takes:
// those that `java` accepts with their value as the next token (--add-opens,
// --add-exports, --add-reads, --add-modules, --limit-modules,
// --patch-module, --enable-native-access, --upgrade-module-path) joined to
// their "=" form; the module path (--module-path or -p with the next token,
// or --module-path=) taken out and appended to `modulePath`, separated by
// `listSeparator`, since the launcher hands the JVM the module path itself.
// Every other token stays as it is.
std::vector<std::string> takeJavaForms(std::vector<std::string> tokens, std::string& modulePath, char listSeparator);
