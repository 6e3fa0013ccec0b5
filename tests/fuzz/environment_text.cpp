// %NAME% expansion against its rule: a reference to a set variable is
// replaced by the value, anything else stays as written, and a value is never
// expanded again. The variables are the fuzzer's: the first field lists
// name=value pairs separated by ';'.

#include "text/EnvironmentText.h"

#include "FuzzInput.h"

namespace {

struct Variables {
    std::vector<std::pair<std::string, std::string>> entries;
    bool echo = false; // every name is set to its own reference, "%NAME%"
};

bool lookUp(void* context, std::string_view name, std::string& value)
{
    const Variables& variables = *static_cast<const Variables*>(context);
    if (variables.echo) {
        value = "%" + std::string(name) + "%";
        return !name.empty();
    }
    for (const auto& [n, v] : variables.entries) {
        if (!name.empty() && n == name) {
            value = v;
            return true;
        }
    }
    return false;
}

// Scans for '%'; the text up to the next '%' names a variable. A set one is
// replaced and scanning resumes after the reference; an unset one, or "%%",
// is copied with both '%' and scanning resumes after the second. A '%'
// without a partner is copied as it stands.
std::string referenceExpand(std::string_view text, Variables& variables)
{
    std::string result;
    std::size_t i = 0;
    while (i < text.size()) {
        if (text[i] != '%') {
            result += text[i++];
            continue;
        }
        const std::size_t close = text.find('%', i + 1);
        if (close == std::string_view::npos) {
            result += text.substr(i);
            break;
        }
        std::string value;
        if (lookUp(&variables, text.substr(i + 1, close - i - 1), value)) {
            result += value;
        } else {
            result += text.substr(i, close - i + 1);
        }
        i = close + 1;
    }
    return result;
}

Variables readVariables(std::string_view list)
{
    Variables variables;
    while (!list.empty()) {
        const std::size_t end = list.find(';');
        const std::string_view entry = list.substr(0, end);
        list.remove_prefix(end == std::string_view::npos ? list.size() : end + 1);
        const std::size_t equals = entry.find('=');
        if (equals != std::string_view::npos) {
            variables.entries.emplace_back(entry.substr(0, equals), entry.substr(equals + 1));
        }
    }
    return variables;
}

// No double-byte character ends in '%', so a lead byte right before one is
// malformed text, where stepping by characters and by bytes may differ; the
// rule says nothing about it beyond the invariants below.
bool leadByteBeforePercent(std::string_view text)
{
    for (std::size_t i = 1; i < text.size(); ++i) {
        if (text[i] == '%' && text::isLeadByte(static_cast<unsigned char>(text[i - 1]))) {
            return true;
        }
    }
    return false;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    FuzzInput input(data, size);
    Variables variables = readVariables(input.field());
    const std::string_view text = input.rest();

    if (!leadByteBeforePercent(text)) {
        FUZZ_CHECK(text::expandReferences(text, lookUp, &variables) == referenceExpand(text, variables));
    }

    Variables none;
    FUZZ_CHECK(text::expandReferences(text, lookUp, &none) == text);

    // A value that spells its own reference comes out as written: expansion
    // never looks into what it has substituted.
    Variables echo;
    echo.echo = true;
    FUZZ_CHECK(text::expandReferences(text, lookUp, &echo) == text);
    return 0;
}
