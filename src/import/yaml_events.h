// The YAML internals of the importers, not for their callers: a text's
// first document as the scheme reader needs it, read from libyaml's stream
// of events instead of being built whole. A document costs libyaml some
// fifty bytes for every byte of a file of short lines; the events of one
// node cost next to nothing. What is kept is what the document would have
// given: the first value of each key a scheme is made of, in the top-level
// mapping and in "palette". The checks libyaml's document loader makes (an
// alias to no anchor, an anchor given twice) are made with its words, so a
// file reads as it did when it was loaded whole.
#pragma once

#include "import.h"

enum YamlKey {
    YAML_KEY_NAME,
    YAML_KEY_SCHEME,
    YAML_KEY_SYSTEM,
    YAML_KEY_PALETTE,
    YAML_KEY_BACKGROUND,
    YAML_KEY_FOREGROUND,
    YAML_KEY_BASE,                        // base00 ... base17
    YAML_KEY_COLOR = YAML_KEY_BASE + 24,  // color_01 ... color_16
    YAML_KEY_COUNT = YAML_KEY_COLOR + 16,
};

// The key `text` is (exactly, as the document compares), or -1 for one not
// kept.
int YamlKeyOf(const char *text, size_t length);

enum YamlKind : BYTE { VALUE_NONE, VALUE_SCALAR, VALUE_SEQUENCE, VALUE_MAPPING };

// A scalar is kept as far as anything read from it needs: a name fills
// SETTING_TEXT_SIZE characters from at most four bytes each; every colour
// is shorter than YAML_SHORT_TEXT.
constexpr size_t YAML_LONG_TEXT = 4 * SETTING_TEXT_SIZE;
constexpr size_t YAML_SHORT_TEXT = 16;

struct YamlValue {
    YamlKind kind;
    size_t kept;    // bytes of a scalar kept (at most YAML_LONG_TEXT)
    size_t length;  // its length: more than `kept` when the rest was not kept
    char text[YAML_SHORT_TEXT];
};

struct YamlMapping {
    YamlValue values[YAML_KEY_COUNT];
};

struct YamlDocument {
    bool topIsMapping;
    YamlMapping top;
    YamlMapping palette;               // "palette" when it is a mapping
    char longText[2][YAML_LONG_TEXT];  // the top level's name and scheme
    const char *problem;               // why it is no YAML, in libyaml's words
    size_t line;                       // where (counted from 0)
    bool moreFollows;                  // the text goes on past the first document
};

enum YamlReadResult { YAML_DOCUMENT_READ, YAML_DOCUMENT_BROKEN, YAML_DOCUMENT_NO_MEMORY };

// Reads the first document of `text` into `document`, which must be all
// zero, and looks whether anything follows it (whatever that is).
YamlReadResult ReadYamlDocument(const char *text, size_t size, YamlDocument *document);
