// The two user settings (the configured hotkey and the OSD switch) saved to
// and restored from the registry on the command's request. Nothing here runs
// at start-up.
#pragma once

#include "../platform.h"

#define SETTINGS_KEY TEXT("Software\\OrtaPlugins\\Vivanta")
#define SETTINGS_HOTKEY_VALUE TEXT("Hotkey")
#define SETTINGS_OSD_VALUE TEXT("OSD")

// Takes both settings over from `root` (HKEY_CURRENT_USER or
// HKEY_LOCAL_MACHINE), or neither: 0 when both were read and accepted, 1 when
// the key cannot be opened, otherwise the number of problems found.
int ReadSettings(HKEY root);
// Writes both settings under `root`, creating the key: 0, or the Windows
// error of the "OSD" write, else that of the "Hotkey" write.
LONG WriteSettings(HKEY root);
