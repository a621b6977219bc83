// Reading a YAML text's first document from libyaml's events: the values
// of the keys a scheme is made of, and a table of anchors for the aliases
// that name them. Memory stays with the parser's one node at a time, the
// anchors (their names and what is kept of their scalars) and a few
// kilobytes of values.
#include <yaml.h>

#include <cstring>

#include "../base/base.h"
#include "yaml_events.h"

namespace {

const char *const NAMED_KEYS[YAML_KEY_BASE] = {"name", "scheme", "system", "palette", "background", "foreground"};

int HexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    return c >= 'A' && c <= 'F' ? c - 'A' + 10 : -1;
}

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

// A node as the walk sees it: a scalar with its text, a collection opened,
// or what an alias stands for.
struct Node {
    YamlKind kind;
    const char *text;  // a scalar's first `kept` bytes
    size_t kept;
    size_t length;  // more than `kept` when the rest was not kept
    DWORD anchor;   // an alias's anchor record, else 0
};

// ---- anchors ----
// Every anchor of the document, as records one after another in one block
// (kind, whether the text was cut, the kept length in 2 bytes, the name
// and its NUL, a scalar's kept text), found through a hash table of their
// offsets + 1. A slot keeps its name's hash, so that a probe passing other
// names rarely reads their records, which lie all over the block.

constexpr size_t RECORD_HEAD = 4;

struct AnchorSlot {
    DWORD record;  // 0: free
    DWORD hash;
};

struct Anchors {
    char *bytes;
    size_t used;
    size_t capacity;
    AnchorSlot *slots;  // a power of two, at most half full
    DWORD slotCount;
    DWORD count;
};

const char *RecordName(const Anchors *anchors, DWORD record) {
    return anchors->bytes + (record - 1) + RECORD_HEAD;
}

DWORD HashAnchor(const char *name) {
    DWORD hash = HashStart();
    for (; *name; ++name) hash = HashByte(hash, static_cast<BYTE>(*name));
    return HashFinish(hash);
}

// The slot of `name`, or the free slot where it belongs.
AnchorSlot *Probe(AnchorSlot *slots, DWORD slotCount, const Anchors *anchors, const char *name, DWORD hash) {
    for (DWORD at = hash & (slotCount - 1);; at = (at + 1) & (slotCount - 1)) {
        AnchorSlot *slot = &slots[at];
        if (slot->record == 0 || (slot->hash == hash && strcmp(RecordName(anchors, slot->record), name) == 0)) {
            return slot;
        }
    }
}

bool MakeSlotRoom(Anchors *anchors) {
    if ((anchors->count + 1) * 2 <= anchors->slotCount) return true;
    if (anchors->slotCount >= 0x40000000) return false;
    DWORD slotCount = anchors->slotCount ? anchors->slotCount * 2 : 64;
    auto *slots = static_cast<AnchorSlot *>(MemCalloc(slotCount, sizeof(AnchorSlot)));
    if (!slots) return false;
    for (DWORD i = 0; i < anchors->slotCount; ++i) {
        const AnchorSlot &old = anchors->slots[i];
        if (old.record) *Probe(slots, slotCount, anchors, RecordName(anchors, old.record), old.hash) = old;
    }
    MemFree(anchors->slots);
    anchors->slots = slots;
    anchors->slotCount = slotCount;
    return true;
}

// Room for `more` bytes of records, their offsets within 32 bits.
bool MakeByteRoom(Anchors *anchors, size_t more) {
    if (anchors->used + more <= anchors->capacity) return true;
    size_t capacity = anchors->capacity ? anchors->capacity : 4096;
    while (capacity < anchors->used + more) capacity *= 2;
    if (capacity > 0xFFFFFFFFu) return false;
    auto *bytes = static_cast<char *>(MemAlloc(capacity));
    if (!bytes) return false;
    if (anchors->used) memcpy(bytes, anchors->bytes, anchors->used);
    MemFree(anchors->bytes);
    anchors->bytes = bytes;
    anchors->capacity = capacity;
    return true;
}

enum AddResult { ANCHOR_ADDED, ANCHOR_TWICE, ANCHOR_NO_MEMORY };

AddResult AddAnchor(Anchors *anchors, const char *name, const Node &node) {
    if (!MakeSlotRoom(anchors)) return ANCHOR_NO_MEMORY;
    DWORD hash = HashAnchor(name);
    AnchorSlot *slot = Probe(anchors->slots, anchors->slotCount, anchors, name, hash);
    if (slot->record != 0) return ANCHOR_TWICE;
    size_t nameLength = strlen(name);
    size_t kept = node.kind == VALUE_SCALAR ? node.kept : 0;
    if (!MakeByteRoom(anchors, RECORD_HEAD + nameLength + 1 + kept)) return ANCHOR_NO_MEMORY;
    char *record = anchors->bytes + anchors->used;
    record[0] = static_cast<char>(node.kind);
    record[1] = node.length > kept;
    WORD keptLength = static_cast<WORD>(kept);
    memcpy(record + 2, &keptLength, sizeof keptLength);
    memcpy(record + RECORD_HEAD, name, nameLength + 1);
    if (kept) memcpy(record + RECORD_HEAD + nameLength + 1, node.text, kept);
    *slot = {static_cast<DWORD>(anchors->used + 1), hash};
    anchors->used += RECORD_HEAD + nameLength + 1 + kept;
    ++anchors->count;
    return ANCHOR_ADDED;
}

// The node the anchor `name` was given to; false when there is none.
bool FindAnchor(const Anchors *anchors, const char *name, Node *node) {
    if (anchors->slotCount == 0) return false;
    DWORD found = Probe(anchors->slots, anchors->slotCount, anchors, name, HashAnchor(name))->record;
    if (found == 0) return false;
    const char *record = anchors->bytes + (found - 1);
    WORD kept = 0;
    memcpy(&kept, record + 2, sizeof kept);
    node->kind = static_cast<YamlKind>(record[0]);
    node->text = record + RECORD_HEAD + strlen(record + RECORD_HEAD) + 1;
    node->kept = kept;
    node->length = kept + (record[1] ? 1 : 0);
    node->anchor = found;
    return true;
}

// ---- the walk ----

enum WalkResult { WALK_ON, WALK_DONE, WALK_BROKEN, WALK_NO_MEMORY };

// A mapping whose keys are kept.
struct Frame {
    YamlMapping *mapping;
    int depth;  // the depth of its keys and values
    bool atKey;
    int key;  // the key of the value to come, or -1
};

struct Walk {
    yaml_parser_t parser;
    YamlDocument *document;
    Anchors anchors;
    Frame frames[2];  // the top level and "palette" in it, or the mapping an alias names
    int frameCount;
    int depth;  // collections open
    bool started;
    DWORD paletteAnchor;  // the anchor record "palette" is an alias of
    const char *wanted;   // a second walk: the name of that anchor
    bool finished;
};

// A key or value of a kept mapping; true when the node opens the mapping
// that "palette" is.
bool TakePair(Walk *walk, Frame *frame, const Node &node) {
    if (frame->atKey) {
        frame->atKey = false;
        frame->key = node.kind == VALUE_SCALAR && node.kept == node.length ? YamlKeyOf(node.text, node.length) : -1;
        return false;
    }
    frame->atKey = true;
    YamlValue *value = frame->key >= 0 ? &frame->mapping->values[frame->key] : nullptr;
    if (!value || value->kind != VALUE_NONE) return false;
    value->kind = node.kind;
    value->kept = node.kept;
    value->length = node.length;
    memcpy(value->text, node.text, node.kept < YAML_SHORT_TEXT ? node.kept : YAML_SHORT_TEXT);
    YamlDocument *document = walk->document;
    if (frame->mapping != &document->top) return false;
    if (frame->key == YAML_KEY_NAME || frame->key == YAML_KEY_SCHEME) {
        memcpy(document->longText[frame->key], node.text, node.kept);
    }
    if (frame->key != YAML_KEY_PALETTE || node.kind != VALUE_MAPPING) return false;
    walk->paletteAnchor = node.anchor;
    return node.anchor == 0;
}

WalkResult Broken(Walk *walk, const char *problem, const yaml_event_t &event) {
    walk->document->problem = problem;
    walk->document->line = event.start_mark.line;
    return WALK_BROKEN;
}

WalkResult TakeNode(Walk *walk, const yaml_event_t &event) {
    Node node = {VALUE_SCALAR, "", 0, 0, 0};
    const yaml_char_t *anchor = nullptr;
    switch (event.type) {
        case YAML_SCALAR_EVENT:
            node.text = reinterpret_cast<const char *>(event.data.scalar.value);
            node.length = event.data.scalar.length;
            node.kept = node.length < YAML_LONG_TEXT ? node.length : YAML_LONG_TEXT;
            anchor = event.data.scalar.anchor;
            break;
        case YAML_ALIAS_EVENT:
            if (!FindAnchor(&walk->anchors, reinterpret_cast<const char *>(event.data.alias.anchor), &node)) {
                return Broken(walk, "found undefined alias", event);
            }
            break;
        case YAML_SEQUENCE_START_EVENT:
            node.kind = VALUE_SEQUENCE;
            anchor = event.data.sequence_start.anchor;
            break;
        default:
            node.kind = VALUE_MAPPING;
            anchor = event.data.mapping_start.anchor;
            break;
    }
    const char *name = reinterpret_cast<const char *>(anchor);
    if (name && !walk->wanted) {
        AddResult added = AddAnchor(&walk->anchors, name, node);
        if (added == ANCHOR_NO_MEMORY) return WALK_NO_MEMORY;
        if (added == ANCHOR_TWICE) return Broken(walk, "second occurrence", event);
    }
    YamlDocument *document = walk->document;
    bool opens = event.type == YAML_SEQUENCE_START_EVENT || event.type == YAML_MAPPING_START_EVENT;
    YamlMapping *keep = nullptr;
    if (!walk->started) {
        walk->started = true;
        if (!walk->wanted) document->topIsMapping = node.kind == VALUE_MAPPING;
        if (document->topIsMapping && !walk->wanted) keep = &document->top;
    } else if (walk->frameCount > 0 && walk->depth == walk->frames[walk->frameCount - 1].depth) {
        if (TakePair(walk, &walk->frames[walk->frameCount - 1], node) && opens) keep = &document->palette;
    }
    if (walk->wanted && node.kind == VALUE_MAPPING && name && strcmp(name, walk->wanted) == 0) {
        keep = &document->palette;
    }
    if (opens) ++walk->depth;
    if (opens && keep) walk->frames[walk->frameCount++] = {keep, walk->depth, true, -1};
    return WALK_ON;
}

void LeaveCollection(Walk *walk) {
    if (walk->frameCount > 0 && walk->frames[walk->frameCount - 1].depth == walk->depth) {
        --walk->frameCount;
        if (walk->wanted) walk->finished = true;
    }
    --walk->depth;
}

// Whether the stream ends with the document just read. Whatever follows
// (another document, even a broken one) is more than one scheme, and
// replacing the file would lose it.
bool StreamEndsHere(yaml_parser_t *parser) {
    yaml_event_t event;
    if (!yaml_parser_parse(parser, &event)) return false;
    bool ends = event.type == YAML_STREAM_END_EVENT;
    yaml_event_delete(&event);
    return ends;
}

// The events of the first document, as the document loader takes them.
WalkResult WalkDocument(Walk *walk, const char *text, size_t size) {
    if (!yaml_parser_initialize(&walk->parser)) return WALK_NO_MEMORY;
    yaml_parser_set_input_string(&walk->parser, reinterpret_cast<const unsigned char *>(text), size);
    WalkResult result = WALK_ON;
    while (result == WALK_ON && !walk->finished) {
        yaml_event_t event;
        if (!yaml_parser_parse(&walk->parser, &event)) {
            walk->document->problem = walk->parser.problem;
            walk->document->line = walk->parser.problem_mark.line;
            result = walk->parser.error == YAML_MEMORY_ERROR ? WALK_NO_MEMORY : WALK_BROKEN;
            break;
        }
        switch (event.type) {
            case YAML_DOCUMENT_END_EVENT:
                if (!walk->wanted) walk->document->moreFollows = !StreamEndsHere(&walk->parser);
                result = WALK_DONE;
                break;
            case YAML_STREAM_END_EVENT:
                result = WALK_DONE;
                break;
            case YAML_SCALAR_EVENT:
            case YAML_ALIAS_EVENT:
            case YAML_SEQUENCE_START_EVENT:
            case YAML_MAPPING_START_EVENT:
                result = TakeNode(walk, event);
                break;
            case YAML_SEQUENCE_END_EVENT:
            case YAML_MAPPING_END_EVENT:
                LeaveCollection(walk);
                break;
            default:
                break;
        }
        yaml_event_delete(&event);
    }
    yaml_parser_delete(&walk->parser);
    return result == WALK_ON ? WALK_DONE : result;
}

}  // namespace

int YamlKeyOf(const char *text, size_t length) {
    for (int key = 0; key < YAML_KEY_BASE; ++key) {
        if (length == strlen(NAMED_KEYS[key]) && memcmp(text, NAMED_KEYS[key], length) == 0) return key;
    }
    if (length == 6 && memcmp(text, "base", 4) == 0 && (text[4] == '0' || text[4] == '1') && HexValue(text[5]) >= 0) {
        int number = (text[4] - '0') * 16 + HexValue(text[5]);
        return number < 24 ? YAML_KEY_BASE + number : -1;
    }
    if (length == 8 && memcmp(text, "color_", 6) == 0 && IsDigit(text[6]) && IsDigit(text[7])) {
        int number = (text[6] - '0') * 10 + (text[7] - '0');
        return number >= 1 && number <= 16 ? YAML_KEY_COLOR + number - 1 : -1;
    }
    return -1;
}

YamlReadResult ReadYamlDocument(const char *text, size_t size, YamlDocument *document) {
    auto *walk = static_cast<Walk *>(MemCalloc(1, sizeof(Walk)));
    if (!walk) return YAML_DOCUMENT_NO_MEMORY;
    walk->document = document;
    WalkResult walked = WalkDocument(walk, text, size);
    if (walked == WALK_DONE && walk->paletteAnchor != 0) {
        // "palette" is an alias of a mapping: its pairs are read on a second
        // walk, from where the anchor was given, against the anchors of the
        // first (each name stands for one node).
        walk->wanted = RecordName(&walk->anchors, walk->paletteAnchor);
        walk->started = false;
        walk->depth = 0;
        walked = WalkDocument(walk, text, size);
    }
    MemFree(walk->anchors.bytes);
    MemFree(walk->anchors.slots);
    MemFree(walk);
    return walked == WALK_DONE        ? YAML_DOCUMENT_READ
           : walked == WALK_NO_MEMORY ? YAML_DOCUMENT_NO_MEMORY
                                      : YAML_DOCUMENT_BROKEN;
}
