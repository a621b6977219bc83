// Control API of the stand-in host, for tests and vhost. Plain C so that
// vhost.exe can reach it across the TakeCmd.dll boundary; the exports are
// listed in TakeCmd.def with the host services.
#pragma once

#include "../src/platform.h"

#ifndef HOSTCTL_API
#define HOSTCTL_API VT_IMPORT
#endif

// Forgets variables, options, IPC answers, logs and captured output.
HOSTCTL_API void WINAPI HostCtlReset(void);
// Internal variables such as _4ver, _transient, _pipe, _batch, _batchname,
// _batchline, _cmdspec. A null value removes the variable.
HOSTCTL_API void WINAPI HostCtlSetVariable(LPCWSTR name, LPCWSTR value);
HOSTCTL_API void WINAPI HostCtlSetOption(LPCWSTR name, LPCWSTR value);
// What TakeCommandIPC answers to `query`: `reply` copied to the caller's
// buffer, `result` returned. Unset queries return -1 with an empty reply.
HOSTCTL_API void WINAPI HostCtlSetIpcAnswer(LPCWSTR query, LPCWSTR reply, int result);
// While capturing, output is kept in memory instead of being written.
HOSTCTL_API void WINAPI HostCtlCapture(int on);
// Writes of standard output and error are also passed to `sink` (vhost on
// Linux mirrors them into the simulated console). stream: 1 out, 2 err.
typedef void(WINAPI *HostOutputSink)(int stream, LPCWSTR text);
HOSTCTL_API void WINAPI HostCtlSetOutputSink(HostOutputSink sink);

// Read-back. Each copies into `buffer` of `size` characters (cut to fit,
// always terminated) and returns the full length in characters.
// stream: 1 standard output, 2 standard error.
HOSTCTL_API DWORD WINAPI HostCtlGetOutput(int stream, LPWSTR buffer, DWORD size);
HOSTCTL_API void WINAPI HostCtlClearOutput(void);
HOSTCTL_API DWORD WINAPI HostCtlGetOption(LPCWSTR name, LPWSTR buffer, DWORD size);
// The log lines are joined with "\n" (each entry ends in one).
HOSTCTL_API DWORD WINAPI HostCtlGetCommandLog(LPWSTR buffer, DWORD size);
HOSTCTL_API DWORD WINAPI HostCtlGetIpcLog(LPWSTR buffer, DWORD size);
HOSTCTL_API DWORD WINAPI HostCtlGetEditLineLog(LPWSTR buffer, DWORD size);
HOSTCTL_API int WINAPI HostCtlYieldCount(void);
