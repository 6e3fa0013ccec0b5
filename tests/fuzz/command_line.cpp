// The command-line splitter against a character-by-character statement of
// its rules: only the space separates, a double quote counts only where an
// argument starts, no escapes.

#include "text/CommandLineText.h"

#include "FuzzInput.h"

namespace {

std::vector<std::string> referenceSplit(std::string_view line)
{
    enum class State { tokenStart, plain, quoted, betweenTokens };
    std::vector<std::string> tokens;
    std::string token;
    State state = State::tokenStart;
    for (const std::string_view c : ansiCharacters(line)) {
        if (state == State::betweenTokens) {
            if (c == " ") {
                continue;
            }
            state = State::tokenStart;
        }
        switch (state) {
        case State::tokenStart:
            if (c == "\"") {
                state = State::quoted;
            } else if (c == " ") {
                tokens.emplace_back(); // a line that starts with a space starts with an empty token
                state = State::betweenTokens;
            } else {
                token = c;
                state = State::plain;
            }
            break;
        case State::plain:
        case State::quoted:
            if ((state == State::plain && c == " ") || (state == State::quoted && c == "\"")) {
                tokens.push_back(token);
                token.clear();
                state = State::betweenTokens;
            } else {
                token += c;
            }
            break;
        case State::betweenTokens:
            break;
        }
    }
    if (state == State::plain || state == State::quoted) {
        tokens.push_back(token); // an unclosed quote runs to the end
    }
    return tokens;
}

bool isWhiteSpace(std::string_view c)
{
    return c == " " || c == "\t" || c == "\n" || c == "\v" || c == "\f" || c == "\r";
}

std::vector<std::string> referenceArguments(std::string_view line)
{
    const std::vector<std::string_view> characters = ansiCharacters(line);
    std::size_t first = 0;
    std::size_t last = characters.size();
    while (first < last && isWhiteSpace(characters[first])) {
        ++first;
    }
    while (last > first && isWhiteSpace(characters[last - 1])) {
        --last;
    }
    std::string trimmed;
    for (std::size_t i = first; i < last; ++i) {
        trimmed += characters[i];
    }
    std::vector<std::string> tokens = referenceSplit(trimmed);
    if (!tokens.empty()) {
        tokens.erase(tokens.begin());
    }
    return tokens;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    FuzzInput input(data, size);
    const std::string_view line = input.rest();
    FUZZ_CHECK(text::splitCommandLine(line) == referenceSplit(line));
    FUZZ_CHECK(text::argumentsFromCommandLine(line) == referenceArguments(line));
    return 0;
}
