// What the Windows tests of hostile input share: buffers that catch overruns, a
// reporter that names the case a crash or a hang happened in, and a check of the
// stored document that reads the control's record without touching the store.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

namespace qvtest {

// One writable byte right before a page the process may not touch: a read or write
// past that byte faults at once.
class GuardedByte {
public:
    GuardedByte();
    ~GuardedByte();
    uint8_t* get() const { return byte_; }
    void Reset() { *byte_ = 0; }

private:
    uint8_t* base_ = nullptr;
    uint8_t* byte_ = nullptr;
};

// Names the case that is running. A crash (any exception nothing handled) or a case
// that runs longer than the watchdog allows prints the last case named, with the
// exception's code and address, and ends the process with a failure.
class CaseReporter {
public:
    // `stallSeconds`: how long one case may run before it counts as a hang.
    explicit CaseReporter(DWORD stallSeconds = 30);
    ~CaseReporter();
    // The text is copied into a fixed buffer: naming a case allocates nothing.
    void Name(const char* format, ...);
    void Tick() { ++ticks_; }

private:
    static DWORD WINAPI Watch(LPVOID self);
    HANDLE thread_ = nullptr;
    HANDLE stop_ = nullptr;
    DWORD stallSeconds_;
    volatile LONG ticks_ = 0;
};

// The stored document's shape, read from the control's record: every line ends in
// exactly one CR (the last one in the closing CR), every record lies inside the
// LineHeap's used part with room for its characters, hiddenLineCount equals the
// lines marked hidden, the selection lies in the text. Empty when all holds, else
// what does not.
std::string DocumentFault(HWND control);

// The stored characters of every line, closing CR included, read from the record.
std::string StoredText(HWND control);

}  // namespace qvtest
