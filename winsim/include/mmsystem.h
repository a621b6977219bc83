// Sounds, as <mmsystem.h> declares them, and the runtime's secure random
// numbers (<stdlib.h> declares rand_s only when _CRT_RAND_S is defined
// before it, as the Microsoft runtime does).
#pragma once

#include "windows.h"

#define SND_SYNC 0x0000
#define SND_ASYNC 0x0001
#define SND_NODEFAULT 0x0002
#define SND_ALIAS 0x00010000L
#define SND_FILENAME 0x00020000L
#define SND_ALIAS_ID 0x00110000L
#define SND_ALIAS_START 0
#define sndAlias(c0, c1) (SND_ALIAS_START + ((DWORD)(BYTE)(c0) | ((DWORD)(BYTE)(c1) << 8)))
#define SND_ALIAS_SYSTEMHAND sndAlias('S', 'H')
#define SND_ALIAS_SYSTEMEXCLAMATION sndAlias('S', 'E')

WINSIM_API BOOL WINAPI PlaySoundW(LPCWSTR sound, HMODULE module, DWORD flags);

#ifdef _CRT_RAND_S
typedef int errno_t;
WINSIM_API errno_t rand_s(unsigned int *value);
#endif
