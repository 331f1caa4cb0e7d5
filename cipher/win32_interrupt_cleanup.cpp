// The clean-up on a console interrupt: Ctrl+C, Ctrl+Break, the console window closed, logoff.
#include <windows.h>

#include <string>

#include "cipher/interrupt_cleanup.h"
#include "cipher/win32_text.h"
#include "cipher/win32_write_gate.h"

namespace pomuru {

namespace {

// Writes hold it shared; the clean-up takes it for good.
SRWLOCK gate = SRWLOCK_INIT;

// What the handler needs, set and cleared under the gate. The handler runs on a thread of its
// own and may come at any time, even after the run has closed the destination: so it cuts
// back through a handle of its own.
struct Target {
    bool active = false;
    HANDLE file = nullptr;
    LARGE_INTEGER sizeBefore{};
    std::string notice;
    std::wstring wideNotice;
};
Target target;

bool IsConsole(HANDLE handle) {
    DWORD mode = 0;
    return ::GetConsoleMode(handle, &mode) != 0;
}

void WriteNotice() {
    const HANDLE error = ::GetStdHandle(STD_ERROR_HANDLE);
    DWORD written = 0;
    if (IsConsole(error)) {
        ::WriteConsoleW(error, target.wideNotice.data(),
                        static_cast<DWORD>(target.wideNotice.size()), &written, nullptr);
    } else {
        ::WriteFile(error, target.notice.data(), static_cast<DWORD>(target.notice.size()), &written,
                    nullptr);
    }
}

BOOL WINAPI CleanUpAndEnd(DWORD /*event*/) {
    // Waits for a write in progress; no other one starts.
    ::AcquireSRWLockExclusive(&gate);
    if (!target.active) {
        ::ReleaseSRWLockExclusive(&gate);
        return FALSE;
    }
    ::SetFilePointerEx(target.file, target.sizeBefore, nullptr, FILE_BEGIN);
    ::SetEndOfFile(target.file);
    WriteNotice();
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
                                   const std::string& notice) {
    HANDLE own = nullptr;
    const HANDLE process = ::GetCurrentProcess();
    const bool duplicated = ::DuplicateHandle(process, reinterpret_cast<HANDLE>(dest.handle_),
                                              process, &own, 0, FALSE, DUPLICATE_SAME_ACCESS) != 0;
    ::AcquireSRWLockExclusive(&gate);
    target.active = duplicated;
    target.file = own;
    target.sizeBefore.QuadPart = sizeBefore;
    target.notice = notice;
    target.wideNotice = WideFromUtf8(notice).value_or(std::wstring());
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

}  // namespace pomuru
