// The help text shared by Usage, Help and the command's "/?".
#pragma once

#include "../platform.h"

#define TOPIC_NAME_SIZE 11

struct HelpTopic {
    WCHAR name[TOPIC_NAME_SIZE];
    LPCWSTR text;
};

extern const WCHAR HELP_TEXT[];
// The topic whose name equals `name` (case ignored), or null.
const HelpTopic *FindHelpTopic(LPCWSTR name);
