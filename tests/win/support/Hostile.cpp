#include "win/support/Hostile.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>

#include "base/EditorInstance.h"
#include "store/LineRecord.h"

namespace qvtest {

GuardedByte::GuardedByte() {
    SYSTEM_INFO info;
    GetSystemInfo(&info);
    const DWORD page = info.dwPageSize;
    base_ = static_cast<uint8_t*>(VirtualAlloc(nullptr, 2 * page, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE));
    DWORD old = 0;
    VirtualProtect(base_ + page, page, PAGE_NOACCESS, &old);
    byte_ = base_ + page - 1;
    *byte_ = 0;
}

GuardedByte::~GuardedByte() { VirtualFree(base_, 0, MEM_RELEASE); }

namespace {

char gCaseName[512] = "(before the first case)";

LONG WINAPI ReportCrash(EXCEPTION_POINTERS* info) {
    const EXCEPTION_RECORD* r = info->ExceptionRecord;
    HMODULE module = nullptr;
    char moduleName[MAX_PATH] = "?";
    if (GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                           static_cast<LPCSTR>(r->ExceptionAddress), &module))
        GetModuleFileNameA(module, moduleName, sizeof moduleName);
    std::fprintf(stderr, "\nCRASH: exception 0x%08lX at %p (%s, offset 0x%lX) in case: %s\n",
                 static_cast<unsigned long>(r->ExceptionCode), r->ExceptionAddress, moduleName,
                 static_cast<unsigned long>(static_cast<const char*>(r->ExceptionAddress) -
                                            reinterpret_cast<const char*>(module)),
                 gCaseName);
    std::fflush(stderr);
    TerminateProcess(GetCurrentProcess(), 3);
    return EXCEPTION_EXECUTE_HANDLER;
}

}  // namespace

CaseReporter::CaseReporter(DWORD stallSeconds) : stallSeconds_(stallSeconds) {
    SetUnhandledExceptionFilter(ReportCrash);
    stop_ = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    thread_ = CreateThread(nullptr, 0, Watch, this, 0, nullptr);
}

CaseReporter::~CaseReporter() {
    SetEvent(stop_);
    WaitForSingleObject(thread_, INFINITE);
    CloseHandle(thread_);
    CloseHandle(stop_);
    SetUnhandledExceptionFilter(nullptr);
}

void CaseReporter::Name(const char* format, ...) {
    va_list args;
    va_start(args, format);
    std::vsnprintf(gCaseName, sizeof gCaseName, format, args);
    va_end(args);
    Tick();
}

DWORD WINAPI CaseReporter::Watch(LPVOID param) {
    auto* self = static_cast<CaseReporter*>(param);
    LONG seen = self->ticks_;
    DWORD still = 0;
    while (WaitForSingleObject(self->stop_, 1000) == WAIT_TIMEOUT) {
        if (self->ticks_ != seen) {
            seen = self->ticks_;
            still = 0;
        } else if (++still >= self->stallSeconds_) {
            std::fprintf(stderr, "\nHANG: no progress for %lu s in case: %s\n",
                         static_cast<unsigned long>(still), gCaseName);
            std::fflush(stderr);
            TerminateProcess(GetCurrentProcess(), 4);
        }
    }
    return 0;
}

std::string DocumentFault(HWND control) {
    const auto* ed = reinterpret_cast<const qv::EditorInstance*>(GetWindowLongPtrA(control, 0));
    if (!ed) return "no record";
    char text[200];
    if (ed->lineIndexUsed < 4 || ed->lineIndexUsed % 4 || ed->lineIndexUsed > ed->lineIndexSize)
        return "lineIndexUsed out of shape";
    const uint32_t count = ed->lineIndexUsed / 4;
    uint32_t hidden = 0, stored = 0;
    for (uint32_t i = 0; i < count; ++i) {
        const uint32_t offset = qv::RecordOffset(*ed, i);
        if (offset + qv::kMinRecordSize > ed->lineHeapUsed) {
            std::snprintf(text, sizeof text, "line %u: record at %u outside the used LineHeap", i, offset);
            return text;
        }
        qv::LineRecordView rec(ed->lineHeap + offset);
        const uint32_t n = rec.length();
        if (n + qv::kRecChars > rec.size() || offset + rec.size() > ed->lineHeapUsed) {
            std::snprintf(text, sizeof text, "line %u: %u characters in a record of %u", i, n, rec.size());
            return text;
        }
        if (n == 0 || rec.chars()[n - 1] != '\r' || std::memchr(rec.chars(), '\r', n - 1)) {
            std::snprintf(text, sizeof text, "line %u (of %u): not one CR at its end", i, count);
            return text;
        }
        hidden += (rec.flags() & qv::kFlagHidden) != 0;
        stored += n;
    }
    if (hidden != ed->hiddenLineCount) {
        std::snprintf(text, sizeof text, "hiddenLineCount %u, hidden lines %u", ed->hiddenLineCount, hidden);
        return text;
    }
    if (ed->caretPos > stored || ed->selAnchor > stored) {
        std::snprintf(text, sizeof text, "selection %u..%u past the text (%u stored)", ed->selAnchor,
                      ed->caretPos, stored);
        return text;
    }
    return "";
}

std::string StoredText(HWND control) {
    const auto* ed = reinterpret_cast<const qv::EditorInstance*>(GetWindowLongPtrA(control, 0));
    std::string text;
    if (!ed) return text;
    for (uint32_t i = 0; i < ed->lineIndexUsed / 4; ++i) {
        qv::LineRecordView rec(ed->lineHeap + qv::RecordOffset(*ed, i));
        text.append(reinterpret_cast<const char*>(rec.chars()), rec.length());
    }
    return text;
}

}  // namespace qvtest
