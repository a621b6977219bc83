// The registry key the family's on-screen displays share, this instance's
// subkey under it, and the Windows PE check that decides where OSD windows
// are first created.
#pragma once

#include "../platform.h"

#define OSD_SHARED_KEY TEXT("Software\\OrtaPlugins\\OSD")
#define WINPE_KEY TEXT("Software\\Microsoft\\Windows NT\\CurrentVersion\\WinPE")
#define WINPE_VALUE TEXT("Version")
#define REGISTRY_PATH_SIZE 1024

// 1 under Windows PE (a non-empty REG_SZ "Version" under the WinPE key of
// HKEY_LOCAL_MACHINE), else 0.
int IsWinPE(void);
// Creates the shared OSD key under HKEY_CURRENT_USER if it is missing.
void EnsureOsdKey(void);
// Deletes `path` under `root` with every key below it, skipping subkeys
// that refuse: 0 when `path` itself is gone, 1 when its deletion failed.
int DeleteRegistryTree(HKEY root, LPCWSTR path);
// "Software\OrtaPlugins\OSD\#0a3c Vivanta" for process 0xa3c, into `path`
// (REGISTRY_PATH_SIZE characters).
void FormatOsdInstanceKey(DWORD processId, LPWSTR path);
// Removes this process's instance subkey, if there is one.
void CleanupOsdKey(void);
