// How readable a scheme's text is: the contrast ratio of every pair of
// colours it shows text in, the nine directives and each ColorDir entry,
// measured the way the accessibility guidelines measure it. A scheme read
// from another tool's file may put a colour on a background it all but
// vanishes on; this is where that shows.
#include <math.h>

#include "../base/base.h"
#include "../plugin/host.h"
#include "schemes.h"

namespace {

constexpr double LUMINANCE_FLARE = 0.05;
constexpr double LINEAR_KNEE = 0.04045;
constexpr double LINEAR_SLOPE = 12.92;
constexpr double GAMMA_OFFSET = 0.055;
constexpr double GAMMA_SCALE = 1.055;
constexpr double GAMMA = 2.4;
constexpr double RED_WEIGHT = 0.2126;
constexpr double GREEN_WEIGHT = 0.7152;
constexpr double BLUE_WEIGHT = 0.0722;
// Enough for any colour the host can read from a ColorDir entry.
constexpr size_t ENTRY_COLOR_SIZE = 64;

double LinearChannel(DWORD byte) {
    return SrgbToLinear(static_cast<double>(byte & 0xFF) / 255.0);
}

double RatioOfLuminances(double a, double b) {
    double lighter = a > b ? a : b;
    double darker = a > b ? b : a;
    return (lighter + LUMINANCE_FLARE) / (darker + LUMINANCE_FLARE);
}

// The sixteen luminances once, so that a scheme's pairs cost a division each.
void PaletteLuminances(const ColorScheme *scheme, double luminance[16]) {
    for (int i = 0; i < 16; ++i) luminance[i] = RelativeLuminance(scheme->palette[i]);
}

// The colour of a ColorDir entry, as the host reads one: a number is an
// attribute, whose background counts only when it names one (16 or more:
// the dark schemes write bare foregrounds); otherwise the host's own
// "[Bright] colour [on [Bright] colour]". False when it is neither.
bool ReadEntryColor(LPCWSTR text, size_t length, int *foreground, int *background) {
    while (length > 0 && IsWhiteSpace(*text)) ++text, --length;
    while (length > 0 && IsWhiteSpace(text[length - 1])) --length;
    if (length == 0 || length >= ENTRY_COLOR_SIZE) return false;
    WCHAR color[ENTRY_COLOR_SIZE];
    StrCopy(color, length + 1, text);
    DWORD number = 0;
    if (ParseNumber(color, &number)) {
        if (number > 0xFF) return false;
        *foreground = static_cast<int>(number & 0x0F);
        *background = number > 0x0F ? static_cast<int>(number >> 4) : NO_OWN_BACKGROUND;
        return true;
    }
    int fg = -1, bg = NO_OWN_BACKGROUND;
    if (!ParseColors(color, &fg, &bg) || fg < 0 || fg > 15 || bg > 15) return false;
    *foreground = fg;
    *background = bg;
    return true;
}

// Walks "patterns:colour;..." and hands each entry with a readable colour
// to `visit`; entries without one are left out.
int VisitColorDirEntries(const ColorScheme *scheme, const double luminance[16], PairVisitor visit, void *context) {
    int standardBackground = (scheme->StdColors >> 4) & 0x0F;
    int count = 0;
    for (LPCWSTR entry = scheme->ColorDir; *entry;) {
        LPCWSTR end = entry;
        while (*end && *end != TEXT(';')) ++end;
        LPCWSTR colon = entry;
        while (colon < end && *colon != TEXT(':')) ++colon;
        int foreground = 0, background = NO_OWN_BACKGROUND;
        if (colon < end && ReadEntryColor(colon + 1, static_cast<size_t>(end - colon - 1), &foreground, &background)) {
            ReadablePair pair = {};
            pair.entry = entry;
            pair.entryLength = static_cast<size_t>(colon - entry);
            while (pair.entryLength > 0 && IsWhiteSpace(*pair.entry)) ++pair.entry, --pair.entryLength;
            while (pair.entryLength > 0 && IsWhiteSpace(pair.entry[pair.entryLength - 1])) --pair.entryLength;
            pair.foreground = foreground;
            pair.background = background == NO_OWN_BACKGROUND ? standardBackground : background;
            pair.ratio = RatioOfLuminances(luminance[pair.foreground], luminance[pair.background]);
            visit(&pair, context);
            ++count;
        }
        entry = *end ? end + 1 : end;
    }
    return count;
}

void KeepLowest(const ReadablePair *pair, void *context) {
    ReadablePair *lowest = static_cast<ReadablePair *>(context);
    if (pair->ratio < lowest->ratio) *lowest = *pair;
}

}  // namespace

double SrgbToLinear(double c) {
    return c <= LINEAR_KNEE ? c / LINEAR_SLOPE : pow((c + GAMMA_OFFSET) / GAMMA_SCALE, GAMMA);
}

double RelativeLuminance(DWORD colorRef) {
    return RED_WEIGHT * LinearChannel(colorRef) + GREEN_WEIGHT * LinearChannel(colorRef >> 8) +
           BLUE_WEIGHT * LinearChannel(colorRef >> 16);
}

double ContrastRatio(DWORD colorRef, DWORD otherColorRef) {
    return RatioOfLuminances(RelativeLuminance(colorRef), RelativeLuminance(otherColorRef));
}

void FormatRatio(double ratio, LPWSTR text) {
    // Rounded to hundredths, as "%.2f" would: the formatter has no floating
    // point, and 21:1 is the most there is.
    DWORD hundredths = static_cast<DWORD>(ratio * 100.0 + 0.5);
    Format(text, RATIO_TEXT_SIZE, TEXT("%u.%02u"), hundredths / 100, hundredths % 100);
}

WCHAR ReadabilityMark(double ratio) {
    if (ratio < LEAST_READABLE_RATIO) return TEXT('!');
    if (ratio < COMFORTABLE_RATIO) return TEXT('~');
    return TEXT(' ');
}

int VisitReadablePairs(const ColorScheme *scheme, PairVisitor visit, void *context) {
    double luminance[16];
    PaletteLuminances(scheme, luminance);
    for (int i = 0; i < DIRECTIVE_COUNT; ++i) {
        WORD attribute = SchemeDirective(scheme, i);
        ReadablePair pair = {};
        pair.directive = DIRECTIVE_NAMES[i];
        pair.foreground = attribute & 0x0F;
        pair.background = (attribute >> 4) & 0x0F;
        pair.ratio = RatioOfLuminances(luminance[pair.foreground], luminance[pair.background]);
        visit(&pair, context);
    }
    return DIRECTIVE_COUNT + VisitColorDirEntries(scheme, luminance, visit, context);
}

ReadablePair LowestReadablePair(const ColorScheme *scheme) {
    ReadablePair lowest = {};
    lowest.ratio = HUGE_VAL;
    VisitReadablePairs(scheme, KeepLowest, &lowest);
    return lowest;
}

bool IsReadableScheme(const ColorScheme *scheme) {
    const WORD text[] = {scheme->StdColors, scheme->InputColors, scheme->ErrorColors};
    for (WORD attribute : text) {
        DWORD foreground = scheme->palette[attribute & 0x0F];
        DWORD background = scheme->palette[(attribute >> 4) & 0x0F];
        if (ContrastRatio(foreground, background) < LEAST_READABLE_RATIO) return false;
    }
    return true;
}
