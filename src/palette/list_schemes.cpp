// The numbered list of loaded schemes with their dark and light counts.
#include "../plugin/host.h"
#include "palette.h"

int ListSchemes(const ColorScheme *marked) {
    if (!g_schemes) {
        Printf(TEXT("\r\nNo color schemes loaded.\r\n"));
        return 0;
    }
    CrLf();
    unsigned total = 0, dark = 0;
    for (const ColorScheme *scheme = g_schemes; scheme; scheme = scheme->next) {
        ++total;
        if (scheme->dark) ++dark;
        // Names longer than the column are printed whole and push the type on.
        Printf(TEXT("%3u: %c %-25s  (%s)\r\n"), total, scheme == marked ? TEXT('*') : TEXT(' '), scheme->name,
               scheme->dark ? TEXT("dark") : TEXT("light"));
    }
    Printf(TEXT("\r\n%u color schemes loaded (%u dark, %u light).\r\n"), total, dark, total - dark);
    return static_cast<int>(total);
}
