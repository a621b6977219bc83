// UTF-16, UTF-8 and path conversions used across winsim.
#include "world.h"

namespace winsim {

std::u16string Str(LPCWSTR text) { return text ? std::u16string(text) : std::u16string(); }

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

}  // namespace

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

std::u16string Widen(const std::string &ascii) { return FromUtf8(ascii); }

std::u16string LowerAscii(std::u16string text) {
    for (char16_t &c : text) {
        if (c >= u'A' && c <= u'Z') c = static_cast<char16_t>(c + 32);
    }
    return text;
}

bool EqualNoCase(const std::u16string &a, const std::u16string &b) { return LowerAscii(a) == LowerAscii(b); }

std::string LinuxPath(LPCWSTR name) {
    std::string path = Utf8(Str(name));
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

}  // namespace winsim
