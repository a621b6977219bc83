// What ReadFile, WriteFile and their neighbours share across the I/O
// sources of winsim: reads and writes by kind of handle.
#pragma once

#include "world.h"

namespace winsim {

// The Linux descriptor behind a file handle, or -1.
int FileDescriptor(const HandleObject &object);
bool IsPipeHandle(const HandleObject &object);  // a pipe end, or a standard handle led to a pipe
bool IsDiskFile(const HandleObject &object);

// pipes.cpp
BOOL ReadPipe(HandleObject &object, void *buffer, DWORD size, DWORD *read);
BOOL WritePipe(HandleObject &object, const char *bytes, DWORD count);

// console_input.cpp: ReadFile on the console input, in its input code page
BOOL ReadConsoleBytes(HandleObject &object, void *buffer, DWORD size, DWORD *read);

// codepages.cpp: UTF-16 to bytes in a code page; false for a code page
// winsim does not know. Characters the code page lacks become '?'.
bool EncodeInCodePage(UINT codePage, const std::u16string &text, std::string *out);

// temp_files.cpp: the temporary directory in Windows form, with its
// trailing separator.
std::u16string TempPathText();

}  // namespace winsim
