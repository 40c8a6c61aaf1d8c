// Linked into every Windows test program. A test process that dies (an access violation, an
// abort, std::terminate) would otherwise lose what GoogleTest had written: the C runtime buffers
// standard output when it is a pipe, as it is under CTest. Output goes out unbuffered, and the
// cause of a crash is written to standard error before the process ends.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <exception>

namespace {

LONG WINAPI ReportUnhandled(EXCEPTION_POINTERS* info) {
    const EXCEPTION_RECORD* r = info ? info->ExceptionRecord : nullptr;
    std::fprintf(stderr, "test process: unhandled exception 0x%08lx at %p\n",
                 r ? static_cast<unsigned long>(r->ExceptionCode) : 0ul,
                 r ? r->ExceptionAddress : nullptr);
    std::fflush(stderr);
    return EXCEPTION_CONTINUE_SEARCH;
}

[[noreturn]] void ReportTerminate() {
    std::fprintf(stderr, "test process: std::terminate called%s\n",
                 std::current_exception() ? " with an exception in flight" : "");
    std::fflush(stderr);
    std::abort();
}

struct CrashReport {
    CrashReport() {
        std::setvbuf(stdout, nullptr, _IONBF, 0);
        std::setvbuf(stderr, nullptr, _IONBF, 0);
        SetUnhandledExceptionFilter(ReportUnhandled);
        std::set_terminate(ReportTerminate);
    }
};

const CrashReport report;

}  // namespace
