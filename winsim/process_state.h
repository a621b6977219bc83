// The process table and environment, as other areas read them.
#pragma once

#include <windows.h>

#include <string>

namespace winsim {

// process.cpp
bool IsKnownProcess(DWORD pid);
DWORD ParentOf(DWORD pid);
DWORD CurrentProcessId();

// process.cpp: a variable set by the machine itself, not by a call
void PutEnvironment(const std::u16string &name, const std::u16string &value);

}  // namespace winsim
