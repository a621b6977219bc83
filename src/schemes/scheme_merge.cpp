// Putting the schemes of a file into the list, replacing it or merging.
#include "../base/alloc.h"
#include "scheme_name_index.h"

void TakeOverSchemes(ColorScheme *fileSchemes, const SchemeNameIndex *fileNames, int merge) {
    if (!merge) {
        FreeSchemeList();
        g_schemes = fileSchemes;
        return;
    }
    // A file's scheme replaces a listed one of the same name and takes its
    // place at the end, after every scheme it does not replace.
    ColorScheme *kept = nullptr;
    ColorScheme **tail = &kept;
    ColorScheme *scheme = g_schemes;
    while (scheme) {
        ColorScheme *next = scheme->next;
        if (FindInSchemeNameIndex(fileNames, scheme->name)) {
            MemFree(scheme);
        } else {
            scheme->next = nullptr;
            *tail = scheme;
            tail = &scheme->next;
        }
        scheme = next;
    }
    *tail = fileSchemes;
    g_schemes = kept;
}
