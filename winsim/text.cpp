// Text: the UTF-16, UTF-8 and path conversions used across winsim, and
// the code pages programs convert with.
#include "files_state.h"
#include "machine.h"
#include "text_conversions.h"

using namespace winsim;

namespace winsim {

namespace {

// Length of the sequence a lead byte starts, 0 for a byte that cannot lead.
int SequenceLength(unsigned char lead) {
    if (lead < 0x80) return 1;
    if (lead >= 0xC2 && lead <= 0xDF) return 2;
    if (lead >= 0xE0 && lead <= 0xEF) return 3;
    if (lead >= 0xF0 && lead <= 0xF4) return 4;
    return 0;
}

void AppendCodePoint(std::u16string &out, uint32_t c) {
    if (c < 0x10000) {
        out.push_back(static_cast<char16_t>(c));
    } else {
        c -= 0x10000;
        out.push_back(static_cast<char16_t>(0xD800 + (c >> 10)));
        out.push_back(static_cast<char16_t>(0xDC00 + (c & 0x3FF)));
    }
}

struct CodePages {
    UINT ansiCodePage = 1252;
    UINT oemCodePage = 437;
};

CodePages &State() {
    return AreaState<CodePages>();
}

// Code page 1252 at 0x80-0x9F; the five bytes it leaves unassigned map to
// the C1 control of the same value, as Windows' table does. 0xA0-0xFF are
// Latin-1.
const char16_t kWindows1252[32] = {0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                   0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
                                   0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                   0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

int To1252(char16_t c) {
    if (c < 0x80 || (c >= 0xA0 && c <= 0xFF)) return c;
    for (int i = 0; i < 32; ++i) {
        if (kWindows1252[i] == c) return 0x80 + i;
    }
    return -1;
}

// Windows' best fit into code page 1252 for Latin Extended-A (U+0100 to
// U+017F): a letter becomes its base letter (0: none, the default char).
// Windows' table goes on past this block (other Latin letters, symbols,
// fullwidth forms); winsim carries only the commonest letters, and the
// plugin itself converts to UTF-8 alone.
const unsigned char kBestFit1252[128] = {
    0x41, 0x61, 0x41, 0x61, 0x41, 0x61, 0x43, 0x63, 0x43, 0x63, 0x43, 0x63, 0x43, 0x63, 0x44, 0x64, 0xD0, 0x64, 0x45,
    0x65, 0x45, 0x65, 0x45, 0x65, 0x45, 0x65, 0x45, 0x65, 0x47, 0x67, 0x47, 0x67, 0x47, 0x67, 0x47, 0x67, 0x48, 0x68,
    0x48, 0x68, 0x49, 0x69, 0x49, 0x69, 0x49, 0x69, 0x49, 0x69, 0x49, 0x69, 0x00, 0x00, 0x4A, 0x6A, 0x4B, 0x6B, 0x00,
    0x4C, 0x6C, 0x4C, 0x6C, 0x4C, 0x6C, 0x00, 0x00, 0x4C, 0x6C, 0x4E, 0x6E, 0x4E, 0x6E, 0x4E, 0x6E, 0x00, 0x00, 0x00,
    0x4F, 0x6F, 0x4F, 0x6F, 0x4F, 0x6F, 0x00, 0x00, 0x52, 0x72, 0x52, 0x72, 0x52, 0x72, 0x53, 0x73, 0x53, 0x73, 0x53,
    0x73, 0x00, 0x00, 0x54, 0x74, 0x54, 0x74, 0x54, 0x74, 0x55, 0x75, 0x55, 0x75, 0x55, 0x75, 0x55, 0x75, 0x55, 0x75,
    0x55, 0x75, 0x57, 0x77, 0x59, 0x79, 0x00, 0x5A, 0x7A, 0x5A, 0x7A, 0x00, 0x00, 0x00,
};

// A character's byte in 1252, or with best fit allowed its nearest; -1 when
// there is neither.
int To1252Fitting(char16_t c, bool bestFit) {
    int byte = To1252(c);
    if (byte >= 0 || !bestFit || c < 0x100 || c >= 0x180) return byte;
    return kBestFit1252[c - 0x100] ? kBestFit1252[c - 0x100] : -1;
}

UINT Resolve(UINT codePage) {
    if (codePage == CP_ACP || codePage == CP_THREAD_ACP) return State().ansiCodePage;
    if (codePage == CP_OEMCP) return State().oemCodePage;
    return codePage;
}

bool Known(UINT codePage) {
    return codePage == CP_UTF8 || codePage == 1252;
}

bool IsHigh(char16_t c) {
    return c >= 0xD800 && c <= 0xDBFF;
}
bool IsLow(char16_t c) {
    return c >= 0xDC00 && c <= 0xDFFF;
}

// One UTF-8 character from `bytes`: its code point, or -1 for an ill-formed
// sequence, whose maximal valid prefix (at least one byte) is consumed.
long DecodeOne(const unsigned char *bytes, size_t length, size_t *used) {
    unsigned char b0 = bytes[0];
    *used = 1;
    if (b0 < 0x80) return b0;
    int count;
    unsigned char low = 0x80, high = 0xBF;
    if (b0 >= 0xC2 && b0 <= 0xDF) {
        count = 1;
    } else if (b0 >= 0xE0 && b0 <= 0xEF) {
        count = 2;
        if (b0 == 0xE0) low = 0xA0;
        if (b0 == 0xED) high = 0x9F;
    } else if (b0 >= 0xF0 && b0 <= 0xF4) {
        count = 3;
        if (b0 == 0xF0) low = 0x90;
        if (b0 == 0xF4) high = 0x8F;
    } else {
        return -1;
    }
    long value = b0 & (0x3F >> count);
    for (int k = 1; k <= count; ++k) {
        if (static_cast<size_t>(k) >= length) return -1;
        unsigned char next = bytes[k];
        if (next < (k == 1 ? low : 0x80) || next > (k == 1 ? high : 0xBF)) return -1;
        value = (value << 6) | (next & 0x3F);
        *used = k + 1;
    }
    return value;
}

// UTF-8 of `count` units, lone surrogates as U+FFFD as Windows makes them.
// Whole characters are written while they fit in `size` bytes; the result
// is the length of the whole conversion.
size_t EncodeUtf8(const char16_t *text, size_t count, char *out, size_t size) {
    size_t done = 0;
    for (size_t i = 0; i < count; ++i) {
        uint32_t c = text[i];
        if (c < 0x80) {
            if (done < size) out[done] = static_cast<char>(c);
            ++done;
            continue;
        }
        if (IsHigh(text[i]) && i + 1 < count && IsLow(text[i + 1])) {
            c = 0x10000 + ((c - 0xD800) << 10) + (text[++i] - 0xDC00);
        } else if (IsHigh(text[i]) || IsLow(text[i])) {
            c = 0xFFFD;
        }
        char bytes[4];
        size_t n = c < 0x800 ? 2 : c < 0x10000 ? 3 : 4;
        for (size_t k = n - 1; k > 0; --k, c >>= 6) bytes[k] = static_cast<char>(0x80 | (c & 0x3F));
        bytes[0] = static_cast<char>((n == 2 ? 0xC0 : n == 3 ? 0xE0 : 0xF0) | c);
        if (done + n <= size) {
            for (size_t k = 0; k < n; ++k) out[done + k] = bytes[k];
        } else {
            size = done;  // nothing after a character that did not fit
        }
        done += n;
    }
    return done;
}

// The conversion's result into the caller's buffer, by Windows' rules: a
// size of 0 asks for the length needed; too small a buffer is an error.
template <typename Unit>
int Deliver(const std::basic_string<Unit> &result, Unit *out, int size) {
    if (size == 0) return static_cast<int>(result.size());
    if (result.size() > static_cast<size_t>(size)) {
        result.copy(out, static_cast<size_t>(size));
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return 0;
    }
    result.copy(out, result.size());
    return static_cast<int>(result.size());
}

}  // namespace

// UTF-16, UTF-8 and path conversions used across winsim.
std::u16string Str(LPCWSTR text) {
    return text ? std::u16string(text) : std::u16string();
}

std::string Utf8(const std::u16string &text) {
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        uint32_t c = text[i];
        if (c >= 0xD800 && c <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF) {
            c = 0x10000 + ((c - 0xD800) << 10) + (text[i + 1] - 0xDC00);
            ++i;
        } else if (c >= 0xD800 && c <= 0xDFFF) {
            c = 0xFFFD;  // a lone surrogate has no UTF-8 form
        }
        if (c < 0x80) {
            out.push_back(static_cast<char>(c));
        } else if (c < 0x800) {
            out.push_back(static_cast<char>(0xC0 | (c >> 6)));
            out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
        } else if (c < 0x10000) {
            out.push_back(static_cast<char>(0xE0 | (c >> 12)));
            out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
        } else {
            out.push_back(static_cast<char>(0xF0 | (c >> 18)));
            out.push_back(static_cast<char>(0x80 | ((c >> 12) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
        }
    }
    return out;
}

std::u16string FromUtf8(const std::string &input, std::string *pending) {
    std::string bytes = pending ? *pending + input : input;
    if (pending) pending->clear();
    std::u16string out;
    size_t i = 0;
    while (i < bytes.size()) {
        unsigned char lead = static_cast<unsigned char>(bytes[i]);
        int length = SequenceLength(lead);
        if (length == 0) {
            out.push_back(0xFFFD);
            ++i;
            continue;
        }
        if (i + length > bytes.size()) {
            bool prefixValid = true;
            for (size_t k = i + 1; k < bytes.size(); ++k) prefixValid &= (bytes[k] & 0xC0) == 0x80;
            if (pending && prefixValid) {
                *pending = bytes.substr(i);
                return out;
            }
            out.push_back(0xFFFD);
            ++i;
            continue;
        }
        uint32_t c = length == 1 ? lead : lead & (0x7F >> length);
        bool valid = true;
        for (int k = 1; k < length; ++k) {
            unsigned char next = static_cast<unsigned char>(bytes[i + k]);
            valid &= (next & 0xC0) == 0x80;
            c = (c << 6) | (next & 0x3F);
        }
        bool overlong = (length == 3 && c < 0x800) || (length == 4 && (c < 0x10000 || c > 0x10FFFF));
        if (!valid || overlong || (c >= 0xD800 && c <= 0xDFFF)) {
            out.push_back(0xFFFD);
            ++i;
            continue;
        }
        AppendCodePoint(out, c);
        i += length;
    }
    return out;
}

std::u16string Widen(const std::string &ascii) {
    return FromUtf8(ascii);
}

std::u16string LowerAscii(std::u16string text) {
    for (char16_t &c : text) {
        if (c >= u'A' && c <= u'Z') c = static_cast<char16_t>(c + 32);
    }
    return text;
}

bool EqualNoCase(const std::u16string &a, const std::u16string &b) {
    return LowerAscii(a) == LowerAscii(b);
}

std::string LinuxPath(LPCWSTR name) {
    std::string path = Utf8(Str(name));
    // "\\?\" only asks Windows to take the rest as it stands; the volume
    // GUID name that may follow it stands for the root.
    if (path.compare(0, 4, "\\\\?\\") == 0) {
        path.erase(0, 4);
        if (path.compare(0, sizeof kVolumeGuidName - 1, kVolumeGuidName) == 0)
            path.erase(0, sizeof kVolumeGuidName - 1);
    }
    for (char &c : path) {
        if (c == '\\') c = '/';
    }
    return path;
}

DWORD CopyTruncated(const std::u16string &text, LPWSTR buffer, DWORD size) {
    if (!buffer || size == 0) return 0;
    DWORD count = text.size() < size ? static_cast<DWORD>(text.size()) : size - 1;
    for (DWORD i = 0; i < count; ++i) buffer[i] = text[i];
    buffer[count] = 0;
    return count;
}

// Code pages: the ANSI and OEM code pages (settable; a Western Windows by
// default) and the conversions for UTF-8 and code page 1252, with Windows'
// argument checks, flags and return rules. Other code pages are unknown to
// winsim and refused as Windows refuses a code page it does not have.
bool EncodeInCodePage(UINT codePage, const std::u16string &text, std::string *out) {
    out->clear();
    if (codePage == CP_UTF8) {
        *out = Utf8(text);
        return true;
    }
    for (size_t i = 0; i < text.size(); ++i) {
        int byte = codePage == 1252 ? To1252(text[i]) : (text[i] < 0x80 ? text[i] : -1);
        out->push_back(byte < 0 ? '?' : static_cast<char>(byte));
        if (IsHigh(text[i]) && i + 1 < text.size() && IsLow(text[i + 1])) ++i;
    }
    return codePage == 1252;
}

}  // namespace winsim

WINSIM_API UINT WINAPI GetACP(void) {
    sim::ShouldFail("GetACP");  // cannot fail; counted all the same
    return State().ansiCodePage;
}

WINSIM_API UINT WINAPI GetOEMCP(void) {
    sim::ShouldFail("GetOEMCP");
    return State().oemCodePage;
}

WINSIM_API int WINAPI WideCharToMultiByte(UINT codePage, DWORD flags, LPCWSTR text, int length, LPSTR out, int size,
                                          LPCSTR defaultChar, LPBOOL usedDefault) {
    if (sim::ShouldFail("WideCharToMultiByte")) return 0;
    UINT page = Resolve(codePage);
    if (!text || length == 0 || length < -1 || size < 0 || (size > 0 && !out) ||
        (out && static_cast<const void *>(out) == static_cast<const void *>(text)) || !Known(page)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    if (page == CP_UTF8) {
        if (flags & ~static_cast<DWORD>(WC_ERR_INVALID_CHARS)) {
            SetLastError(ERROR_INVALID_FLAGS);
            return 0;
        }
        if (defaultChar || usedDefault) {
            SetLastError(ERROR_INVALID_PARAMETER);
            return 0;
        }
    }
    size_t count = length == -1 ? std::char_traits<char16_t>::length(text) + 1 : static_cast<size_t>(length);
    if (page == CP_UTF8 && (flags & WC_ERR_INVALID_CHARS)) {
        for (size_t i = 0; i < count; ++i) {
            bool paired = IsHigh(text[i]) && i + 1 < count && IsLow(text[i + 1]);
            if (paired) {
                ++i;
            } else if (IsHigh(text[i]) || IsLow(text[i])) {
                SetLastError(ERROR_NO_UNICODE_TRANSLATION);
                return 0;
            }
        }
    }
    if (page == CP_UTF8) {
        size_t needed = EncodeUtf8(text, count, out, static_cast<size_t>(size));
        if (size > 0 && needed > static_cast<size_t>(size)) {
            SetLastError(ERROR_INSUFFICIENT_BUFFER);
            return 0;
        }
        return static_cast<int>(needed);
    }
    std::string result;
    char fallback = defaultChar ? defaultChar[0] : '?';
    bool used = false;
    for (size_t i = 0; i < count; ++i) {
        int byte = To1252Fitting(text[i], !(flags & WC_NO_BEST_FIT_CHARS));
        used |= byte < 0;
        result.push_back(byte < 0 ? fallback : static_cast<char>(byte));
    }
    if (usedDefault) *usedDefault = used;
    return Deliver(result, out, size);
}

WINSIM_API int WINAPI MultiByteToWideChar(UINT codePage, DWORD flags, LPCSTR bytes, int length, LPWSTR out, int size) {
    if (sim::ShouldFail("MultiByteToWideChar")) return 0;
    UINT page = Resolve(codePage);
    if (!bytes || length == 0 || length < -1 || size < 0 || (size > 0 && !out) ||
        (out && static_cast<const void *>(out) == static_cast<const void *>(bytes)) || !Known(page)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    if (page == CP_UTF8 && (flags & ~static_cast<DWORD>(MB_ERR_INVALID_CHARS))) {
        SetLastError(ERROR_INVALID_FLAGS);
        return 0;
    }
    size_t count = 0;
    if (length == -1) {
        while (bytes[count]) ++count;
        ++count;
    } else {
        count = static_cast<size_t>(length);
    }
    const unsigned char *data = reinterpret_cast<const unsigned char *>(bytes);
    std::u16string result;
    for (size_t i = 0; i < count;) {
        if (page != CP_UTF8) {
            unsigned char b = data[i++];
            result.push_back(b >= 0x80 && b < 0xA0 ? kWindows1252[b - 0x80] : b);
            continue;
        }
        size_t used = 1;
        long value = DecodeOne(data + i, count - i, &used);
        i += used;
        if (value < 0) {
            if (flags & MB_ERR_INVALID_CHARS) {
                SetLastError(ERROR_NO_UNICODE_TRANSLATION);
                return 0;
            }
            result.push_back(0xFFFD);
        } else if (value >= 0x10000) {
            result.push_back(static_cast<char16_t>(0xD800 + ((value - 0x10000) >> 10)));
            result.push_back(static_cast<char16_t>(0xDC00 + ((value - 0x10000) & 0x3FF)));
        } else {
            result.push_back(static_cast<char16_t>(value));
        }
    }
    return Deliver(result, out, size);
}

void winsim::ResetCodePages() {
    State() = CodePages();
}

namespace sim {

void SetAnsiCodePage(UINT codePage) {
    State().ansiCodePage = codePage;
}

void SetOemCodePage(UINT codePage) {
    State().oemCodePage = codePage;
}

}  // namespace sim
