// Opening, sharing, deleting, moving and replacing files, as the plugin's
// scheme files and settings are read and rewritten.
#include <algorithm>
#include <cstddef>
#include <cstring>
#include <vector>

#include "win32_test.h"

namespace {

using FilesTest = Win32FolderTest;

const DWORD kRead = FILE_SHARE_READ, kWrite = FILE_SHARE_WRITE, kDelete = FILE_SHARE_DELETE;
const DWORD kAll = kRead | kWrite | kDelete;

TEST_F(FilesTest, DispositionsCreateOpenAndRefuse) {
    EXPECT_EQ(FRESH(Open(TEXT("a.txt"), GENERIC_READ, OPEN_EXISTING)), INVALID_HANDLE_VALUE);
    EXPECT_ERROR(ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(FRESH(Open(TEXT("missing\\a.txt"), GENERIC_READ, OPEN_EXISTING)), INVALID_HANDLE_VALUE);
    EXPECT_ERROR(ERROR_PATH_NOT_FOUND);

    // A file made new reports no error; one that was there already says so.
    HANDLE file = FRESH(Open(TEXT("a.txt"), GENERIC_WRITE, CREATE_NEW));
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    DWORD done = 0;
    ASSERT_TRUE(WriteFile(file, "hello", 5, &done, nullptr));
    EXPECT_EQ(done, 5u);
    EXPECT_TRUE(CloseHandle(file));

    EXPECT_EQ(FRESH(Open(TEXT("a.txt"), GENERIC_WRITE, CREATE_NEW)), INVALID_HANDLE_VALUE);
    EXPECT_ERROR(ERROR_FILE_EXISTS);
    file = FRESH(Open(TEXT("a.txt"), GENERIC_READ, OPEN_ALWAYS));
    EXPECT_ERROR(ERROR_ALREADY_EXISTS);
    char bytes[8] = {};
    ASSERT_TRUE(ReadFile(file, bytes, sizeof bytes, &done, nullptr));
    EXPECT_EQ(std::string(bytes, done), "hello");
    ASSERT_TRUE(ReadFile(file, bytes, sizeof bytes, &done, nullptr));
    EXPECT_EQ(done, 0u);  // end of file is a successful read of nothing
    EXPECT_FALSE(FRESH(WriteFile(file, "x", 1, &done, nullptr)));
    EXPECT_ERROR(ERROR_ACCESS_DENIED);
    CloseHandle(file);
    file = FRESH(Open(TEXT("b.txt"), GENERIC_WRITE, OPEN_ALWAYS));
    EXPECT_ERROR(0);
    CloseHandle(file);

    file = FRESH(Open(TEXT("a.txt"), GENERIC_WRITE, TRUNCATE_EXISTING));
    EXPECT_NE(file, INVALID_HANDLE_VALUE);
    CloseHandle(file);
    EXPECT_EQ(Content(TEXT("a.txt")), "");
    // Truncating needs write access, the documentation says, but not what
    // an open without it meets: winsim refuses it as an invalid parameter,
    // Wine truncates and opens.
    HANDLE truncated = FRESH(Open(TEXT("a.txt"), GENERIC_READ, TRUNCATE_EXISTING));
    if (kOnWine) {
        EXPECT_FALSE(Refused(truncated));
    } else {
        EXPECT_TRUE(Refused(truncated));
        EXPECT_ERROR(ERROR_INVALID_PARAMETER);
    }

    EXPECT_EQ(FRESH(Open(TEXT(""), GENERIC_READ, OPEN_EXISTING)), INVALID_HANDLE_VALUE);
    EXPECT_ERROR(ERROR_ACCESS_DENIED);  // a folder
}

TEST_F(FilesTest, AttributesTellFilesFromFoldersAndMissingFromUnreachable) {
    Make(TEXT("f.txt"), "x");
    EXPECT_EQ(GetFileAttributesW(Path(TEXT("f.txt")).c_str()), static_cast<DWORD>(FILE_ATTRIBUTE_ARCHIVE));
    EXPECT_EQ(GetFileAttributesW(Path(TEXT("")).c_str()), static_cast<DWORD>(FILE_ATTRIBUTE_DIRECTORY));
    EXPECT_EQ(FRESH(GetFileAttributesW(Path(TEXT("nope.txt")).c_str())), INVALID_FILE_ATTRIBUTES);
    EXPECT_ERROR(ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(FRESH(GetFileAttributesW(Path(TEXT("no\\nope.txt")).c_str())), INVALID_FILE_ATTRIBUTES);
    EXPECT_ERROR(ERROR_PATH_NOT_FOUND);
}

TEST_F(FilesTest, ANewOpenMustFitEveryEarlierOne) {
    Make(TEXT("f.txt"), "0123456789");
    HANDLE reader = Open(TEXT("f.txt"), GENERIC_READ, OPEN_EXISTING, kRead);
    ASSERT_NE(reader, INVALID_HANDLE_VALUE);
    HANDLE second = Open(TEXT("f.txt"), GENERIC_READ, OPEN_EXISTING, kRead | kWrite);
    EXPECT_NE(second, INVALID_HANDLE_VALUE);  // reading is shared both ways
    EXPECT_EQ(FRESH(Open(TEXT("f.txt"), GENERIC_WRITE, OPEN_EXISTING, kAll)), INVALID_HANDLE_VALUE);
    EXPECT_ERROR(ERROR_SHARING_VIOLATION);  // the reader does not share writing
    EXPECT_EQ(FRESH(Open(TEXT("f.txt"), GENERIC_READ, OPEN_EXISTING, kWrite)), INVALID_HANDLE_VALUE);
    EXPECT_ERROR(ERROR_SHARING_VIOLATION);                         // must share the readers' reading
    HANDLE attributes = Open(TEXT("f.txt"), 0, OPEN_EXISTING, 0);  // no data access: no sharing check
    EXPECT_NE(attributes, INVALID_HANDLE_VALUE);
    // A refused CREATE_ALWAYS leaves the content alone.
    EXPECT_EQ(FRESH(Open(TEXT("f.txt"), GENERIC_WRITE, CREATE_ALWAYS, kAll)), INVALID_HANDLE_VALUE);
    EXPECT_ERROR(ERROR_SHARING_VIOLATION);
    EXPECT_EQ(Content(TEXT("f.txt")), "0123456789");
    for (HANDLE h : {reader, second, attributes}) CloseHandle(h);
    HANDLE writer = Open(TEXT("f.txt"), GENERIC_WRITE, OPEN_EXISTING, 0);
    EXPECT_NE(writer, INVALID_HANDLE_VALUE);
    CloseHandle(writer);
}

TEST_F(FilesTest, DeletingNeedsDeleteSharingAndNoMapping) {
    Make(TEXT("f.txt"), "0123456789");
    WString f = Path(TEXT("f.txt"));
    HANDLE file = Open(TEXT("f.txt"), GENERIC_READ, OPEN_EXISTING, kRead);
    EXPECT_FALSE(FRESH(DeleteFileW(f.c_str())));
    EXPECT_ERROR(ERROR_SHARING_VIOLATION);
    CloseHandle(file);

    file = Open(TEXT("f.txt"), GENERIC_READ, OPEN_EXISTING, kRead | kDelete);
    HANDLE mapping = CreateFileMappingW(file, nullptr, PAGE_READONLY, 0, 0, nullptr);
    const void *view = MapViewOfFile(mapping, FILE_MAP_READ, 0, 0, 0);
    CloseHandle(mapping);
    CloseHandle(file);
    // A mapped file cannot be deleted (DeleteFile's documentation); Wine
    // deletes it.
    if (!kOnWine) {
        EXPECT_FALSE(FRESH(DeleteFileW(f.c_str())));
        EXPECT_ERROR(ERROR_ACCESS_DENIED);
    }
    UnmapViewOfFile(view);
    EXPECT_TRUE(DeleteFileW(f.c_str()));
    EXPECT_FALSE(Exists(TEXT("f.txt")));
    EXPECT_FALSE(FRESH(DeleteFileW(f.c_str())));
    EXPECT_ERROR(ERROR_FILE_NOT_FOUND);
    EXPECT_FALSE(FRESH(DeleteFileW(Path(TEXT("")).c_str())));
    EXPECT_ERROR(ERROR_ACCESS_DENIED);  // a folder
}

TEST_F(FilesTest, MovingObeysTheSameRules) {
    Make(TEXT("f.txt"), "0123456789");
    Make(TEXT("g.txt"), "g");
    WString f = Path(TEXT("f.txt")), g = Path(TEXT("g.txt")), h = Path(TEXT("h.txt"));
    EXPECT_FALSE(FRESH(MoveFileW(f.c_str(), g.c_str())));
    EXPECT_ERROR(ERROR_ALREADY_EXISTS);
    HANDLE target = Open(TEXT("g.txt"), GENERIC_READ, OPEN_EXISTING, kAll);
    EXPECT_FALSE(FRESH(MoveFileExW(f.c_str(), g.c_str(), MOVEFILE_REPLACE_EXISTING)));
    EXPECT_ERROR(ERROR_ACCESS_DENIED);  // an open target
    CloseHandle(target);
    HANDLE source = Open(TEXT("f.txt"), GENERIC_READ, OPEN_EXISTING, kRead);
    EXPECT_FALSE(FRESH(MoveFileExW(f.c_str(), g.c_str(), MOVEFILE_REPLACE_EXISTING)));
    EXPECT_ERROR(ERROR_SHARING_VIOLATION);
    CloseHandle(source);
    EXPECT_TRUE(MoveFileExW(f.c_str(), g.c_str(), MOVEFILE_REPLACE_EXISTING));
    EXPECT_FALSE(Exists(TEXT("f.txt")));
    EXPECT_EQ(Content(TEXT("g.txt")), "0123456789");
    EXPECT_TRUE(MoveFileW(g.c_str(), h.c_str()));
    EXPECT_FALSE(FRESH(MoveFileW(g.c_str(), Path(TEXT("i.txt")).c_str())));
    EXPECT_ERROR(ERROR_FILE_NOT_FOUND);
}

// A read-only file is neither written, deleted nor replaced; ReplaceFileW
// gives the replacement the replaced file's name, and
// refuses as Windows does.
TEST_F(FilesTest, ReadOnlyFilesAndReplaceFileW) {
    Make(TEXT("ro.txt"), "ro");
    Make(TEXT("new.txt"), "new");
    WString ro = Path(TEXT("ro.txt")), fresh = Path(TEXT("new.txt"));
    ASSERT_TRUE(SetFileAttributesW(ro.c_str(), FILE_ATTRIBUTE_READONLY));
    EXPECT_EQ(GetFileAttributesW(ro.c_str()), static_cast<DWORD>(FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_ARCHIVE));
    // Wine keeps read-only as the file's Unix write permission, which does
    // not stop root, whom these tests run as: opening for writing is
    // checked on winsim alone.
    if (!kOnWine) {
        EXPECT_TRUE(Refused(FRESH(Open(TEXT("ro.txt"), GENERIC_WRITE, OPEN_EXISTING))));
        EXPECT_ERROR(ERROR_ACCESS_DENIED);
        EXPECT_TRUE(Refused(FRESH(Open(TEXT("ro.txt"), GENERIC_READ, CREATE_ALWAYS))));
        EXPECT_ERROR(ERROR_ACCESS_DENIED);
    }
    EXPECT_FALSE(FRESH(DeleteFileW(ro.c_str())));
    EXPECT_ERROR(ERROR_ACCESS_DENIED);
    EXPECT_FALSE(FRESH(ReplaceFileW(ro.c_str(), fresh.c_str(), nullptr, 0, nullptr, nullptr)));
    EXPECT_ERROR(ERROR_ACCESS_DENIED);
    EXPECT_EQ(Content(TEXT("ro.txt")), "ro");

    Make(TEXT("old.txt"), "old");
    WString old = Path(TEXT("old.txt"));
    EXPECT_FALSE(FRESH(ReplaceFileW(Path(TEXT("none.txt")).c_str(), fresh.c_str(), nullptr, 0, nullptr, nullptr)));
    EXPECT_ERROR(ERROR_FILE_NOT_FOUND);
    HANDLE open = Open(TEXT("new.txt"), GENERIC_READ, OPEN_EXISTING);
    EXPECT_FALSE(FRESH(ReplaceFileW(old.c_str(), fresh.c_str(), nullptr, 0, nullptr, nullptr)));
    EXPECT_ERROR(ERROR_SHARING_VIOLATION);  // the replacement is opened unshared
    CloseHandle(open);
    open = Open(TEXT("old.txt"), GENERIC_READ, OPEN_EXISTING);
    // The replaced file is opened sharing everything, the documentation
    // says, but not which error an unshared holder makes ReplaceFileW give:
    // winsim says the replaced file could not be removed, Wine reports the
    // sharing violation.
    EXPECT_FALSE(FRESH(ReplaceFileW(old.c_str(), fresh.c_str(), nullptr, 0, nullptr, nullptr)));
    EXPECT_ERROR(kOnWine ? ERROR_SHARING_VIOLATION : ERROR_UNABLE_TO_REMOVE_REPLACED);
    CloseHandle(open);
    BY_HANDLE_FILE_INFORMATION before = {}, after = {};
    open = Open(TEXT("new.txt"), GENERIC_READ, OPEN_EXISTING, kAll);
    ASSERT_TRUE(GetFileInformationByHandle(open, &before));
    CloseHandle(open);
    EXPECT_TRUE(ReplaceFileW(old.c_str(), fresh.c_str(), nullptr, 0, nullptr, nullptr));
    EXPECT_EQ(Content(TEXT("old.txt")), "new");
    open = Open(TEXT("old.txt"), GENERIC_READ, OPEN_EXISTING, kAll);
    ASSERT_TRUE(GetFileInformationByHandle(open, &after));
    CloseHandle(open);
    // The replacement's own file, under the replaced file's name.
    EXPECT_EQ(after.nFileIndexLow, before.nFileIndexLow);
    EXPECT_EQ(after.nFileIndexHigh, before.nFileIndexHigh);
    EXPECT_FALSE(Exists(TEXT("new.txt")));
}

// ReplaceFileW's documentation lists what the replacement takes of the
// replaced file: its creation time among them, its hidden or system
// attributes not.
TEST_F(FilesTest, AReplacementTakesTheReplacedFilesCreationTimeButKeepsItsAttributes) {
    Make(TEXT("old.txt"), "old");
    Make(TEXT("new.txt"), "new");
    WString old = Path(TEXT("old.txt")), fresh = Path(TEXT("new.txt"));
    HANDLE file = Open(TEXT("old.txt"), FILE_WRITE_ATTRIBUTES, OPEN_EXISTING);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    FILE_BASIC_INFO basic = {};
    basic.CreationTime.QuadPart = 130000000000000000ll;
    basic.FileAttributes = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_ARCHIVE;
    EXPECT_TRUE(SetFileInformationByHandle(file, FileBasicInfo, &basic, sizeof basic));
    CloseHandle(file);
    ASSERT_TRUE(SetFileAttributesW(fresh.c_str(), FILE_ATTRIBUTE_SYSTEM));
    ASSERT_TRUE(ReplaceFileW(old.c_str(), fresh.c_str(), nullptr, 0, nullptr, nullptr));
    EXPECT_EQ(GetFileAttributesW(old.c_str()), static_cast<DWORD>(FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE));
    // Wine keeps no creation time a program sets (a Unix file system has no
    // place for it): checked on winsim alone.
    if (!kOnWine) {
        BY_HANDLE_FILE_INFORMATION info = {};
        file = Open(TEXT("old.txt"), GENERIC_READ, OPEN_EXISTING);
        ASSERT_TRUE(GetFileInformationByHandle(file, &info));
        CloseHandle(file);
        EXPECT_EQ(static_cast<LONGLONG>(info.ftCreationTime.dwHighDateTime) << 32 | info.ftCreationTime.dwLowDateTime,
                  basic.CreationTime.QuadPart);
    }
}

// Without "\\?\" a full name of MAX_PATH or more is refused; with it any
// length is reached.
TEST_F(FilesTest, LongNamesNeedThePrefix) {
    WString folder = TEXT("\\\\?\\") + folder_;
    while (folder.size() < MAX_PATH + 4) {
        folder += TEXT("\\") + WString(40, 'd');
        ASSERT_TRUE(CreateDirectoryW(folder.c_str(), nullptr)) << GetLastError();
    }
    WString prefixed = folder + TEXT("\\f.txt");
    WString plain = prefixed.substr(4);
    // Wine has no MAX_PATH limit (the documentation's "Maximum Path Length
    // Limitation" is Windows' own): checked on winsim alone.
    if (!kOnWine) {
        EXPECT_TRUE(Refused(FRESH(CreateFileW(plain.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr))));
        EXPECT_ERROR(ERROR_PATH_NOT_FOUND);
    }
    HANDLE file = CreateFileW(prefixed.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    CloseHandle(file);
    if (!kOnWine) {
        EXPECT_FALSE(FRESH(DeleteFileW(plain.c_str())));
        EXPECT_ERROR(ERROR_PATH_NOT_FOUND);
    }
    EXPECT_TRUE(DeleteFileW(prefixed.c_str()));
    // RemoveTree goes through names without the prefix: take the deep part
    // down here.
    while (folder.size() > 4 + folder_.size()) {
        EXPECT_TRUE(RemoveDirectoryW(folder.c_str())) << GetLastError();
        folder.resize(folder.find_last_of('\\'));
    }
}

// A file opened to be deleted on close goes with its last handle, or with
// the last section that holds it.
TEST_F(FilesTest, DeleteOnCloseWaitsForTheLastHolder) {
    HANDLE file = CreateFileW(Path(TEXT("temp.txt")).c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                              FILE_FLAG_DELETE_ON_CLOSE, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    HANDLE mapping = CreateFileMappingW(file, nullptr, PAGE_READWRITE, 0, 16, nullptr);
    EXPECT_FALSE(FRESH(DeleteFileW(Path(TEXT("temp.txt")).c_str())));
    EXPECT_ERROR(ERROR_SHARING_VIOLATION);
    CloseHandle(file);
    EXPECT_TRUE(Exists(TEXT("temp.txt")));  // the mapping still holds it
    CloseHandle(mapping);
    EXPECT_FALSE(Exists(TEXT("temp.txt")));
}

}  // namespace

namespace {

using HandleInformationTest = Win32FolderTest;

// FILE_RENAME_INFO with the name's bytes after it, as the call takes it.
struct RenameBuffer {
    std::vector<BYTE> bytes;
    RenameBuffer(const WString &name, BOOLEAN replace) {
        size_t offset = offsetof(FILE_RENAME_INFO, FileName);
        bytes.assign(std::max(sizeof(FILE_RENAME_INFO), offset + (name.size() + 1) * sizeof(WCHAR)), 0);
        auto *info = reinterpret_cast<FILE_RENAME_INFO *>(bytes.data());
        info->ReplaceIfExists = replace;
        info->FileNameLength = static_cast<DWORD>(name.size() * sizeof(WCHAR));
        memcpy(bytes.data() + offset, name.c_str(), name.size() * sizeof(WCHAR));
    }
};

BOOL RenameTo(HANDLE file, const WString &name, BOOLEAN replace) {
    RenameBuffer buffer(name, replace);
    return SetFileInformationByHandle(file, FileRenameInfo, buffer.bytes.data(),
                                      static_cast<DWORD>(buffer.bytes.size()));
}

// SetFileInformationByHandle as NTFS answers it. A rename needs DELETE
// access; it replaces only when asked, and never a folder, a read-only file
// or one held open, whatever its sharing. A file marked for deletion opens
// no more and goes with its last handle. Attributes and times need
// FILE_WRITE_ATTRIBUTES.
TEST_F(HandleInformationTest, RenamingDeletingAndAttributesThroughAHandle) {
    Make(TEXT("f.txt"), "0123456789");
    Make(TEXT("g.txt"), "g");
    MakeFolder(TEXT("d"));
    const DWORD all = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
    // A rename needs DELETE access (ZwSetInformationFile's documentation);
    // Wine renames through any handle: checked on winsim alone.
    HANDLE reader = Open(TEXT("f.txt"), GENERIC_READ, OPEN_EXISTING, all);
    if (!kOnWine) {
        EXPECT_FALSE(FRESH(RenameTo(reader, Path(TEXT("h.txt")), FALSE)));
        EXPECT_ERROR(ERROR_ACCESS_DENIED);
    }
    CloseHandle(reader);
    HANDLE file = Open(TEXT("f.txt"), GENERIC_READ | GENERIC_WRITE | DELETE, OPEN_EXISTING, 0);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    EXPECT_TRUE(
        Refused(FRESH(Open(TEXT("f.txt"), DELETE, OPEN_EXISTING, all))));  // nobody else may rename it meanwhile
    EXPECT_ERROR(ERROR_SHARING_VIOLATION);
    // A record shorter than its structure is refused as the length
    // mismatch it is; Wine's SetFileInformationByHandle reads the name's
    // length from the record whatever size it was given (kernelbase's
    // file.c), and renames: checked on winsim alone.
    if (!kOnWine) {
        RenameBuffer shortened(Path(TEXT("h.txt")), FALSE);
        EXPECT_FALSE(FRESH(SetFileInformationByHandle(file, FileRenameInfo, shortened.bytes.data(), 8)));
        EXPECT_ERROR(ERROR_BAD_LENGTH);
    }
    EXPECT_FALSE(FRESH(RenameTo(file, Path(TEXT("g.txt")), FALSE)));
    EXPECT_ERROR(ERROR_ALREADY_EXISTS);
    HANDLE other = Open(TEXT("g.txt"), GENERIC_READ, OPEN_EXISTING, all);
    EXPECT_FALSE(FRESH(RenameTo(file, Path(TEXT("g.txt")), TRUE)));
    EXPECT_ERROR(ERROR_ACCESS_DENIED);
    CloseHandle(other);
    EXPECT_FALSE(FRESH(RenameTo(file, Path(TEXT("d")), TRUE)));
    EXPECT_ERROR(ERROR_ACCESS_DENIED);
    ASSERT_TRUE(SetFileAttributesW(Path(TEXT("g.txt")).c_str(), FILE_ATTRIBUTE_READONLY));
    BOOL replaced = FRESH(RenameTo(file, Path(TEXT("g.txt")), TRUE));
    // Windows never replaces a read-only file; Wine does, and winsim keeps
    // refusing: the file is the user's.
    if (!kOnWine) {
        EXPECT_FALSE(replaced);
        EXPECT_ERROR(ERROR_ACCESS_DENIED);
        ASSERT_TRUE(SetFileAttributesW(Path(TEXT("g.txt")).c_str(), FILE_ATTRIBUTE_NORMAL));
        EXPECT_TRUE(RenameTo(file, Path(TEXT("g.txt")), TRUE));
    }
    EXPECT_FALSE(Exists(TEXT("f.txt")));
    // The handle's claim goes with the file to its new name.
    EXPECT_EQ(Content(TEXT("g.txt")), "<error 32>");
    // A bare name stays in the file's folder (FILE_RENAME_INFO's
    // documentation); Wine takes it in the current folder: there the case
    // renames by the full name.
    EXPECT_TRUE(RenameTo(file, kOnWine ? Path(TEXT("h.txt")) : WString(TEXT("h.txt")), FALSE));
    EXPECT_TRUE(Exists(TEXT("h.txt")));

    FILE_BASIC_INFO basic = {};
    basic.CreationTime.QuadPart = 130000000000000000ll;
    basic.FileAttributes = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_READONLY;
    // Setting them needs FILE_WRITE_ATTRIBUTES (ZwSetInformationFile's
    // documentation); Wine sets them through any handle: checked on winsim
    // alone. (No data access: no sharing check.)
    if (!kOnWine) {
        reader = Open(TEXT("h.txt"), FILE_READ_ATTRIBUTES, OPEN_EXISTING, all);
        EXPECT_FALSE(FRESH(SetFileInformationByHandle(reader, FileBasicInfo, &basic, sizeof basic)));
        EXPECT_ERROR(ERROR_ACCESS_DENIED);
        CloseHandle(reader);
    }
    ASSERT_TRUE(SetFileInformationByHandle(file, FileBasicInfo, &basic, sizeof basic));
    EXPECT_EQ(GetFileAttributesW(Path(TEXT("h.txt")).c_str()),
              static_cast<DWORD>(FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_ARCHIVE));
    BY_HANDLE_FILE_INFORMATION info = {};
    ASSERT_TRUE(GetFileInformationByHandle(file, &info));
    // Wine keeps no creation time a program sets (a Unix file system has no
    // place for it): checked on winsim alone.
    if (!kOnWine) {
        EXPECT_EQ(static_cast<LONGLONG>(info.ftCreationTime.dwHighDateTime) << 32 | info.ftCreationTime.dwLowDateTime,
                  basic.CreationTime.QuadPart);
    }
    FILE_DISPOSITION_INFO erase = {TRUE};
    EXPECT_FALSE(FRESH(SetFileInformationByHandle(file, FileDispositionInfo, &erase, sizeof erase)));  // read-only
    EXPECT_ERROR(ERROR_ACCESS_DENIED);
    basic.FileAttributes = FILE_ATTRIBUTE_NORMAL;
    ASSERT_TRUE(SetFileInformationByHandle(file, FileBasicInfo, &basic, sizeof basic));
    EXPECT_TRUE(SetFileInformationByHandle(file, FileDispositionInfo, &erase, sizeof erase));
    // A file marked for deletion opens no more (DeleteFile's documentation);
    // Wine opens it without data access: checked on winsim alone.
    if (!kOnWine) {
        EXPECT_TRUE(Refused(FRESH(Open(TEXT("h.txt"), FILE_READ_ATTRIBUTES, OPEN_EXISTING, all))));
        EXPECT_ERROR(ERROR_ACCESS_DENIED);
    }
    EXPECT_TRUE(Exists(TEXT("h.txt")));
    CloseHandle(file);
    EXPECT_FALSE(Exists(TEXT("h.txt")));
}

}  // namespace
