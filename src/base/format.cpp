// The one formatter of both targets: printf over UTF-16 with the Microsoft
// meaning of the conversions.
#include "base.h"

#include <limits.h>

namespace {

// Counts every character of the result and stores those that fit in front
// of the terminator.
struct Sink {
    LPWSTR out;
    size_t room;  // characters that can still be stored (capacity - 1 - len)
    size_t len;
};

inline void Put(Sink &s, WCHAR c) {
    if (s.room) {
        s.out[s.len] = c;
        --s.room;
    }
    ++s.len;
}

void Repeat(Sink &s, WCHAR c, size_t count) {
    size_t n = count < s.room ? count : s.room;
    for (size_t i = 0; i < n; ++i) s.out[s.len + i] = c;
    s.room -= n;
    s.len += count;
}

void Write(Sink &s, LPCWSTR text, size_t count) {
    size_t n = count < s.room ? count : s.room;
    for (size_t i = 0; i < n; ++i) s.out[s.len + i] = text[i];
    s.room -= n;
    s.len += count;
}

enum Flags : unsigned {
    FLAG_LEFT = 1,
    FLAG_ZERO = 2,
    FLAG_PLUS = 4,
    FLAG_SPACE = 8,
    FLAG_ALT = 16,
};

enum Size { SIZE_DEFAULT, SIZE_CHAR, SIZE_SHORT, SIZE_LONG, SIZE_64, SIZE_PTR };

struct Spec {
    unsigned flags;
    int width;
    int precision;  // -1: none
    Size size;
    bool narrow;  // h on %s and %c: a char string or character
};

// Width and precision digits, saturating instead of overflowing.
int ParseCount(LPCWSTR &p) {
    int n = 0;
    while (*p >= TEXT('0') && *p <= TEXT('9')) {
        int d = *p++ - TEXT('0');
        n = n > (INT_MAX - d) / 10 ? INT_MAX : n * 10 + d;
    }
    return n;
}

// Pads a piece of `length` characters to the width: blanks in front, or
// behind with '-', or zeros in front with '0' (as the Microsoft runtime
// does for every conversion, strings included). Zeros go after a sign or
// prefix, so PadFront returns their count for the caller to place.
size_t PadFront(Sink &s, const Spec &spec, size_t length, bool zeroAllowed) {
    if ((spec.flags & FLAG_LEFT) || (size_t)spec.width <= length) return 0;
    size_t pad = (size_t)spec.width - length;
    if (zeroAllowed && (spec.flags & FLAG_ZERO)) return pad;
    Repeat(s, TEXT(' '), pad);
    return 0;
}

void PadBack(Sink &s, const Spec &spec, size_t length) {
    if ((spec.flags & FLAG_LEFT) && (size_t)spec.width > length) Repeat(s, TEXT(' '), (size_t)spec.width - length);
}

void FormatText(Sink &s, const Spec &spec, LPCWSTR text, const char *narrow) {
    size_t limit = spec.precision < 0 ? (size_t)-1 : (size_t)spec.precision;
    size_t length = 0;
    if (narrow) {
        while (length < limit && narrow[length]) ++length;
    } else {
        while (length < limit && text[length]) ++length;
    }
    Repeat(s, TEXT('0'), PadFront(s, spec, length, true));
    if (narrow) {
        for (size_t i = 0; i < length; ++i) Put(s, (WCHAR)(unsigned char)narrow[i]);
    } else {
        Write(s, text, length);
    }
    PadBack(s, spec, length);
}

void FormatInteger(Sink &s, const Spec &spec, uint64_t magnitude, bool negative, bool isSigned, unsigned base,
                   bool upper) {
    const char *digitSet = upper ? "0123456789ABCDEF" : "0123456789abcdef";
    WCHAR digits[24];
    size_t count = 0;
    for (uint64_t v = magnitude; v; v /= base) digits[count++] = (WCHAR)digitSet[v % base];
    size_t minDigits = spec.precision < 0 ? 1 : (size_t)spec.precision;
    size_t zeros = minDigits > count ? minDigits - count : 0;

    WCHAR prefix[2];
    size_t prefixLen = 0;
    if (isSigned) {
        if (negative) prefix[prefixLen++] = TEXT('-');
        else if (spec.flags & FLAG_PLUS) prefix[prefixLen++] = TEXT('+');
        else if (spec.flags & FLAG_SPACE) prefix[prefixLen++] = TEXT(' ');
    } else if (spec.flags & FLAG_ALT) {
        if (base == 16 && magnitude) {
            prefix[prefixLen++] = TEXT('0');
            prefix[prefixLen++] = upper ? TEXT('X') : TEXT('x');
        } else if (base == 8 && !zeros) {
            zeros = 1;  // octal's alternate form starts with a 0, even for 0 itself
        }
    }

    size_t length = prefixLen + zeros + count;
    // As in C, a precision turns the '0' flag off for integers.
    size_t zeroFill = PadFront(s, spec, length, spec.precision < 0);
    Write(s, prefix, prefixLen);
    Repeat(s, TEXT('0'), zeros + zeroFill);
    while (count) Put(s, digits[--count]);
    PadBack(s, spec, length);
}

// Reads the flags, width, precision and size of one conversion; `p` is just
// after the '%' and ends on the conversion character.
void ParseSpec(LPCWSTR &p, va_list &args, Spec &spec) {
    spec = Spec{0, 0, -1, SIZE_DEFAULT, false};
    for (;; ++p) {
        if (*p == TEXT('-')) spec.flags |= FLAG_LEFT;
        else if (*p == TEXT('0')) spec.flags |= FLAG_ZERO;
        else if (*p == TEXT('+')) spec.flags |= FLAG_PLUS;
        else if (*p == TEXT(' ')) spec.flags |= FLAG_SPACE;
        else if (*p == TEXT('#')) spec.flags |= FLAG_ALT;
        else break;
    }
    if (*p == TEXT('*')) {
        ++p;
        int w = va_arg(args, int);
        if (w < 0) {
            spec.flags |= FLAG_LEFT;
            w = w == INT_MIN ? INT_MAX : -w;
        }
        spec.width = w;
    } else {
        spec.width = ParseCount(p);
    }
    if (*p == TEXT('.')) {
        ++p;
        if (*p == TEXT('*')) {
            ++p;
            int prec = va_arg(args, int);
            spec.precision = prec < 0 ? -1 : prec;
        } else {
            spec.precision = ParseCount(p);
        }
    }
    if (*p == TEXT('h')) {
        ++p;
        spec.narrow = true;
        spec.size = SIZE_SHORT;
        if (*p == TEXT('h')) {
            ++p;
            spec.size = SIZE_CHAR;
        }
    } else if (*p == TEXT('l')) {
        ++p;
        spec.size = SIZE_LONG;
        if (*p == TEXT('l')) {
            ++p;
            spec.size = SIZE_64;
        }
    } else if (*p == TEXT('w')) {
        ++p;
    } else if (*p == TEXT('I')) {
        ++p;
        if (p[0] == TEXT('6') && p[1] == TEXT('4')) {
            p += 2;
            spec.size = SIZE_64;
        } else if (p[0] == TEXT('3') && p[1] == TEXT('2')) {
            p += 2;
            spec.size = SIZE_LONG;
        } else {
            spec.size = SIZE_PTR;
        }
    }
}

uint64_t FetchUnsigned(va_list &args, Size size) {
    switch (size) {
        case SIZE_64:
            return va_arg(args, unsigned long long);
        case SIZE_PTR:
            return va_arg(args, size_t);
        case SIZE_SHORT:
            return (unsigned short)va_arg(args, unsigned int);
        case SIZE_CHAR:
            return (unsigned char)va_arg(args, unsigned int);
        default:
            return va_arg(args, unsigned int);
    }
}

int64_t FetchSigned(va_list &args, Size size) {
    switch (size) {
        case SIZE_64:
            return va_arg(args, long long);
        case SIZE_PTR:
            return (int64_t)va_arg(args, ptrdiff_t);
        case SIZE_SHORT:
            return (short)va_arg(args, int);
        case SIZE_CHAR:
            return (signed char)va_arg(args, int);
        default:
            return va_arg(args, int);
    }
}

}  // namespace

size_t FormatV(LPWSTR out, size_t capacity, LPCWSTR format, va_list args) {
    if (!out) capacity = 0;
    Sink s{out, capacity ? capacity - 1 : 0, 0};
    va_list ap;
    va_copy(ap, args);
    for (LPCWSTR p = format ? format : TEXT(""); *p; ++p) {
        if (*p != TEXT('%')) {
            Put(s, *p);
            continue;
        }
        LPCWSTR start = p++;
        Spec spec;
        ParseSpec(p, ap, spec);
        WCHAR conv = *p;
        if (conv == TEXT('d') || conv == TEXT('i')) {
            int64_t v = FetchSigned(ap, spec.size);
            uint64_t magnitude = v < 0 ? 0 - (uint64_t)v : (uint64_t)v;
            FormatInteger(s, spec, magnitude, v < 0, true, 10, false);
        } else if (conv == TEXT('u') || conv == TEXT('x') || conv == TEXT('X') || conv == TEXT('o')) {
            unsigned base = conv == TEXT('u') ? 10 : conv == TEXT('o') ? 8 : 16;
            FormatInteger(s, spec, FetchUnsigned(ap, spec.size), false, false, base, conv == TEXT('X'));
        } else if (conv == TEXT('p')) {
            // Windows shows a pointer as all its hex digits, upper case.
            spec.precision = (int)(2 * sizeof(void *));
            spec.flags &= ~(unsigned)FLAG_ALT;
            FormatInteger(s, spec, (uint64_t)(uintptr_t)va_arg(ap, void *), false, false, 16, true);
        } else if (conv == TEXT('s')) {
            if (spec.narrow) {
                const char *text = va_arg(ap, const char *);
                FormatText(s, spec, nullptr, text ? text : "(null)");
            } else {
                LPCWSTR text = va_arg(ap, LPCWSTR);
                FormatText(s, spec, text ? text : TEXT("(null)"), nullptr);
            }
        } else if (conv == TEXT('c')) {
            int v = va_arg(ap, int);
            WCHAR c = spec.narrow ? (WCHAR)(unsigned char)v : (WCHAR)v;
            // A precision does not cut a character, and a NUL still counts.
            Repeat(s, TEXT('0'), PadFront(s, spec, 1, true));
            Put(s, c);
            PadBack(s, spec, 1);
        } else if (conv == TEXT('%')) {
            Put(s, TEXT('%'));
        } else {
            // Unknown or cut short: the text stands as written.
            if (!conv) {
                Write(s, start, (size_t)(p - start));
                break;
            }
            Write(s, start, (size_t)(p - start) + 1);
        }
    }
    va_end(ap);
    if (capacity) out[s.len < capacity ? s.len : capacity - 1] = 0;
    return s.len;
}

size_t Format(LPWSTR out, size_t capacity, LPCWSTR format, ...) {
    va_list args;
    va_start(args, format);
    size_t len = FormatV(out, capacity, format, args);
    va_end(args);
    return len;
}
