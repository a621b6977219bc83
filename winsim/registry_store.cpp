// The registry as a text file, so that vhost keeps settings from one run to
// the next. The file is UTF-8, one item per line, close to regedit's:
//
//   ; a comment (blank lines are ignored too)
//   [HKEY_CURRENT_USER\Software\OrtaPlugins\Vivanta]   a key (HKCU, HKLM also read)
//   "Hotkey"=dword:0001002c                            REG_DWORD, exactly 8 hex digits
//   "Name"="Night"                                     REG_SZ, stored with its terminator
//   "Blob"=hex(b):2c,00,01,00,00,00,00,00              any type (hex) with exactly these bytes
//   @=hex(3):                                          the unnamed value, here REG_BINARY, empty
//
// Values belong to the key line above them. In quoted names and text, \\ is
// a backslash, \" a quote, \n and \r line breaks. A key line creates the keys
// above it as well; a saved file has one for every key with values and every
// empty key, and writes "dword:" and quoted text only where they give back
// the very same bytes.
#include <fstream>
#include <sstream>

#include "registry_tree.h"

#include "machine.h"
#include "text_conversions.h"

using namespace winsim;

namespace {

const char kHex[] = "0123456789abcdef";

std::string Quote(const std::u16string &text) {
    std::string out = "\"";
    for (char c : Utf8(text)) {
        if (c == '\\' || c == '"') {
            out += '\\';
            out += c;
        } else if (c == '\n') {
            out += "\\n";
        } else if (c == '\r') {
            out += "\\r";
        } else {
            out += c;
        }
    }
    return out + "\"";
}

// The text of a REG_SZ that holds one terminated string and survives UTF-8.
bool PlainText(const RegValue &value, std::u16string *text) {
    const std::vector<BYTE> &data = value.data;
    if (value.type != REG_SZ || data.size() < 2 || data.size() % 2) return false;
    text->clear();
    for (size_t i = 0; i + 2 < data.size(); i += 2) {
        char16_t c = static_cast<char16_t>(data[i] | (data[i + 1] << 8));
        if (c == 0) return false;
        text->push_back(c);
    }
    if (data[data.size() - 2] || data[data.size() - 1]) return false;
    return FromUtf8(Utf8(*text)) == *text;
}

std::string ValueLine(const RegValue &value) {
    std::string line = value.name.empty() ? "@=" : Quote(value.name) + "=";
    std::u16string text;
    if (value.type == REG_DWORD && value.data.size() == 4) {
        line += "dword:";
        for (int i = 3; i >= 0; --i) line += {kHex[value.data[i] >> 4], kHex[value.data[i] & 15]};
    } else if (PlainText(value, &text)) {
        line += Quote(text);
    } else {
        std::ostringstream type;
        type << std::hex << value.type;
        line += "hex(" + type.str() + "):";
        for (size_t i = 0; i < value.data.size(); ++i) {
            if (i) line += ',';
            line += {kHex[value.data[i] >> 4], kHex[value.data[i] & 15]};
        }
    }
    return line + "\n";
}

void DumpKey(const RegKey &key, std::string *out) {
    if (key.isVolatile) return;
    bool savedSubkeys = false;
    for (const auto &subkey : key.subkeys) savedSubkeys = savedSubkeys || !subkey->isVolatile;
    // A key with saved subkeys but no values comes back with them.
    if (!key.values.empty() || (key.parent && !savedSubkeys)) {
        *out += "\n[" + Utf8(key.path) + "]\n";
        for (const RegValue &value : key.values) *out += ValueLine(value);
    }
    for (const auto &subkey : key.subkeys) DumpKey(*subkey, out);
}

// ---- reading ----
struct Entry {
    HKEY root;
    std::u16string path;
    bool isValue;
    RegValue value;
};

bool Fail(size_t line, const std::string &why, std::string *error) {
    if (error) *error = "line " + std::to_string(line) + ": " + why;
    return false;
}

// Reads a quoted string starting at `at` (on the quote); `at` ends after it.
bool ReadQuoted(const std::string &line, size_t *at, std::u16string *text) {
    std::string bytes;
    size_t i = *at + 1;
    for (; i < line.size() && line[i] != '"'; ++i) {
        if (line[i] != '\\') {
            bytes += line[i];
            continue;
        }
        if (++i == line.size()) return false;
        char c = line[i];
        if (c == 'n') {
            bytes += '\n';
        } else if (c == 'r') {
            bytes += '\r';
        } else if (c == '\\' || c == '"') {
            bytes += c;
        } else {
            return false;
        }
    }
    if (i == line.size()) return false;
    *at = i + 1;
    *text = FromUtf8(bytes);
    return true;
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

bool ReadHexBytes(const std::string &text, std::vector<BYTE> *bytes) {
    for (size_t i = 0; i < text.size(); i += 3) {
        if (i + 2 > text.size() || (i + 2 < text.size() && text[i + 2] != ',')) return false;
        if (i + 2 == text.size() - 1) return false;  // a comma with nothing after it
        int high = HexDigit(text[i]), low = HexDigit(text[i + 1]);
        if (high < 0 || low < 0) return false;
        bytes->push_back(static_cast<BYTE>(high * 16 + low));
    }
    return true;
}

bool ReadData(const std::string &text, RegValue *value) {
    std::u16string string;
    size_t at = 0;
    if (text.compare(0, 6, "dword:") == 0) {
        if (text.size() != 14) return false;
        DWORD number = 0;
        for (size_t i = 6; i < 14; ++i) {
            int digit = HexDigit(text[i]);
            if (digit < 0) return false;
            number = number * 16 + static_cast<DWORD>(digit);
        }
        value->type = REG_DWORD;
        for (int i = 0; i < 4; ++i) value->data.push_back(static_cast<BYTE>(number >> (8 * i)));
        return true;
    }
    if (!text.empty() && text[0] == '"') {
        if (!ReadQuoted(text, &at, &string) || at != text.size()) return false;
        value->type = REG_SZ;
        string.push_back(0);
        for (char16_t c : string) {
            value->data.push_back(static_cast<BYTE>(c & 0xFF));
            value->data.push_back(static_cast<BYTE>(c >> 8));
        }
        return true;
    }
    if (text.compare(0, 4, "hex:") == 0) {
        value->type = REG_BINARY;
        return ReadHexBytes(text.substr(4), &value->data);
    }
    size_t close = text.find("):");
    if (text.compare(0, 4, "hex(") != 0 || close == std::string::npos || close == 4 || close > 12) return false;
    DWORD type = 0;
    for (size_t i = 4; i < close; ++i) {
        int digit = HexDigit(text[i]);
        if (digit < 0) return false;
        type = type * 16 + static_cast<DWORD>(digit);
    }
    value->type = type;
    return ReadHexBytes(text.substr(close + 2), &value->data);
}

bool ReadKeyLine(const std::string &line, Entry *entry) {
    if (line.size() < 3 || line.back() != ']') return false;
    std::u16string full = FromUtf8(line.substr(1, line.size() - 2));
    size_t slash = full.find(u'\\');
    std::u16string root = FoldName(full.substr(0, slash));
    if (root == u"HKEY_CURRENT_USER" || root == u"HKCU") {
        entry->root = HKEY_CURRENT_USER;
    } else if (root == u"HKEY_LOCAL_MACHINE" || root == u"HKLM") {
        entry->root = HKEY_LOCAL_MACHINE;
    } else {
        return false;
    }
    entry->path = slash == std::u16string::npos ? std::u16string() : full.substr(slash + 1);
    std::vector<std::u16string> names;
    return SplitKeyPath(entry->path, &names);
}

bool Parse(const std::string &text, std::vector<Entry> *entries, std::string *error) {
    std::istringstream in(text);
    std::string line;
    size_t number = 0;
    Entry key{nullptr, std::u16string(), false, RegValue()};
    while (std::getline(in, line)) {
        ++number;
        while (!line.empty() && (line.back() == '\r' || line.back() == ' ' || line.back() == '\t')) line.pop_back();
        if (line.empty() || line[0] == ';') continue;
        if (line[0] == '[') {
            if (!ReadKeyLine(line, &key)) {
                return Fail(number, "not a key of HKEY_CURRENT_USER or HKEY_LOCAL_MACHINE", error);
            }
            entries->push_back(key);
            continue;
        }
        if (!key.root) return Fail(number, "a value before any key", error);
        Entry entry = key;
        entry.isValue = true;
        size_t at = 1;
        if (line[0] == '"') {
            at = 0;
            if (!ReadQuoted(line, &at, &entry.value.name)) return Fail(number, "unterminated name", error);
        } else if (line[0] != '@') {
            return Fail(number, "neither a key, a value nor a comment", error);
        }
        if (at >= line.size() || line[at] != '=') return Fail(number, "\"=\" expected after the name", error);
        if (!ReadData(line.substr(at + 1), &entry.value)) return Fail(number, "bad value data", error);
        entries->push_back(entry);
    }
    return true;
}

void ClearTree(RegKey *root) {
    while (!root->subkeys.empty()) RemoveKey(root->subkeys.front().get());
    root->values.clear();
}

}  // namespace

namespace sim {

std::string RegistryText() {
    std::string out = "; winsim registry\n";
    DumpKey(*RootOf(HKEY_CURRENT_USER), &out);
    DumpKey(*RootOf(HKEY_LOCAL_MACHINE), &out);
    return out;
}

bool LoadRegistryText(const std::string &text, std::string *error) {
    std::vector<Entry> entries;
    if (!Parse(text, &entries, error)) return false;
    ClearTree(RootOf(HKEY_CURRENT_USER));
    ClearTree(RootOf(HKEY_LOCAL_MACHINE));
    for (const Entry &entry : entries) {
        if (entry.isValue) {
            SetRegistryValue(entry.root, entry.path, entry.value.name, entry.value.type, entry.value.data);
        } else {
            CreateRegistryKey(entry.root, entry.path);
        }
    }
    return true;
}

bool LoadRegistry(const std::string &file, std::string *error) {
    std::ifstream in(file, std::ios::binary);
    if (!in) {
        if (error) *error = "cannot read " + file;
        return false;
    }
    std::ostringstream text;
    text << in.rdbuf();
    return LoadRegistryText(text.str(), error);
}

bool SaveRegistry(const std::string &file, std::string *error) {
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out << RegistryText();
    out.close();
    if (!out) {
        if (error) *error = "cannot write " + file;
        return false;
    }
    return true;
}

}  // namespace sim
