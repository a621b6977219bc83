// The one place that knows which Windows the code runs on: the real one with
// MinGW-w64, or winsim on Linux. Everything else includes this header and is
// written against the Win32 API alone.
#pragma once

#ifdef _WIN32
#ifndef UNICODE
#define UNICODE
#endif
#ifndef _UNICODE
#define _UNICODE
#endif
#include <windows.h>
// The tool-help and security headers need the types <windows.h> declares first.
#include <ntsecapi.h>
#include <tlhelp32.h>
#define VT_EXPORT extern "C" __declspec(dllexport)
#define VT_IMPORT extern "C" __declspec(dllimport)
// Windows' loader finds DllMain through the image's entry point: the DLL
// exports only the names its .def file lists.
#define VT_MODULE_ENTRY extern "C"
#define VT_ON_WINDOWS 1
#else
#include <ntsecapi.h>
#include <windows.h>  // winsim/include
#define VT_EXPORT extern "C" __attribute__((visibility("default")))
#define VT_IMPORT extern "C"
// winsim's loader looks DllMain up by name, as any export; in a module built
// with hidden visibility it must be exported, or the module is never told
// its handle.
#define VT_MODULE_ENTRY VT_EXPORT
#define VT_ON_WINDOWS 0
#endif

#include <stddef.h>
#include <stdint.h>

static_assert(sizeof(WCHAR) == 2, "strings are UTF-16");
static_assert(sizeof(DWORD) == 4 && sizeof(LONG) == 4, "Windows integer widths");
static_assert(sizeof(CONSOLE_SCREEN_BUFFER_INFOEX) == 96, "console record layout");
