// The clean-up on a console interrupt: Ctrl+C, Ctrl+Break, the console window closed, logoff.
#include <windows.h>

#include <string>

#include "base/interrupt_cleanup.h"
#include "base/utf16_text.h"
#include "base/win32_write_gate.h"

namespace pomuru {

namespace {

// Writes hold it shared; the clean-up takes it for good.
SRWLOCK gate = SRWLOCK_INIT;

// What the handler needs, set and cleared under the gate. The handler runs on a thread of its
// own and may come at any time, even after the run has closed the destination: so it cuts
// back through a handle of its own.
struct Target {
    bool active = false;
    bool complete = false;  // every byte is written: leave the destination as it is
    HANDLE file = nullptr;
    LARGE_INTEGER sizeBefore{};
    std::string cutBack;
    std::string completeNotice;
};
Target target;

bool IsConsole(HANDLE handle) {
    DWORD mode = 0;
    return ::GetConsoleMode(handle, &mode) != 0;
}

void WriteNotice(const std::string& notice) {
    const HANDLE error = ::GetStdHandle(STD_ERROR_HANDLE);
    DWORD written = 0;
    if (IsConsole(error)) {
        const std::wstring wide = WideFromUtf8(notice);
        ::WriteConsoleW(error, wide.data(), static_cast<DWORD>(wide.size()), &written, nullptr);
    } else {
        ::WriteFile(error, notice.data(), static_cast<DWORD>(notice.size()), &written, nullptr);
    }
}

BOOL WINAPI CleanUpAndEnd(DWORD /*event*/) {
    // Waits for a write in progress; no other one starts.
    ::AcquireSRWLockExclusive(&gate);
    if (!target.active) {
        ::ReleaseSRWLockExclusive(&gate);
        return FALSE;
    }
    if (target.complete) {
        WriteNotice(target.completeNotice);
    } else {
        ::SetFilePointerEx(target.file, target.sizeBefore, nullptr, FILE_BEGIN);
        ::SetEndOfFile(target.file);
        WriteNotice(target.cutBack);
    }
    // The status the system's own handler ends the process with, so that the caller sees the
    // usual one. Terminating, rather than exiting, runs no clean-up of the runtime that the
    // stopped run might be in the middle of.
    ::TerminateProcess(::GetCurrentProcess(), STATUS_CONTROL_C_EXIT);
    return TRUE;
}

}  // namespace

WriteGate::WriteGate() {
    ::AcquireSRWLockShared(&gate);
}

WriteGate::~WriteGate() {
    ::ReleaseSRWLockShared(&gate);
}

InterruptCleanup::InterruptCleanup(const File& dest, std::int64_t sizeBefore,
                                   const InterruptNotices& notices) {
    HANDLE own = nullptr;
    const HANDLE process = ::GetCurrentProcess();
    const bool duplicated = ::DuplicateHandle(process, reinterpret_cast<HANDLE>(dest.handle_),
                                              process, &own, 0, FALSE, DUPLICATE_SAME_ACCESS) != 0;
    ::AcquireSRWLockExclusive(&gate);
    target.active = duplicated;
    target.complete = false;
    target.file = own;
    target.sizeBefore.QuadPart = sizeBefore;
    target.cutBack = notices.cutBack;
    target.completeNotice = notices.complete;
    ::ReleaseSRWLockExclusive(&gate);
    ::SetConsoleCtrlHandler(CleanUpAndEnd, TRUE);
}

InterruptCleanup::~InterruptCleanup() {
    ::SetConsoleCtrlHandler(CleanUpAndEnd, FALSE);
    ::AcquireSRWLockExclusive(&gate);
    target.active = false;
    if (target.file != nullptr) {
        ::CloseHandle(target.file);
        target.file = nullptr;
    }
    ::ReleaseSRWLockExclusive(&gate);
}

// The handler cuts back through a handle of its own, which outlives the destination's.
void InterruptCleanup::OutputComplete() {
    ::AcquireSRWLockExclusive(&gate);
    target.complete = true;
    ::ReleaseSRWLockExclusive(&gate);
}

void InterruptCleanup::OutputIncomplete(const File&) {
    ::AcquireSRWLockExclusive(&gate);
    target.complete = false;
    ::ReleaseSRWLockExclusive(&gate);
}

}  // namespace pomuru
