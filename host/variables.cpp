// ExpandVariables: the host's variable syntax, as far as plugins use it.
//   %%          a percent sign
//   %name%      an environment variable
//   %_name      an internal variable (letters, digits and "_"; no closing %)
//   %[name]     either kind: internal when the name begins with "_"
//   %@path[x]   x expanded, then its drive and directory with the trailing
//               separator ("C:\dir\" of "C:\dir\file.exe")
// Unknown variables and functions expand to nothing. A "%" that starts no
// reference is kept as it is.
#include <vector>

#include "host_state.h"
#include "plugin/host.h"

namespace host {

namespace {

// Every caller's buffer holds at least 1024 characters.
const size_t kResultLimit = 1023;
// Function arguments nest; a runaway nesting yields nothing instead of
// exhausting the stack.
const int kMaxDepth = 32;

bool IsNameChar(WCHAR c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_';
}

bool IsBlank(WCHAR c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

Text EnvironmentValue(const Text &name) {
    std::vector<WCHAR> buffer(32768);
    DWORD length = GetEnvironmentVariableW(name.c_str(), buffer.data(), static_cast<DWORD>(buffer.size()));
    if (length == 0 || length >= buffer.size()) return Text();
    return Text(buffer.data(), length);
}

Text InternalValue(const Text &name) {
    const TextTable &variables = TheState().variables;
    TextTable::const_iterator found = variables.find(name);
    return found == variables.end() ? Text() : found->second;
}

Text VariableValue(const Text &name) {
    if (!name.empty() && name[0] == '_') return InternalValue(name);
    return EnvironmentValue(name);
}

// The drive and directory of a file name, with the trailing separator.
Text DirectoryPart(const Text &path) {
    size_t last = path.find_last_of(FromAscii("\\/"));
    if (last != Text::npos) return path.substr(0, last + 1);
    if (path.size() >= 2 && path[1] == ':') return path.substr(0, 2);
    return Text();
}

// The "]" that closes the "[" at `open`, counting nested pairs.
size_t FindClosingBracket(const Text &text, size_t open) {
    int depth = 0;
    for (size_t i = open; i < text.size(); ++i) {
        if (text[i] == '[') {
            ++depth;
        } else if (text[i] == ']' && --depth == 0) {
            return i;
        }
    }
    return Text::npos;
}

Text Expand(const Text &in, int depth);

Text CallFunction(const Text &name, const Text &argument, int depth) {
    if (depth >= kMaxDepth) return Text();
    Text value = Expand(argument, depth + 1);
    if (!EqualNoCase(name, "path")) return Text();
    return DirectoryPart(value);
}

// Expands the reference that starts with the "%" at `at`; returns false
// when the "%" starts no reference.
bool ExpandReference(const Text &in, size_t at, int depth, Text *out, size_t *next) {
    size_t n = in.size();
    if (at + 1 >= n) return false;
    WCHAR kind = in[at + 1];
    if (kind == '%') {
        out->push_back('%');
        *next = at + 2;
        return true;
    }
    if (kind == '_') {
        size_t end = at + 1;
        while (end < n && IsNameChar(in[end])) ++end;
        *out += InternalValue(in.substr(at + 1, end - at - 1));
        *next = end;
        return true;
    }
    if (kind == '[') {
        size_t close = in.find(']', at + 2);
        if (close == Text::npos) return false;
        *out += VariableValue(in.substr(at + 2, close - at - 2));
        *next = close + 1;
        return true;
    }
    if (kind == '@') {
        size_t open = at + 2;
        while (open < n && IsNameChar(in[open])) ++open;
        if (open >= n || in[open] != '[') return false;
        size_t close = FindClosingBracket(in, open);
        if (close == Text::npos) return false;
        *out += CallFunction(in.substr(at + 2, open - at - 2), in.substr(open + 1, close - open - 1), depth);
        *next = close + 1;
        return true;
    }
    size_t close = in.find('%', at + 1);
    if (close == Text::npos || close == at + 1) return false;
    for (size_t i = at + 1; i < close; ++i) {
        if (IsBlank(in[i])) return false;
    }
    *out += EnvironmentValue(in.substr(at + 1, close - at - 1));
    *next = close + 1;
    return true;
}

Text Expand(const Text &in, int depth) {
    Text out;
    size_t i = 0;
    while (i < in.size()) {
        // At the top level nothing past the cut can survive.
        if (depth == 0 && out.size() > kResultLimit) break;
        size_t next = 0;
        if (in[i] == '%' && ExpandReference(in, i, depth, &out, &next)) {
            i = next;
        } else {
            out.push_back(in[i]);
            ++i;
        }
    }
    return out;
}

}  // namespace

}  // namespace host

using namespace host;

int WINAPI ExpandVariables(LPWSTR buffer, int flag) {
    (void)flag;
    if (buffer == nullptr) return 1;
    Text result = Expand(Text(buffer), 0);
    CopyLimited(result, buffer, kResultLimit + 1);
    return 0;
}
