// The temporary directory and temporary file names. Each world gets its
// own directory under /tmp at first need, removed with its content when the
// world is reset or the process ends; a test may name another instead.
#include <errno.h>
#include <fcntl.h>
#include <ftw.h>
#include <stdio.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include "io_calls.h"

namespace winsim {

namespace {

int RemoveEntry(const char *path, const struct stat *, int, struct FTW *) { return remove(path); }

void RemoveLastDirectory() {
    // The world itself is never destroyed; its directory must still go.
    W().io.tempDirectory.reset();
}

std::string DefaultTempDirectory() {
    IoState &io = W().io;
    if (!io.tempDirectory) {
        char pattern[] = "/tmp/winsim-temp-XXXXXX";
        if (!mkdtemp(pattern)) return "/tmp";
        io.tempDirectory = std::make_shared<TempDirectory>();
        io.tempDirectory->path = pattern;
        static bool registered = false;
        if (!registered) registered = atexit(RemoveLastDirectory) == 0;
    }
    return io.tempDirectory->path;
}

}  // namespace

TempDirectory::~TempDirectory() {
    if (!path.empty()) nftw(path.c_str(), RemoveEntry, 16, FTW_DEPTH | FTW_PHYS);
}

// Windows always ends the temporary path with a separator.
std::u16string TempPathText() {
    std::u16string path = W().io.tempPath.empty() ? FromUtf8(DefaultTempDirectory()) : W().io.tempPath;
    if (path.empty() || (path.back() != u'\\' && path.back() != u'/')) path += u'\\';
    return path;
}

}  // namespace winsim

using namespace winsim;

namespace {

std::u16string HexName(UINT value) {
    char text[16];
    snprintf(text, sizeof text, "%X.TMP", value);
    return Widen(text);
}

}  // namespace

// ---- GetTempPathW ----
WINSIM_API DWORD WINAPI GetTempPathW(DWORD size, LPWSTR buffer) {
    if (sim::ShouldFail("GetTempPathW")) return 0;
    std::u16string path = TempPathText();
    if (!buffer || size <= path.size()) return static_cast<DWORD>(path.size() + 1);
    return CopyTruncated(path, buffer, size);
}

// ---- GetTempFileNameW ----
// `buffer` holds MAX_PATH characters. A unique value of 0 asks for a new
// file: numbers are tried from a counter until one can be created.
WINSIM_API UINT WINAPI GetTempFileNameW(LPCWSTR path, LPCWSTR prefix, UINT unique, LPWSTR buffer) {
    if (sim::ShouldFail("GetTempFileNameW")) return 0;
    if (!path || !buffer) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    struct stat st;
    if (stat(LinuxPath(path).c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) {
        SetLastError(ERROR_DIRECTORY);
        return 0;
    }
    std::u16string base = Str(path);
    if (base.empty() || (base.back() != u'\\' && base.back() != u'/')) base += u'\\';
    if (prefix) base += Str(prefix).substr(0, 3);
    if (base.size() + 9 > MAX_PATH - 1) {
        SetLastError(ERROR_BUFFER_OVERFLOW);
        return 0;
    }
    unique &= 0xFFFF;
    if (unique) {
        CopyTruncated(base + HexName(unique), buffer, MAX_PATH);
        return unique;
    }
    IoState &io = W().io;
    for (int tries = 0; tries < 0x10000; ++tries) {
        UINT number = (++io.tempFilesMade & 0xFFFF);
        if (number == 0) continue;
        std::u16string name = base + HexName(number);
        std::string target = LinuxPath(name.c_str());
        int fd = open(target.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0) {
            close(fd);
            CopyTruncated(name, buffer, MAX_PATH);
            return number;
        }
        if (errno != EEXIST) {
            SetLastError(FileErrorFromErrno(errno, target));
            return 0;
        }
    }
    SetLastError(ERROR_FILE_EXISTS);
    return 0;
}

namespace sim {

void SetTempPath(const std::u16string &path) { W().io.tempPath = path; }

std::string TempDirectory() {
    std::string path = LinuxPath(TempPathText().c_str());
    while (path.size() > 1 && path.back() == '/') path.pop_back();
    return path;
}

}  // namespace sim
