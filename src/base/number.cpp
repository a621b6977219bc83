// Numbers and UTF-8: the conversions between text and values that the C
// library would do differently on each target.
#include "base.h"

namespace {

// The value of an ASCII digit or letter, or 99 for anything else, so that
// one comparison with the base rejects it.
unsigned DigitValue(WCHAR c) {
    if (c >= TEXT('0') && c <= TEXT('9')) return (unsigned)(c - TEXT('0'));
    if (c >= TEXT('a') && c <= TEXT('z')) return (unsigned)(c - TEXT('a')) + 10;
    if (c >= TEXT('A') && c <= TEXT('Z')) return (unsigned)(c - TEXT('A')) + 10;
    return 99;
}

// Accumulates in 64 bits so that overflow shows without a division.
NumberScanResult ScanMagnitude(LPCWSTR text, unsigned base, uint64_t limit, uint64_t *value, LPCWSTR *end) {
    LPCWSTR p = text;
    uint64_t v = 0;
    bool overflow = false;
    unsigned d;
    while ((d = DigitValue(*p)) < base) {
        if (!overflow) {
            v = v * base + d;
            if (v > limit) overflow = true;
        }
        ++p;
    }
    if (p == text) {
        *value = 0;
        *end = text;
        return NUMBER_NO_DIGITS;
    }
    *value = overflow ? limit : v;
    *end = p;
    return overflow ? NUMBER_OVERFLOW : NUMBER_OK;
}

// One parser for both kinds of text; a unit past ASCII is never a digit.
template <typename Unit>
LONG ParseHexColorUnits(const Unit *text, size_t length) {
    if ((length != 4 && length != 7) || !text || text[0] != '#') return -1;
    LONG value = 0;
    for (size_t i = 1; i < length; ++i) {
        unsigned unit = static_cast<unsigned>(text[i]) & (sizeof(Unit) == 1 ? 0xFFu : 0xFFFFu);
        unsigned digit = DigitValue(static_cast<WCHAR>(unit));
        if (digit >= 16) return -1;
        value = length == 4 ? (value << 8) | static_cast<LONG>(digit << 4 | digit)
                            : (value << 4) | static_cast<LONG>(digit);
    }
    return value;
}

}  // namespace

LONG ParseHexColor(const char *text, size_t length) {
    return ParseHexColorUnits(text, length);
}

LONG ParseHexColor(LPCWSTR text, size_t length) {
    return ParseHexColorUnits(text, length);
}

NumberScanResult ScanUnsigned32(LPCWSTR text, unsigned base, DWORD *value, LPCWSTR *end) {
    uint64_t v = 0;
    LPCWSTR stop = text;
    NumberScanResult result = NUMBER_NO_DIGITS;
    if (text && base >= 2 && base <= 16) result = ScanMagnitude(text, base, 0xFFFFFFFFu, &v, &stop);
    if (value) *value = (DWORD)v;
    if (end) *end = stop;
    return result;
}

NumberScanResult ScanSigned32(LPCWSTR text, LONG *value, LPCWSTR *end) {
    uint64_t v = 0;
    LPCWSTR stop = text;
    NumberScanResult result = NUMBER_NO_DIGITS;
    bool negative = false;
    if (text) {
        LPCWSTR digits = text;
        if (*digits == TEXT('+') || *digits == TEXT('-')) negative = *digits++ == TEXT('-');
        // The magnitude of LONG's minimum is one more than its maximum.
        result = ScanMagnitude(digits, 10, negative ? 0x80000000u : 0x7FFFFFFFu, &v, &stop);
        if (result == NUMBER_NO_DIGITS) stop = text;
    }
    if (value) *value = negative ? (LONG)(0 - (uint32_t)v) : (LONG)v;
    if (end) *end = stop;
    return result;
}

// ---- UTF-8 ----

namespace {

constexpr DWORD REPLACEMENT_CHARACTER = 0xFFFD;

// Encodes one code point (at most 0x10FFFF, not a surrogate) into `buf`.
size_t EncodeUtf8(DWORD cp, unsigned char *buf) {
    if (cp < 0x80) {
        buf[0] = (unsigned char)cp;
        return 1;
    }
    if (cp < 0x800) {
        buf[0] = (unsigned char)(0xC0 | (cp >> 6));
        buf[1] = (unsigned char)(0x80 | (cp & 0x3F));
        return 2;
    }
    if (cp < 0x10000) {
        buf[0] = (unsigned char)(0xE0 | (cp >> 12));
        buf[1] = (unsigned char)(0x80 | ((cp >> 6) & 0x3F));
        buf[2] = (unsigned char)(0x80 | (cp & 0x3F));
        return 3;
    }
    buf[0] = (unsigned char)(0xF0 | (cp >> 18));
    buf[1] = (unsigned char)(0x80 | ((cp >> 12) & 0x3F));
    buf[2] = (unsigned char)(0x80 | ((cp >> 6) & 0x3F));
    buf[3] = (unsigned char)(0x80 | (cp & 0x3F));
    return 4;
}

// Decodes the sequence at `p` (with `left` > 0 bytes available) and returns
// the bytes it takes. An ill-formed sequence yields U+FFFD and takes its
// maximal subpart: the longest prefix that could still have become a valid
// sequence, and at least one byte.
size_t DecodeUtf8(const unsigned char *p, size_t left, DWORD *cp) {
    unsigned char b = p[0];
    if (b < 0x80) {
        *cp = b;
        return 1;
    }
    size_t need;
    unsigned char lo = 0x80, hi = 0xBF;  // the range of the second byte
    DWORD value;
    if (b >= 0xC2 && b <= 0xDF) {
        need = 2;
        value = b & 0x1F;
    } else if (b >= 0xE0 && b <= 0xEF) {
        need = 3;
        value = b & 0x0F;
        if (b == 0xE0) lo = 0xA0;       // overlong
        else if (b == 0xED) hi = 0x9F;  // surrogates
    } else if (b >= 0xF0 && b <= 0xF4) {
        need = 4;
        value = b & 0x07;
        if (b == 0xF0) lo = 0x90;       // overlong
        else if (b == 0xF4) hi = 0x8F;  // above 0x10FFFF
    } else {
        *cp = REPLACEMENT_CHARACTER;
        return 1;
    }
    size_t taken = 1;
    while (taken < need) {
        if (taken >= left) break;
        unsigned char c = p[taken];
        if (taken == 1 ? (c < lo || c > hi) : (c & 0xC0) != 0x80) break;
        value = (value << 6) | (c & 0x3F);
        ++taken;
    }
    *cp = taken == need ? value : REPLACEMENT_CHARACTER;
    return taken;
}

}  // namespace

size_t Utf16ToUtf8(LPCWSTR text, size_t length, char *out, size_t capacity) {
    if (!text) return 0;
    if (!out) capacity = 0;
    size_t needed = 0;
    bool full = false;  // once a sequence did not fit, nothing after it is written
    for (size_t i = 0; i < length; ++i) {
        DWORD cp = (WORD)text[i];
        if (cp >= 0xD800 && cp <= 0xDFFF) {
            DWORD next = i + 1 < length ? (WORD)text[i + 1] : 0;
            if (cp <= 0xDBFF && next >= 0xDC00 && next <= 0xDFFF) {
                cp = 0x10000 + ((cp - 0xD800) << 10) + (next - 0xDC00);
                ++i;
            } else {
                cp = REPLACEMENT_CHARACTER;
            }
        }
        unsigned char buf[4];
        size_t n = EncodeUtf8(cp, buf);
        if (!full && needed + n <= capacity) {
            for (size_t k = 0; k < n; ++k) out[needed + k] = (char)buf[k];
        } else {
            full = true;
        }
        needed += n;
    }
    return needed;
}

size_t Utf8ToUtf16(const char *bytes, size_t length, LPWSTR out, size_t capacity) {
    if (!bytes) return 0;
    if (!out) capacity = 0;
    const unsigned char *p = (const unsigned char *)bytes;
    size_t needed = 0;
    bool full = false;  // a pair is never split, and nothing follows a cut
    for (size_t i = 0; i < length;) {
        DWORD cp;
        i += DecodeUtf8(p + i, length - i, &cp);
        size_t n = cp >= 0x10000 ? 2 : 1;
        if (!full && needed + n <= capacity) {
            if (n == 1) {
                out[needed] = (WCHAR)cp;
            } else {
                cp -= 0x10000;
                out[needed] = (WCHAR)(0xD800 + (cp >> 10));
                out[needed + 1] = (WCHAR)(0xDC00 + (cp & 0x3FF));
            }
        } else {
            full = true;
        }
        needed += n;
    }
    return needed;
}
