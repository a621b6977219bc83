// Command and QueryOptionValue. The stand-in host executes one command,
// "option //NAME=VALUE", which sets a host option; every line is logged so
// that tests can see what a plugin asked the host to do.
#include "host_state.h"
#include "plugin/host.h"

namespace host {

namespace {

bool IsBlank(WCHAR c) {
    return c == ' ' || c == '\t';
}

size_t SkipBlanks(const Text &text, size_t at) {
    while (at < text.size() && IsBlank(text[at])) ++at;
    return at;
}

Text TrimTrailingBlanks(const Text &text) {
    size_t end = text.size();
    while (end > 0 && (IsBlank(text[end - 1]) || text[end - 1] == '\r' || text[end - 1] == '\n')) --end;
    return text.substr(0, end);
}

// Reads "option //NAME=VALUE" (any case, any blanks around the words); the
// value runs to the end of the line.
bool ParseOptionCommand(const Text &line, Text *name, Text *value) {
    size_t at = SkipBlanks(line, 0);
    size_t word = at;
    while (at < line.size() && !IsBlank(line[at])) ++at;
    if (!EqualNoCase(line.substr(word, at - word), "option")) return false;
    size_t slashes = SkipBlanks(line, at);
    if (slashes == at || line.compare(slashes, 2, FromAscii("//")) != 0) return false;
    size_t equals = line.find('=', slashes + 2);
    if (equals == Text::npos) return false;
    *name = TrimTrailingBlanks(line.substr(slashes + 2, equals - slashes - 2));
    *value = TrimTrailingBlanks(line.substr(equals + 1));
    return !name->empty() && name->find_first_of(FromAscii(" \t")) == Text::npos;
}

}  // namespace

}  // namespace host

using namespace host;

int WINAPI Command(LPCWSTR line, int flags) {
    (void)flags;
    State &state = TheState();
    Text text = FromZ(line);
    state.commandLog += text;
    state.commandLog.push_back('\n');
    Text name, value;
    if (!ParseOptionCommand(text, &name, &value)) return 1;
    state.options[name] = value;
    return 0;
}

int WINAPI QueryOptionValue(LPCWSTR name, LPWSTR value) {
    if (value == nullptr) return 1;
    value[0] = 0;
    if (name == nullptr) return 1;
    const TextTable &options = TheState().options;
    TextTable::const_iterator found = options.find(Text(name));
    if (found == options.end()) return 1;
    CopyLimited(found->second, value, 1024);
    return 0;
}
