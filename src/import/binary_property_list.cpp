// .itermcolors files saved as binary property lists ("bplist00"), read into
// the same conversion as the XML form.
//
// The layout: the 8-byte header, the objects, a table of each object's
// offset, and a 32-byte trailer (6 unused bytes and a sort version, the
// byte widths of an offset and of an object reference, then the number of
// objects, the top object and where the offset table starts, 8 bytes each,
// big-endian). An object starts with a marker byte: its type in the high
// nibble, its size or count in the low one, where 15 means that an integer
// object with the count follows. A dictionary holds the references of its
// keys, then those of its values.
//
// Nothing here walks the object graph: the trailer, the offset table and
// every object's extent are checked first, each in constant time, then only
// what the conversion asks for is read (the top dictionary, a colour's
// dictionary, its components), each reference checked as it is followed. A
// reference that points back (a colour that is the top dictionary, or holds
// itself) is only ever one more lookup, so shared objects and cycles cost
// nothing extra and the time stays linear in the file.
#include <cstring>

#include "../base/base.h"
#include "import.h"

namespace {

constexpr BYTE MAGIC[] = {'b', 'p', 'l', 'i', 's', 't'};
constexpr size_t HEADER_SIZE = 8;
constexpr size_t TRAILER_SIZE = 32;

// Marker types (the high nibble).
enum : BYTE {
    TYPE_SIMPLE = 0x0,  // null, booleans, fill
    TYPE_INTEGER = 0x1,
    TYPE_REAL = 0x2,
    TYPE_DATE = 0x3,
    TYPE_DATA = 0x4,
    TYPE_ASCII = 0x5,
    TYPE_UTF16 = 0x6,
    TYPE_UID = 0x8,
    TYPE_ARRAY = 0xA,
    TYPE_SET = 0xC,
    TYPE_DICTIONARY = 0xD,
};

struct BinaryList {
    const BYTE *bytes;
    size_t tableStart;  // where the offset table starts, the objects' end
    ULONGLONG objectCount;
    UINT offsetSize;
    UINT refSize;
    ULONGLONG top;
    LPWSTR error;
};

// One object's marker and extent: `count` elements (bytes of data, units of
// a string, references of a container) from `start`.
struct Object {
    BYTE type;
    BYTE info;  // the low nibble
    size_t offset;
    size_t start;
    ULONGLONG count;
};

ULONGLONG ReadBigEndian(const BYTE *bytes, UINT width) {
    ULONGLONG value = 0;
    for (UINT i = 0; i < width; ++i) value = value << 8 | bytes[i];
    return value;
}

bool IsWidth(UINT width) {
    return width == 1 || width == 2 || width == 4 || width == 8;
}

bool Refuse(const BinaryList *list, const char *reason, size_t where) {
    ReportParseError(list->error, TEXT("not a valid binary property list: %s (at byte %u)"), reason,
                     static_cast<unsigned>(where));
    return false;
}

// The bytes one element of an object of `type` takes; 0 where the count is
// not a number of elements.
ULONGLONG ElementSize(const BinaryList *list, BYTE type) {
    switch (type) {
        case TYPE_DATA:
        case TYPE_ASCII:
            return 1;
        case TYPE_UTF16:
            return 2;
        case TYPE_ARRAY:
        case TYPE_SET:
            return list->refSize;
        case TYPE_DICTIONARY:
            return 2ull * list->refSize;
        default:
            return 0;
    }
}

// The object at `offset`, its extent checked against the objects' end.
bool ReadObject(const BinaryList *list, size_t offset, Object *object) {
    const BYTE *bytes = list->bytes;
    size_t end = list->tableStart;
    object->offset = offset;
    object->type = bytes[offset] >> 4;
    object->info = bytes[offset] & 0xF;
    object->start = offset + 1;
    object->count = object->info;
    ULONGLONG size = 0;
    switch (object->type) {
        case TYPE_SIMPLE:
            break;
        case TYPE_INTEGER:
        case TYPE_REAL:
            if (object->info > 4 || (object->type == TYPE_REAL && object->info < 2)) {
                return Refuse(list, "a number of an odd size", offset);
            }
            size = 1ull << object->info;
            break;
        case TYPE_DATE:
            size = 8;
            break;
        case TYPE_UID:
            size = object->info + 1ull;
            break;
        case TYPE_DATA:
        case TYPE_ASCII:
        case TYPE_UTF16:
        case TYPE_ARRAY:
        case TYPE_SET:
        case TYPE_DICTIONARY: {
            if (object->info == 0xF) {
                // The count is an integer object of its own.
                if (object->start >= end || bytes[object->start] >> 4 != TYPE_INTEGER ||
                    (bytes[object->start] & 0xF) > 3) {
                    return Refuse(list, "an object's count is not an integer", offset);
                }
                UINT width = 1u << (bytes[object->start] & 0xF);
                if (end - object->start - 1 < width)
                    return Refuse(list, "an object runs past the objects' end", offset);
                object->count = ReadBigEndian(bytes + object->start + 1, width);
                object->start += 1 + width;
            }
            ULONGLONG element = ElementSize(list, object->type);
            if (object->start > end || object->count > (end - object->start) / element) {
                return Refuse(list, "an object runs past the objects' end", offset);
            }
            size = object->count * element;
            break;
        }
        default:
            return Refuse(list, "an object of an unknown type", offset);
    }
    if (object->start > end || size > end - object->start) {
        return Refuse(list, "an object runs past the objects' end", offset);
    }
    return true;
}

// The object that `index` names in the offset table (every offset was
// checked when the list was opened).
bool ObjectAt(const BinaryList *list, ULONGLONG index, size_t referrer, Object *object) {
    if (index >= list->objectCount) return Refuse(list, "a reference to no object", referrer);
    const BYTE *entry = list->bytes + list->tableStart + index * list->offsetSize;
    return ReadObject(list, static_cast<size_t>(ReadBigEndian(entry, list->offsetSize)), object);
}

// Unit `i` of a string object, widened.
WCHAR StringUnit(const BinaryList *list, const Object *string, ULONGLONG i) {
    const BYTE *at = list->bytes + string->start;
    if (string->type == TYPE_ASCII) return at[i];
    return static_cast<WCHAR>(at[2 * i] << 8 | at[2 * i + 1]);
}

bool IsString(const Object *object) {
    return object->type == TYPE_ASCII || object->type == TYPE_UTF16;
}

// True when the string object's units from `from` are the ASCII `text`.
bool StringEndsWith(const BinaryList *list, const Object *string, ULONGLONG from, const char *text) {
    size_t length = strlen(text);
    if (!IsString(string) || string->count < from || string->count - from != length) return false;
    for (size_t i = 0; i < length; ++i) {
        if (StringUnit(list, string, from + i) != static_cast<BYTE>(text[i])) return false;
    }
    return true;
}

enum Lookup { LOOKUP_FOUND, LOOKUP_MISSING, LOOKUP_BROKEN };

// The value under the key `key` in `dict`, the first when it repeats.
Lookup ValueOf(const BinaryList *list, const Object *dict, const char *key, Object *value) {
    const BYTE *refs = list->bytes + dict->start;
    for (ULONGLONG i = 0; i < dict->count; ++i) {
        Object keyObject;
        if (!ObjectAt(list, ReadBigEndian(refs + i * list->refSize, list->refSize), dict->offset, &keyObject)) {
            return LOOKUP_BROKEN;
        }
        if (!StringEndsWith(list, &keyObject, 0, key)) continue;
        ULONGLONG ref = ReadBigEndian(refs + (dict->count + i) * list->refSize, list->refSize);
        return ObjectAt(list, ref, dict->offset, value) ? LOOKUP_FOUND : LOOKUP_BROKEN;
    }
    return LOOKUP_MISSING;
}

// An integer or real object's value; false for any other object, a 16-byte
// integer and a real that is not a number.
bool NumberOf(const BinaryList *list, const Object *object, double *number) {
    const BYTE *at = list->bytes + object->start;
    if (object->type == TYPE_INTEGER && object->info <= 3) {
        ULONGLONG value = ReadBigEndian(at, 1u << object->info);
        // Only the 8-byte form is signed.
        *number = object->info == 3 ? static_cast<double>(static_cast<LONGLONG>(value)) : static_cast<double>(value);
        return true;
    }
    if (object->type != TYPE_REAL) return false;
    if (object->info == 2) {
        auto bits = static_cast<DWORD>(ReadBigEndian(at, 4));
        float value;
        memcpy(&value, &bits, sizeof value);
        *number = value;
    } else if (object->info == 3) {
        ULONGLONG bits = ReadBigEndian(at, 8);
        memcpy(number, &bits, sizeof *number);
    } else {
        return false;
    }
    return *number == *number;
}

// A string object as UTF-8 into `out` (`capacity` bytes with its NUL), cut
// where it does not fit.
void StringText(const BinaryList *list, const Object *string, char *out, size_t capacity) {
    WCHAR units[PLIST_SPACE_SIZE];
    size_t length = string->count < PLIST_SPACE_SIZE - 1 ? static_cast<size_t>(string->count) : PLIST_SPACE_SIZE - 1;
    for (size_t i = 0; i < length; ++i) units[i] = StringUnit(list, string, i);
    size_t written = Utf16ToUtf8(units, length, out, capacity - 1);
    out[written < capacity - 1 ? written : capacity - 1] = 0;
}

bool TopDictionary(const BinaryList *list, Object *top) {
    return ObjectAt(list, list->top, list->tableStart, top);
}

PlistLookup FindBinaryColor(const void *context, const char *key, PlistColor *color) {
    const auto *list = static_cast<const BinaryList *>(context);
    Object top, value;
    if (!TopDictionary(list, &top)) return PLIST_LIST_BROKEN;
    Lookup found = ValueOf(list, &top, key, &value);
    if (found != LOOKUP_FOUND) return found == LOOKUP_MISSING ? PLIST_MISSING : PLIST_LIST_BROKEN;
    if (value.type != TYPE_DICTIONARY) return PLIST_NOT_A_COLOR;
    const char *const components[3] = {"Red Component", "Green Component", "Blue Component"};
    Object component;
    for (int i = 0; i < 3; ++i) {
        found = ValueOf(list, &value, components[i], &component);
        if (found == LOOKUP_BROKEN) return PLIST_LIST_BROKEN;
        if (found == LOOKUP_MISSING || !NumberOf(list, &component, &color->rgb[i])) return PLIST_NOT_A_COLOR;
    }
    color->space[0] = 0;
    found = ValueOf(list, &value, "Color Space", &component);
    if (found == LOOKUP_BROKEN) return PLIST_LIST_BROKEN;
    if (found == LOOKUP_FOUND) {
        if (!IsString(&component)) return PLIST_NOT_A_COLOR;
        StringText(list, &component, color->space, PLIST_SPACE_SIZE);
    }
    return PLIST_FOUND;
}

bool BinaryHasVariants(const void *context) {
    const auto *list = static_cast<const BinaryList *>(context);
    Object top, key;
    if (!TopDictionary(list, &top)) return false;
    const BYTE *refs = list->bytes + top.start;
    for (ULONGLONG i = 0; i < top.count; ++i) {
        if (!ObjectAt(list, ReadBigEndian(refs + i * list->refSize, list->refSize), top.offset, &key)) return false;
        if (IsString(&key) && key.count > 8 && StringEndsWith(list, &key, key.count - 8, " (Light)")) return true;
    }
    return false;
}

// Checks the trailer, the offset table and each object's extent, then that
// the top object is a dictionary; false with the error set otherwise.
bool OpenBinaryList(const BYTE *bytes, size_t size, BinaryList *list) {
    if (size < HEADER_SIZE + 1 + TRAILER_SIZE) return Refuse(list, "too short", 0);
    if (bytes[6] != '0' || bytes[7] != '0') return Refuse(list, "a version other than 00", 6);
    const BYTE *trailer = bytes + size - TRAILER_SIZE;
    size_t trailerStart = size - TRAILER_SIZE;
    list->bytes = bytes;
    list->offsetSize = trailer[6];
    list->refSize = trailer[7];
    list->objectCount = ReadBigEndian(trailer + 8, 8);
    list->top = ReadBigEndian(trailer + 16, 8);
    ULONGLONG tableStart = ReadBigEndian(trailer + 24, 8);
    if (!IsWidth(list->offsetSize) || !IsWidth(list->refSize)) {
        return Refuse(list, "offsets or references of an odd size", trailerStart + 6);
    }
    if (tableStart <= HEADER_SIZE || tableStart > trailerStart) {
        return Refuse(list, "the offset table is outside the file", trailerStart + 24);
    }
    list->tableStart = static_cast<size_t>(tableStart);
    if (list->objectCount == 0 || list->objectCount > (trailerStart - list->tableStart) / list->offsetSize) {
        return Refuse(list, "more objects than the offset table holds", trailerStart + 8);
    }
    if (list->top >= list->objectCount) return Refuse(list, "the top object is not in the list", trailerStart + 16);
    for (ULONGLONG i = 0; i < list->objectCount; ++i) {
        size_t entry = list->tableStart + static_cast<size_t>(i) * list->offsetSize;
        ULONGLONG offset = ReadBigEndian(bytes + entry, list->offsetSize);
        if (offset < HEADER_SIZE || offset >= list->tableStart) {
            return Refuse(list, "an object's offset is outside the objects", entry);
        }
        Object object;
        if (!ReadObject(list, static_cast<size_t>(offset), &object)) return false;
    }
    Object top;
    if (!TopDictionary(list, &top)) return false;
    if (top.type != TYPE_DICTIONARY) return Refuse(list, "the top object is not a dictionary", top.offset);
    // Its keys are all looked at for the variants, and its values once each.
    for (ULONGLONG i = 0; i < 2 * top.count; ++i) {
        if (ReadBigEndian(bytes + top.start + i * list->refSize, list->refSize) >= list->objectCount) {
            return Refuse(list, "a reference to no object", top.offset);
        }
    }
    return true;
}

}  // namespace

ImportResult ReadBinaryPropertyListSchemes(const char *bytes, size_t size, LPCWSTR fileName, const SchemeSink *sink,
                                           LPWSTR error) {
    const auto *data = reinterpret_cast<const BYTE *>(bytes);
    if (size < sizeof MAGIC || memcmp(data, MAGIC, sizeof MAGIC) != 0) return IMPORT_NOT_THIS_FORMAT;
    BinaryList list = BinaryList();
    list.error = error;
    if (!OpenBinaryList(data, size, &list)) return IMPORT_BAD_FILE;
    const PlistAccess access = {&list, FindBinaryColor, BinaryHasVariants};
    return ReadPlistColors(&access, fileName, sink, error);
}
