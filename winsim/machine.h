// The handle table every area shares and the resets that bring each area
// back to a fresh machine; never seen outside the library. Each area keeps
// its own state in its own files and the records and calls it shares with
// other areas in its own header (files_state.h, console_state.h,
// windows_state.h, ...), included only by the files that use them. An area
// larger than about 500 lines spans several files, each named for its part
// (console_buffers.cpp, console_vt.cpp, console_input.cpp); each file has
// its private helpers at the top, then its calls. sim::Reset() resets every
// area.
#pragma once

#include <windows.h>

#include <cstdint>
#include <memory>
#include <vector>

#include "sim.h"

namespace winsim {

// ---- handles ----
enum class HandleKind { ConsoleInput, ConsoleOutput, Standard, File, Snapshot, Pipe, Mapping, Find };

// What an area keeps for a handle of its kind beyond what every handle has.
// The handle owns it, and a duplicate handle gets a copy of its own.
struct HandleRecord {
    virtual ~HandleRecord() = default;
    virtual HandleRecord *Copy() const = 0;
};

// An area's record type derives from RecordOf<itself>.
template <typename Record>
struct RecordOf : HandleRecord {
    HandleRecord *Copy() const override { return new Record(static_cast<const Record &>(*this)); }
};

class OwnedRecord {
  public:
    OwnedRecord() = default;
    explicit OwnedRecord(HandleRecord *record) : record_(record) {}
    OwnedRecord(const OwnedRecord &other) : record_(other.record_ ? other.record_->Copy() : nullptr) {}
    OwnedRecord &operator=(const OwnedRecord &other) {
        if (this != &other) record_.reset(other.record_ ? other.record_->Copy() : nullptr);
        return *this;
    }
    OwnedRecord(OwnedRecord &&) = default;
    OwnedRecord &operator=(OwnedRecord &&) = default;

    // The record as its area's type; only the area that made it asks, after
    // checking the handle's kind.
    template <typename Record>
    Record *As() const {
        return static_cast<Record *>(record_.get());
    }

  private:
    std::unique_ptr<HandleRecord> record_;
};

struct HandleObject {
    HandleKind kind = HandleKind::File;
    bool counted = true;  // standard handles are not counted as opened by the program
    DWORD access = 0;
    // The record of the area that made the handle
    OwnedRecord record;
};

// Whether the default machine has been built; one flag for the whole
// library (an inline function's static is shared by every file).
inline bool &MachineBuilt() {
    static bool built = false;
    return built;
}
// Builds the default machine the first time any area's state is used.
void BuildMachine();

// One area's state in its own file: made at first use and never destroyed,
// since module destructors may still call in at process exit. The built
// check stays inline: every simulated call passes here, the keystroke
// path included, and its benchmark counts nanoseconds.
template <typename State>
State &AreaState() {
    static State *state = new State();
    if (!MachineBuilt()) BuildMachine();
    return *state;
}

// Each area back to a fresh machine; sim::Reset calls them all.
void ResetHandles();
void ResetCalls();
void ResetModules();
void ResetProcess();
void ResetRegistry();
void ResetGdi();
void ResetTime();
void ResetClipboard();
void ResetCodePages();
void ResetFileSystem();
void ResetFileInformation();
void ResetWindows();
void ResetDesktop();
void ResetWindowClasses();
void ResetConsole();

// machine.cpp: the handle table
// The next handle value; registry keys draw from the same numbers.
uintptr_t NewHandleValue();
HANDLE AddHandle(HandleObject object);
// A counted handle of `kind` owning `record`.
HANDLE AddHandle(HandleKind kind, HandleRecord *record);
// Puts a handle at a fixed value (the standard handles).
void PutHandle(HANDLE handle, HandleObject object);
bool RemoveHandle(HANDLE handle);
std::vector<HandleObject *> AllHandles();
HandleObject *FindHandle(HANDLE handle);
HANDLE StandardHandleValue(DWORD which);  // the fixed value of a standard handle

}  // namespace winsim
