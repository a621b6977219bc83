// The top of the plugin: the exports (declared with the records they take in
// plugin.h), start-up, shutdown, and the one reset of every folder's state.
#pragma once

#include "../plugin/plugin.h"

// Puts every subsystem back as a freshly attached library has it: the
// frame's state and host version, the hotkey, OSD and theme settings, the
// OSD and theme window classes' globals, the command's argument list and the scheme list.
// The module handle stays known.
void ResetPlugin(void);
