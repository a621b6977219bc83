// The readers of other tools' formats in one table: which formats there are,
// the extensions a folder is read for, and which reader a file goes to.
// Every reader recognises its own format by the content and answers
// IMPORT_NOT_THIS_FORMAT for anything else, so the table's order is the
// whole of the dispatch. A new format is its reader's file and one row here.
#include <string.h>

#include "../base/base.h"
#include "../textio/textio.h"
#include "import.h"

namespace {

using Reader = ImportResult (*)(const char *text, size_t size, LPCWSTR fileName, const SchemeSink *sink, LPWSTR error);

struct ImportFormat {
    LPCWSTR name;
    // The names a folder's files of the format carry; null where unused. A
    // wildcard chooses its files itself.
    LPCWSTR extensions[2];
    Reader read;
};

// Asked in this order: a binary property list is bytes, not text, and known
// by its magic; JSON comes before YAML, which would take it too.
constexpr ImportFormat FORMATS[] = {
    {TEXT("binary property list"), {TEXT(".itermcolors"), nullptr}, ReadBinaryPropertyListSchemes},
    {TEXT("JSON"), {TEXT(".json"), nullptr}, ReadJsonSchemes},
    {TEXT("XML property list"), {TEXT(".itermcolors"), nullptr}, ReadPropertyListSchemes},
    {TEXT("ColorTool"), {TEXT(".ini"), nullptr}, ReadColorToolSchemes},
    {TEXT("YAML"), {TEXT(".yaml"), TEXT(".yml")}, ReadYamlSchemes},
};

// Our own scheme files, which a folder is read for as well; the text source
// reads them before any of the formats above is asked.
constexpr LPCWSTR OWN_EXTENSION = TEXT(".ini");

bool EndsWith(LPCWSTR name, size_t length, LPCWSTR extension) {
    size_t size = StrLen(extension);
    return length > size && StrCompareI(name + length - size, extension) == 0;
}

bool IsAscii(const BYTE *bytes, ULONGLONG size) {
    for (ULONGLONG i = 0; i < size; ++i) {
        if (bytes[i] >= 0x80) return false;
    }
    return true;
}

}  // namespace

ImportResult ReadOtherToolSchemes(const char *text, size_t size, LPCWSTR fileName, const SchemeSink *sink,
                                  LPWSTR error) {
    for (const ImportFormat &format : FORMATS) {
        ImportResult result = format.read(text, size, fileName, sink, error);
        if (result != IMPORT_NOT_THIS_FORMAT) return result;
    }
    return IMPORT_NOT_THIS_FORMAT;
}

bool IsSchemeFileName(LPCWSTR name) {
    size_t length = StrLen(name);
    if (EndsWith(name, length, OWN_EXTENSION)) return true;
    for (const ImportFormat &format : FORMATS) {
        for (LPCWSTR extension : format.extensions) {
            if (extension && EndsWith(name, length, extension)) return true;
        }
    }
    return false;
}

// A binary property list is bytes, not text, whatever its encoding looked
// like: it is handed on as it stands.
const char *Utf8Text(TextSource *source, size_t *size, char **copy) {
    *copy = nullptr;
    if (source->size >= 6 && memcmp(source->data, "bplist", 6) == 0) {
        *size = static_cast<size_t>(source->size);
        return reinterpret_cast<const char *>(source->data);
    }
    const BYTE *text = source->data + source->textStart;
    ULONGLONG bytes = source->size - source->textStart;
    if (source->encoding == Utf8 || (source->encoding == Ansi && IsAscii(text, bytes))) {
        *size = static_cast<size_t>(bytes);
        return reinterpret_cast<const char *>(text);
    }
    // No encoding gives more characters than bytes.
    auto *wide = static_cast<LPWSTR>(MemAlloc((static_cast<size_t>(bytes) + 1) * sizeof(WCHAR)));
    if (!wide) return nullptr;
    size_t length = 0;
    source->position = source->textStart;
    for (LONG c; (c = ReadChar(source)) >= 0;) wide[length++] = static_cast<WCHAR>(c);
    size_t needed = Utf16ToUtf8(wide, length, nullptr, 0);
    *copy = static_cast<char *>(MemAlloc(needed + 1));
    if (*copy) *size = Utf16ToUtf8(wide, length, *copy, needed);
    MemFree(wide);
    return *copy;
}
