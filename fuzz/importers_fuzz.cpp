// Feeds arbitrary bytes to every reader of other tools' scheme files, and
// each scheme one hands on to the conversion into a console scheme. Every
// read must end, stay in bounds, give back all it allocated, and never say
// a file is both broken and silent about why; every converted scheme must
// show its background and text exactly, with no directive's text on its own
// background slot.
#include <stddef.h>
#include <stdint.h>

#include "base/base.h"
#include "import/import.h"

namespace {

bool Check(void *, const TerminalScheme *source, LPCWSTR name) {
    if (!name || !name[0]) __builtin_trap();
    static struct {
        WCHAR colorDir[IMPORTED_COLOR_DIR_SIZE];
        SlotPlacement placement;
        ColorScheme scheme;
    } built;
    BuildTerminalScheme(source, &built.scheme, built.colorDir, &built.placement);
    const ColorScheme &s = built.scheme;
    if (s.palette[s.StdColors >> 4] != SwapRedAndBlue(source->background)) __builtin_trap();
    if (s.palette[s.StdColors & 0xF] != SwapRedAndBlue(source->foreground)) __builtin_trap();
    for (int i = 0; i < DIRECTIVE_COUNT; ++i) {
        WORD attribute = SchemeDirective(&s, i);
        if ((attribute & 0xF) == (attribute >> 4)) __builtin_trap();
    }
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    using Reader = ImportResult (*)(const char *, size_t, LPCWSTR, const SchemeSink *, LPWSTR);
    const Reader readers[] = {ReadJsonSchemes,      ReadPropertyListSchemes, ReadBinaryPropertyListSchemes,
                              ReadColorToolSchemes, ReadYamlSchemes,         ReadOtherToolSchemes};
    const SchemeSink sink = {Check, nullptr};
    long live = MemLiveCount();
    for (Reader reader : readers) {
        WCHAR error[IMPORT_ERROR_SIZE] = {0};
        ImportResult result = reader(reinterpret_cast<const char *>(data), size, TEXT("fuzz"), &sink, error);
        if (result == IMPORT_BAD_FILE && error[0] == 0) __builtin_trap();
    }
    if (MemLiveCount() != live) __builtin_trap();
    return 0;
}
