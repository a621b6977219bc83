// The lines vhost understands, and the text helpers its files share.
#include <vector>

#include "base/base.h"
#include "plugin/host.h"
#include "vhost.h"

namespace vhost {

namespace {

bool IsBlank(WCHAR c) {
    return c == ' ' || c == '\t';
}

// Blanks at the end belong to the line (echo keeps them); line ends do not.
Text WithoutLineEnd(const Text &text) {
    size_t end = text.size();
    while (end > 0 && (text[end - 1] == '\r' || text[end - 1] == '\n')) --end;
    return text.substr(0, end);
}

void RunVivanta(Session *session, const Text &arguments) {
    session->lastResult = session->plugin.command(arguments.c_str());
}

// The host expands in place into a buffer of at least 1024 characters.
void RunEcho(const Text &text) {
    std::vector<WCHAR> buffer(text.size() + 1 > 1024 ? text.size() + 1 : 1024, 0);
    text.copy(buffer.data(), text.size());
    ExpandVariables(buffer.data(), 1);
    Print(Text(buffer.data()) + Widen("\r\n"));
}

void RunSet(const Text &assignment) {
    size_t equals = assignment.find('=');
    if (equals == Text::npos) {
        std::vector<WCHAR> value(32768, 0);
        DWORD length = GetEnvironmentVariableW(assignment.c_str(), value.data(), 32768);
        if (length == 0 || length >= 32768) {
            PrintError(Widen("vhost: no variable ") + assignment);
        } else {
            Print(assignment + Widen("=") + Text(value.data()) + Widen("\r\n"));
        }
        return;
    }
    Text name = assignment.substr(0, equals);
    Text value = assignment.substr(equals + 1);
    if (name.empty() || !SetEnvironmentVariableW(name.c_str(), value.empty() ? nullptr : value.c_str())) {
        // Removing a variable that is not there is not worth a complaint.
        if (!value.empty() || name.empty()) PrintError(Widen("vhost: cannot set ") + assignment);
    }
}

void RunUsage(Session *session, const Text &name) {
    std::vector<WCHAR> out(1024, 0);
    if (session->plugin.usage(name.c_str(), out.data()) != 0) Print(Text(out.data()));
}

void RunHelp(Session *session, const Text &name) {
    size_t before = MessageBoxCount();
    session->plugin.help(name.c_str());
    PrintMessageBoxesSince(before);
}

void RunWait(const Text &argument) {
    DWORD ms = 0;
    if (!ParseNumber(argument, &ms)) {
        PrintError(Widen("vhost: wait wants milliseconds: ") + argument);
        return;
    }
    RunMessagesFor(ms);
}

// What Windows does when the user switches the app theme: the value, then
// the news to every top-level window. The plugin's window is on this
// thread, so it hears at once.
void RunTheme(const Text &word) {
    DWORD light = 0;
    if (EqualNoCase(word, "light")) {
        light = 1;
    } else if (!EqualNoCase(word, "dark")) {
        PrintError(Widen("vhost: theme wants dark or light: ") + word);
        return;
    }
    const Text path = Widen("Software\\Microsoft\\Windows\\CurrentVersion\\Themes\\Personalize");
    HKEY key = NULL;
    LONG error = RegCreateKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, NULL, REG_OPTION_NON_VOLATILE, KEY_SET_VALUE, NULL,
                                 &key, NULL);
    if (error == ERROR_SUCCESS) {
        error = RegSetValueExW(key, Widen("AppsUseLightTheme").c_str(), 0, REG_DWORD,
                               reinterpret_cast<const BYTE *>(&light), sizeof light);
        RegCloseKey(key);
    }
    if (error != ERROR_SUCCESS) {
        PrintError(Widen("vhost: cannot set the app theme"));
        return;
    }
    const Text area = Widen("ImmersiveColorSet");
    DWORD_PTR answer = 0;
    SendMessageTimeoutW(HWND_BROADCAST, WM_SETTINGCHANGE, 0, reinterpret_cast<LPARAM>(area.c_str()), SMTO_ABORTIFHUNG,
                        1000, &answer);
}

}  // namespace

void RunLine(Session *session, const Text &raw) {
    Text line = WithoutLineEnd(raw);
    Text rest;
    Text word = FirstWord(line, &rest);
    if (word.empty() || word[0] == '#') return;
    if (EqualNoCase(word, "vivanta")) {
        RunVivanta(session, rest);
    } else if (EqualNoCase(word, "option")) {
        if (Command(line.c_str(), 0) != 0) PrintError(Widen("vhost: the host did not accept: ") + line);
    } else if (EqualNoCase(word, "set")) {
        RunSet(rest);
    } else if (EqualNoCase(word, "echo")) {
        // Blanks after the first one belong to the text.
        size_t start = line.find_first_not_of(Widen(" \t"));
        size_t text = start + 4 < line.size() ? start + 5 : line.size();
        RunEcho(line.substr(text));
    } else if (EqualNoCase(word, "key")) {
        RunKey(session, rest);
    } else if (EqualNoCase(word, "keyname")) {
        RunKeyName(session, rest);
    } else if (EqualNoCase(word, "console")) {
        ShowConsole();
    } else if (EqualNoCase(word, "modes")) {
        ShowModes(*session);
    } else if (EqualNoCase(word, "options")) {
        ShowOptions();
    } else if (EqualNoCase(word, "windows")) {
        ShowWindows();
    } else if (EqualNoCase(word, "wait")) {
        RunWait(rest);
    } else if (EqualNoCase(word, "usage")) {
        RunUsage(session, rest);
    } else if (EqualNoCase(word, "help")) {
        RunHelp(session, rest);
    } else if (EqualNoCase(word, "theme")) {
        RunTheme(rest);
    } else if (EqualNoCase(word, "screen")) {
        DrawScreen();
    } else if (EqualNoCase(word, "keys")) {
        RunKeys(rest);
    } else if (EqualNoCase(word, "resize")) {
        RunResize(rest);
    } else if (EqualNoCase(word, "terminal")) {
        ShowTerminal();
    } else {
        PrintError(Widen("vhost: unknown line: ") + line);
    }
}

void Print(const Text &text) {
    Printf(TEXT("%s"), text.c_str());
}

void PrintError(const Text &text) {
    Qprintf(GetStdHandle(STD_ERROR_HANDLE), TEXT("%s\r\n"), text.c_str());
}

Text FromUtf8(const std::string &bytes) {
    std::vector<WCHAR> units(bytes.size() + 1);
    size_t length = Utf8ToUtf16(bytes.data(), bytes.size(), units.data(), units.size());
    return Text(units.data(), length < units.size() ? length : units.size());
}

Text Widen(const char *ascii) {
    Text text;
    for (; *ascii != 0; ++ascii) text.push_back(static_cast<WCHAR>(static_cast<unsigned char>(*ascii)));
    return text;
}

bool EqualNoCase(const Text &text, const char *word) {
    size_t i = 0;
    for (; word[i] != 0; ++i) {
        if (i >= text.size()) return false;
        WCHAR a = text[i], b = static_cast<WCHAR>(word[i]);
        if (a >= 'A' && a <= 'Z') a = static_cast<WCHAR>(a + 32);
        if (b >= 'A' && b <= 'Z') b = static_cast<WCHAR>(b + 32);
        if (a != b) return false;
    }
    return i == text.size();
}

Text FirstWord(const Text &text, Text *rest) {
    size_t start = 0;
    while (start < text.size() && IsBlank(text[start])) ++start;
    size_t end = start;
    while (end < text.size() && !IsBlank(text[end])) ++end;
    size_t after = end;
    while (after < text.size() && IsBlank(text[after])) ++after;
    Text word = text.substr(start, end - start);
    if (rest != nullptr) *rest = text.substr(after);  // `rest` may be `text` itself
    return word;
}

bool ParseNumber(const Text &text, DWORD *value) {
    bool hex = text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X');
    LPCWSTR digits = text.c_str() + (hex ? 2 : 0);
    LPCWSTR end = nullptr;
    if (ScanUnsigned32(digits, hex ? 16 : 10, value, &end) != NUMBER_OK) return false;
    return *end == 0;
}

}  // namespace vhost
