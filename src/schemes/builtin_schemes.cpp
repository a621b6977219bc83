// The four schemes the plugin carries itself, so that the hotkey always has
// at least two dark and two light schemes to choose from.
#include <string.h>

#include "scheme_list.h"

namespace {

// Palette entries are written #rrggbb-wise and stored as COLORREF.
constexpr DWORD Rgb(DWORD rgb) {
    return ((rgb & 0xFF) << 16) | (rgb & 0xFF00) | ((rgb >> 16) & 0xFF);
}

struct BuiltInScheme {
    LPCWSTR name;
    LPCWSTR colorDir;
    DWORD dark;
    // StdColors, InputColors, ErrorColors, ListColors, ListStatBarColors,
    // ListInverseColors, SelectColors, SelectStatBarColors, SelectedColors.
    WORD directives[9];
    DWORD palette[16];
};

const WCHAR DARK_COLOR_DIR[] = TEXT("dirs:12;com exe:10;bat btm cmd:2;txt doc html:11;");
const WCHAR LIGHT_COLOR_DIR[] = TEXT("dirs:244;com exe:242;bat btm cmd:241;txt doc html:243;");

enum { MARIANAS_TRENCH, ICE_PALACE, FOREST_PRIMEVAL, CREME_BRULEE };

const BuiltInScheme BUILT_IN_SCHEMES[4] = {
    {TEXT("Marianas Trench"), DARK_COLOR_DIR, 1,
     {3, 15, 12, 11, 31, 31, 15, 240, 112},
     // Entry 13 repeats entry 11 on purpose: this scheme has no magenta.
     {Rgb(0x000030), Rgb(0x0000a0), Rgb(0x009000), Rgb(0x0090a0), Rgb(0x900000), Rgb(0x9000a0),
      Rgb(0x806000), Rgb(0xb0b8c8), Rgb(0x606060), Rgb(0x4040ff), Rgb(0x40ff40), Rgb(0x40ffff),
      Rgb(0xff4040), Rgb(0x40ffff), Rgb(0xffff40), Rgb(0xf0f8ff)}},
    {TEXT("Ice Palace"), LIGHT_COLOR_DIR, 0,
     {241, 242, 244, 241, 31, 31, 240, 31, 15},
     {Rgb(0x000000), Rgb(0x0000a0), Rgb(0x009000), Rgb(0x0090a0), Rgb(0x900000), Rgb(0x9000a0),
      Rgb(0x909000), Rgb(0xc0c0c0), Rgb(0x606060), Rgb(0x4040ff), Rgb(0x40ff40), Rgb(0x40ffff),
      Rgb(0xff4040), Rgb(0xff40ff), Rgb(0xffff40), Rgb(0xe8f8ff)}},
    {TEXT("Forest Primeval"), DARK_COLOR_DIR, 1,
     {7, 10, 12, 11, 112, 63, 7, 112, 240},
     {Rgb(0x003000), Rgb(0x0000a0), Rgb(0x009000), Rgb(0x0090a0), Rgb(0x900000), Rgb(0x9000a0),
      Rgb(0x608000), Rgb(0xc4e0c4), Rgb(0x606060), Rgb(0x4040ff), Rgb(0x40ff40), Rgb(0x40ffff),
      Rgb(0xff4040), Rgb(0xff40ff), Rgb(0xffff40), Rgb(0xffffff)}},
    {TEXT("Cr\u00e8me Br\u00fbl\u00e9e"), LIGHT_COLOR_DIR, 0,
     {240, 246, 244, 240, 111, 111, 240, 111, 15},
     {Rgb(0x000000), Rgb(0x0000a0), Rgb(0x009000), Rgb(0x0090a0), Rgb(0x900000), Rgb(0x9000a0),
      Rgb(0x806000), Rgb(0xc0c0c0), Rgb(0x606060), Rgb(0x4040ff), Rgb(0x40ff40), Rgb(0x40ffff),
      Rgb(0xff4040), Rgb(0xff40ff), Rgb(0xffff40), Rgb(0xfff8f0)}},
};

// Builds the record AddScheme copies from; the table itself stays untouched.
int AddBuiltInScheme(const BuiltInScheme &source) {
    ColorScheme scheme;
    memset(&scheme, 0, sizeof scheme);
    WORD *fields[9] = {&scheme.StdColors,         &scheme.InputColors,      &scheme.ErrorColors,
                       &scheme.ListColors,        &scheme.ListStatBarColors, &scheme.ListInverseColors,
                       &scheme.SelectColors,      &scheme.SelectStatBarColors, &scheme.SelectedColors};
    for (int i = 0; i < 9; ++i) *fields[i] = source.directives[i];
    scheme.dark = source.dark;
    memcpy(scheme.palette, source.palette, sizeof scheme.palette);
    return AddScheme(&scheme, source.name, source.colorDir, &g_schemes);
}

}  // namespace

int SeedBuiltInSchemes(void) {
    int dark = 0, light = 0;
    for (const ColorScheme *scheme = g_schemes; scheme; scheme = scheme->next) {
        if (scheme->dark) {
            ++dark;
        } else {
            ++light;
        }
    }
    // The counts are taken once, before anything is added; a failed addition
    // just leaves that scheme out.
    int added = 0;
    if (dark == 0) added += AddBuiltInScheme(BUILT_IN_SCHEMES[MARIANAS_TRENCH]);
    if (light == 0) added += AddBuiltInScheme(BUILT_IN_SCHEMES[ICE_PALACE]);
    if (dark < 2) added += AddBuiltInScheme(BUILT_IN_SCHEMES[FOREST_PRIMEVAL]);
    if (light < 2) added += AddBuiltInScheme(BUILT_IN_SCHEMES[CREME_BRULEE]);
    return added;
}
