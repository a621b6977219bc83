// The keystroke handler: the hotkey swaps the console between a dark and a
// light scheme picked at random, and names it in the on-screen display.
#pragma once

#include "../platform.h"
#include "../plugin/plugin.h"
#include "../schemes/scheme_list.h"

enum BackgroundClass { BACKGROUND_UNKNOWN = -1, BACKGROUND_DARK = 0, BACKGROUND_LIGHT = 1 };

// The `key` export: runs ApplyRandomScheme when the keystroke, with the
// modifiers held now, is the configured hotkey. Always 0.
int HandleKeystroke(KeyInfo *info);
// Applies a scheme of the other kind than the console's background and
// announces it; the system's error sound when nothing could be applied.
int ApplyRandomScheme(KeyInfo *info);
// Whether the console's current background is dark or light.
int MeasureBackground(void);
// A scheme of `list` picked at random for a background of that class:
// light ones for a dark background and dark ones for a light background,
// when there are any, else any scheme. Null for an empty list.
ColorScheme *PickRandomScheme(ColorScheme *list, int background);
// 1 + n * r / 0xFFFFFFFF for a secure random r, at most n; 1 without a
// draw when n is 1.
DWORD RandomPosition(DWORD n);
