// Start-up of darvix.exe timed from inside one process: this probe launches the program, waits for
// its start-up dialog, confirms it and waits for the main window, with its own clock and no other
// process started in between. It launches a bare window of the same size the same way, reads the
// program's start-up record (DARVIX_PHASES) and its private bytes, and prints every figure beside
// its target. Run under Wine by bench/startup_bench.sh; not a test.
//
// Usage: startup_probe BIN_DIR [RUNS]   (BIN_DIR holds darvix.exe, ftd2xx.dll and bare_window.exe)
#include <windows.h>
#include <psapi.h>
#include <tlhelp32.h>
#include <winternl.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

namespace {

double NowMs() {
    LARGE_INTEGER now, frequency;
    QueryPerformanceCounter(&now);
    QueryPerformanceFrequency(&frequency);
    return static_cast<double>(static_cast<long double>(now.QuadPart) * 1000.0L / frequency.QuadPart);
}

struct Found {
    DWORD pid;
    const char* cls;
    HWND window;
};

BOOL CALLBACK FindVisible(HWND window, LPARAM p) {
    auto* f = reinterpret_cast<Found*>(p);
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    if (pid != f->pid || !IsWindowVisible(window)) return TRUE;
    char name[64] = {};
    GetClassNameA(window, name, sizeof name);
    if (lstrcmpA(name, f->cls) != 0) return TRUE;
    f->window = window;
    return FALSE;
}

// A visible top-level window of the class in the process, looked for every millisecond.
HWND WaitWindow(DWORD pid, const char* cls, double timeoutMs) {
    const double start = NowMs();
    do {
        Found f{pid, cls, nullptr};
        EnumWindows(FindVisible, reinterpret_cast<LPARAM>(&f));
        if (f.window) return f.window;
        Sleep(1);
    } while (NowMs() - start < timeoutMs);
    return nullptr;
}

uint64_t PrivateBytes(HANDLE process) {
    PROCESS_MEMORY_COUNTERS_EX counters{};
    counters.cb = sizeof counters;
    if (!GetProcessMemoryInfo(process, reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&counters), sizeof counters))
        return 0;
    return counters.PrivateUsage ? counters.PrivateUsage : counters.PagefileUsage;
}

// The threads of a process besides the first: the program's, and those named by the driver it
// loaded.
struct Threads {
    int total = 0;
    std::map<std::string, int> byModule;
};

Threads CountThreads(DWORD pid) {
    Threads t;
    using Query = LONG(WINAPI*)(HANDLE, int, void*, ULONG, ULONG*);
    auto query = reinterpret_cast<Query>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("ntdll.dll"), "NtQueryInformationThread")));
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
    if (snapshot == INVALID_HANDLE_VALUE) return t;
    THREADENTRY32 entry{};
    entry.dwSize = sizeof entry;
    bool first = true;
    for (BOOL more = Thread32First(snapshot, &entry); more; more = Thread32Next(snapshot, &entry)) {
        if (entry.th32OwnerProcessID != pid) continue;
        ++t.total;
        if (first) {  // the main thread
            first = false;
            continue;
        }
        // A thread that names itself (the simulated unit's delivery thread does) goes under its
        // name; the others under the program.
        std::string where = "the program";
        HANDLE thread = OpenThread(THREAD_QUERY_LIMITED_INFORMATION, FALSE, entry.th32ThreadID);
        struct {
            UNICODE_STRING text;
            wchar_t chars[128];
        } name{};
        ULONG got = 0;
        if (thread && query && query(thread, 38 /* ThreadNameInformation */, &name, sizeof name, &got) == 0 &&
            name.text.Length > 0 && name.text.Buffer) {
            const int n = static_cast<int>(std::min<size_t>(name.text.Length / sizeof(wchar_t), 127));
            char text[256] = {};
            WideCharToMultiByte(CP_UTF8, 0, name.text.Buffer, n, text, sizeof text - 1, nullptr, nullptr);
            where = std::string("\"") + text + "\"";
        }
        if (thread) CloseHandle(thread);
        ++t.byModule[where];
    }
    CloseHandle(snapshot);
    return t;
}

DWORD WINAPI WaitOnly(void* event) { return WaitForSingleObject(event, INFINITE); }

// What one more thread costs in private bytes under this Wine, and what of it stays once threads
// have ended: measured in this process with threads that only wait.
struct ThreadCost {
    uint64_t each = 0;          // while it runs
    uint64_t keptAfterEnd = 0;  // of the threads ended, still held afterwards
};

ThreadCost PrivateBytesPerThread() {
    constexpr int kThreads = 4;
    ThreadCost cost;
    HANDLE release = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    Sleep(50);
    const uint64_t before = PrivateBytes(GetCurrentProcess());
    HANDLE threads[kThreads] = {};
    for (HANDLE& h : threads) h = CreateThread(nullptr, 0, WaitOnly, release, 0, nullptr);
    Sleep(100);
    const uint64_t running = PrivateBytes(GetCurrentProcess());
    SetEvent(release);
    WaitForMultipleObjects(kThreads, threads, TRUE, 5000);
    Sleep(100);
    const uint64_t ended = PrivateBytes(GetCurrentProcess());
    for (HANDLE h : threads) CloseHandle(h);
    CloseHandle(release);
    if (running > before) cost.each = (running - before) / kThreads;
    if (ended > before) cost.keptAfterEnd = ended - before;
    return cost;
}

struct Launched {
    PROCESS_INFORMATION info{};
    double startMs = 0;
    bool ok = false;
};

Launched Launch(const std::string& dir, const std::string& exe) {
    Launched l;
    STARTUPINFOA si{};
    si.cb = sizeof si;
    std::string line = "\"" + dir + "\\" + exe + "\"";
    std::vector<char> command(line.begin(), line.end());
    command.push_back('\0');
    l.startMs = NowMs();
    l.ok = CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, dir.c_str(), &si, &l.info) != 0;
    return l;
}

// Closes what was launched: WM_CLOSE to its window, then, after a while, the hard way.
void End(Launched& l, HWND window) {
    if (!l.ok) return;
    if (window && IsWindow(window)) PostMessageA(window, WM_CLOSE, 0, 0);
    if (WaitForSingleObject(l.info.hProcess, 5000) != WAIT_OBJECT_0) {
        TerminateProcess(l.info.hProcess, 1);
        WaitForSingleObject(l.info.hProcess, 5000);
    }
    CloseHandle(l.info.hThread);
    CloseHandle(l.info.hProcess);
}

struct Record {
    std::vector<std::pair<std::string, double>> phases;  // name, QPC milliseconds
    std::vector<uint64_t> privateBytes;
    std::vector<uint64_t> bitmapBytes;
    std::map<std::string, std::pair<long, double>> counts;  // calls, ms
    std::map<std::string, uint64_t> bytes;
};

bool ReadRecord(const std::string& path, Record& r) {
    std::ifstream in(path);
    if (!in) return false;
    std::string line;
    while (std::getline(in, line)) {
        std::istringstream s(line);
        std::string kind;
        s >> kind;
        if (kind == "phase") {
            long long micros = 0;
            unsigned long long priv = 0, pixels = 0;
            s >> micros >> priv >> pixels;
            std::string name;
            std::getline(s, name);
            if (!name.empty() && name[0] == ' ') name.erase(0, 1);
            r.phases.push_back({name, micros / 1000.0});
            r.privateBytes.push_back(priv);
            r.bitmapBytes.push_back(pixels);
        } else if (kind == "count") {
            std::string name;
            long calls = 0;
            long long micros = 0;
            s >> name >> calls >> micros;
            r.counts[name] = {calls, micros / 1000.0};
        } else if (kind == "bytes") {
            std::string name;
            unsigned long long b = 0;
            s >> name >> b;
            r.bytes[name] = b;
        }
    }
    return !r.phases.empty();
}

double Median(std::vector<double> v) {
    if (v.empty()) return 0;
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

double Mib(uint64_t bytes) { return bytes / 1048576.0; }

struct Run {
    bool ok = false;
    double launchToDialog = 0, confirmToShown = 0, confirmToPainted = 0;
    double confirmMs = 0, launchMs = 0;
    uint64_t privateBytes = 0;
    Threads threads;
    Record record;
};

// One start of the program in the mode (0 offline, 1 target): launch, the dialog, confirm, the
// main window, its record, its memory a moment after, and the end.
Run StartProgram(const std::string& dir, int mode, const std::string& recordPath) {
    Run run;
    DeleteFileA(recordPath.c_str());
    SetEnvironmentVariableA("DARVIX_PHASES", recordPath.c_str());
    Launched l = Launch(dir, "darvix.exe");
    SetEnvironmentVariableA("DARVIX_PHASES", nullptr);
    if (!l.ok) {
        std::printf("cannot start %s\\darvix.exe (error %lu)\n", dir.c_str(), GetLastError());
        return run;
    }
    run.launchMs = l.startMs;
    HWND dialog = WaitWindow(l.info.dwProcessId, "#32770", 30000);
    if (!dialog) {
        std::printf("no start-up dialog within 30 s\n");
        End(l, nullptr);
        return run;
    }
    run.launchToDialog = NowMs() - l.startMs;
    // Let the dialog finish its first paint before the user acts (a person takes far longer).
    Sleep(300);
    if (mode == 0) {
        HWND combo = FindWindowExA(dialog, nullptr, "ComboBox", nullptr);
        SendMessageA(combo, CB_SETCURSEL, 0, 0);
        SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(1001, CBN_SELCHANGE), reinterpret_cast<LPARAM>(combo));
    }
    run.confirmMs = NowMs();
    PostMessageA(dialog, WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(20, 20));
    PostMessageA(dialog, WM_LBUTTONUP, 0, MAKELPARAM(20, 20));
    HWND main = WaitWindow(l.info.dwProcessId, "DIALOGUIMODULE", 30000);
    if (!main) {
        std::printf("no main window within 30 s of the confirmation\n");
        End(l, nullptr);
        return run;
    }
    run.confirmToShown = NowMs() - run.confirmMs;
    // The record is written once every window has painted.
    const double waitFrom = NowMs();
    while (!ReadRecord(recordPath, run.record) && NowMs() - waitFrom < 15000) Sleep(5);
    for (size_t i = 0; i < run.record.phases.size(); ++i)
        if (run.record.phases[i].first == "every window painted")
            run.confirmToPainted = run.record.phases[i].second - run.confirmMs;
    // Memory once start-up has settled.
    Sleep(1500);
    run.privateBytes = PrivateBytes(l.info.hProcess);
    run.threads = CountThreads(l.info.dwProcessId);
    End(l, main);
    run.ok = true;
    return run;
}

struct BareRun {
    double launchToShown = 0;
    uint64_t privateBytes = 0;
};

BareRun StartBare(const std::string& dir) {
    BareRun r;
    Launched l = Launch(dir, "bare_window.exe");
    if (!l.ok) return r;
    HWND w = WaitWindow(l.info.dwProcessId, "BAREWINDOW", 30000);
    r.launchToShown = NowMs() - l.startMs;
    Sleep(500);
    r.privateBytes = PrivateBytes(l.info.hProcess);
    End(l, w);
    return r;
}

// The phase table of one mode: each phase's median time from the launch (before the
// confirmation) or from the confirmation, the step from the phase before and the private bytes.
void PrintPhases(const char* title, const std::vector<Run>& runs) {
    const Run* first = nullptr;
    for (const Run& r : runs)
        if (r.ok && !r.record.phases.empty()) first = first ? first : &r;
    if (!first) {
        std::printf("  (no start-up record)\n");
        return;
    }
    std::printf("  phases, %s (median of %zu runs; ms from the launch until the confirmation, then from it)\n", title,
                runs.size());
    std::printf("    %-44s %9s %9s %12s %12s\n", "phase", "at ms", "step ms", "private MiB", "bitmaps MiB");
    double previous = 0;
    bool confirmed = false;
    for (size_t i = 0; i < first->record.phases.size(); ++i) {
        const std::string& name = first->record.phases[i].first;
        if (name == "start-up dialog confirmed") confirmed = true;
        std::vector<double> at;
        for (const Run& r : runs) {
            if (!r.ok || i >= r.record.phases.size() || r.record.phases[i].first != name) continue;
            at.push_back(r.record.phases[i].second - (confirmed ? r.confirmMs : r.launchMs));
        }
        const double m = Median(at);
        const double step = (i == 0 || name == "start-up dialog confirmed") ? m : m - previous;
        std::printf("    %-44s %9.1f %9.1f %12.1f %12.1f\n", name.c_str(), m, step, Mib(first->record.privateBytes[i]),
                    Mib(first->record.bitmapBytes[i]));
        previous = m;
    }
    std::printf("    costly work during start-up (first run):\n");
    for (const auto& [name, c] : first->record.counts)
        std::printf("      %-30s %6ld calls %9.1f ms\n", name.c_str(), c.first, c.second);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: startup_probe BIN_DIR [RUNS]\n");
        return 2;
    }
    const std::string dir = argv[1];
    const int runs = argc > 2 ? std::max(1, std::atoi(argv[2])) : 5;
    char temp[MAX_PATH] = {};
    GetTempPathA(sizeof temp, temp);
    const std::string recordPath = std::string(temp) + "darvix_phases.txt";

    std::vector<double> bare;
    uint64_t barePrivate = 0;
    for (int i = 0; i < runs; ++i) {
        const BareRun b = StartBare(dir);
        bare.push_back(b.launchToShown);
        barePrivate = b.privateBytes;
    }
    std::vector<Run> modes[2];
    for (int i = 0; i < runs; ++i)
        for (int mode = 0; mode < 2; ++mode) modes[mode].push_back(StartProgram(dir, mode, recordPath));

    const double bareMs = Median(bare);
    std::vector<double> dialog;
    for (const auto& m : modes)
        for (const Run& r : m)
            if (r.ok) dialog.push_back(r.launchToDialog);
    const double dialogMs = Median(dialog);
    std::printf("launch -> window shown, bare 1028 x 774 window: median %.0f ms over %d runs\n", bareMs, runs);
    std::printf("launch -> start-up dialog shown:                median %.0f ms = %.2f x bare   (target <= 1.50 x)\n",
                dialogMs, bareMs > 0 ? dialogMs / bareMs : 0.0);

    const char* names[2] = {"offline", "target (instant simulated unit)"};
    uint64_t privateAfter[2] = {0, 0};
    Record lastRecord[2];
    Threads lastThreads[2];
    const ThreadCost threadCost = PrivateBytesPerThread();
    const uint64_t perThread = threadCost.each;
    for (int mode = 0; mode < 2; ++mode) {
        std::vector<double> shown, painted, probe, waits;
        for (const Run& r : modes[mode]) {
            if (!r.ok) continue;
            shown.push_back(r.confirmToShown);
            painted.push_back(r.confirmToPainted);
            privateAfter[mode] = r.privateBytes;
            lastRecord[mode] = r.record;
            lastThreads[mode] = r.threads;
            double begin = 0, end = 0;
            for (const auto& [name, at] : r.record.phases) {
                if (name == "probe begins") begin = at;
                if (name == "probe ends" || name == "second probe ends") end = at;
            }
            probe.push_back(end - begin);
            const auto w = r.record.counts.find("probe-waits");
            waits.push_back(w == r.record.counts.end() ? 0.0 : w->second.second);
        }
        const double probeMs = Median(probe);
        std::printf("confirm -> main window, %s: shown %.0f ms, painted %.0f ms (median of %zu)", names[mode],
                    Median(shown), Median(painted), shown.size());
        if (mode == 0)
            std::printf("   (target <= 500 ms)\n");
        else
            std::printf("   (target <= 500 ms + the unit's exchanges: %.0f ms, the probe taking %.0f ms, of which "
                        "%.0f ms its prescribed waits)\n",
                        500 + probeMs, probeMs, Median(waits));
    }
    for (int mode = 0; mode < 2; ++mode) PrintPhases(names[mode], modes[mode]);

    // The memory account. Prescribed: what the program's design itself holds in memory DCs or on
    // the heap, as the program holds it (counted from its live bitmaps and arrays). The rest is
    // itemised so that the gap can be read: the charts' caches, other bitmaps, other heap
    // blocks, and what is left of the private bytes (code, data and stacks of the program and
    // its libraries, heap space freed but still committed).
    for (int mode = 0; mode < 2; ++mode) {
        const Record& r = lastRecord[mode];
        auto get = [&](const std::string& n) { auto it = r.bytes.find(n); return it == r.bytes.end() ? 0ull : it->second; };
        auto bitmaps = [&](const char* n) { return get(std::string("bitmaps:") + n); };
        auto count = [&](const char* n) { return std::to_string(get(std::string("bitmap-count:") + n)); };
        const uint64_t receive = mode == 1 ? 2ull * 4194305 : 0;
        struct Item {
            std::string what;
            uint64_t bytes;
        };
        const std::vector<Item> prescribed = {
            {"back buffers of " + std::to_string(get("frame-windows")) + " frame windows", get("frame-back-buffers")},
            {"their skin DCs (with overlays)", get("frame-skins")},
            {"back buffers and strips of " + std::to_string(get("button-windows")) + " buttons",
             get("button-buffers-and-strips")},
            {"back buffers of " + count("slider-back-buffers") + " sliders", bitmaps("slider-back-buffers")},
            {"the sliders' track and thumb DCs (" + count("slider-track-and-thumb-images") + ")",
             bitmaps("slider-track-and-thumb-images")},
            {"copies of faces: charts' backgrounds, readout grounds (" + count("copies-of-faces") + ")",
             bitmaps("copies-of-faces")},
            {"speaker, channel and input icons, labels, tab strips (" + count("icon-label-and-tab-strips") + ")",
             bitmaps("icon-label-and-tab-strips")},
            {"progress bars' bitmaps and back buffers (" + count("progress-bar-buffers") + ")",
             bitmaps("progress-bar-buffers")},
            {"points of " + std::to_string(get("chart-curves")) + " chart curves", get("chart-curve-points")},
            {"the link's receive buffer and read area", receive},
        };
        uint64_t sum = 0;
        for (const Item& i : prescribed) sum += i.bytes;
        std::printf("memory after start-up, %s: private %.1f MiB   (target <= prescribed %.1f + 10 MiB = %.1f MiB)\n",
                    names[mode], Mib(privateAfter[mode]), Mib(sum), Mib(sum) + 10);
        std::printf("    %-70s %9s\n", "prescribed, as the program holds it", "MiB");
        for (const Item& i : prescribed)
            if (i.bytes || i.what.find("link") == std::string::npos) std::printf("    %-70s %9.2f\n", i.what.c_str(), Mib(i.bytes));
        std::printf("    %-70s %9.2f\n", "sum", Mib(sum));
        std::printf("    %-70s %9s\n", "prescribed second copies the frames' skin DCs serve (not held twice):", "");
        std::printf("    %-70s %9.2f\n", "  DisplaySettings' and DeviceInfo's backgrounds, ChannelMap's, the car view's", 0.0);

        const uint64_t framed = get("frame-back-buffers") + get("frame-skins") + get("button-buffers-and-strips");
        uint64_t accounted = 0;
        for (const auto& [name, b] : r.bytes)
            if (name.rfind("bitmaps:", 0) == 0) accounted += b;
        const uint64_t allBitmaps = get("all-bitmaps");
        const uint64_t otherBitmaps = allBitmaps > framed + accounted ? allBitmaps - framed - accounted : 0;
        const uint64_t chartHeap = get("chart-curve-points") + get("chart-engine-work-arrays") +
                                   get("chart-engine-kept-responses") + get("chart-engine-prefix-responses") +
                                   get("chart-plans");
        const uint64_t heap = get("heap-in-use");
        const uint64_t otherHeap = heap > chartHeap + receive ? heap - chartHeap - receive : 0;
        const std::vector<Item> others = {
            {"Wine and a bare window (measured above)", barePrivate},
            {"the charts' response work arrays (" + std::to_string(get("charts")) + " charts)",
             get("chart-engine-work-arrays")},
            {"the charts' kept responses", get("chart-engine-kept-responses")},
            {"the charts' kept prefix responses", get("chart-engine-prefix-responses")},
            {"the charts' paint plans and last paints' operations", get("chart-plans")},
            {"the charts' plot canvases (" + count("chart-plot-canvases") + ")", bitmaps("chart-plot-canvases")},
            {"the charts' kept copies of their faces (" + count("chart-kept-copies") + ")", bitmaps("chart-kept-copies")},
            {"other bitmaps", otherBitmaps},
            {"other heap blocks in use", otherHeap},
        };
        uint64_t listed = sum;
        std::printf("    %-70s %9s\n", "the other users", "MiB");
        for (const Item& i : others) {
            std::printf("    %-70s %9.2f\n", i.what.c_str(), Mib(i.bytes));
            listed += i.bytes;
        }
        // Wine's own memory for each thread (measured in this probe), by the module each thread
        // of the program started in: the program's own, or the driver it loaded (the simulated
        // unit's, which in the field is the device).
        const Threads& threads = lastThreads[mode];
        std::printf("    %-70s %9s\n",
                    ("threads besides the main one, " + std::to_string(Mib(perThread)).substr(0, 4) +
                     " MiB each under this Wine (measured)").c_str(),
                    "");
        for (const auto& [module, n] : threads.byModule) {
            std::printf("    %-70s %9.2f\n", ("  " + std::to_string(n) + " of " + module).c_str(),
                        Mib(perThread * n));
            listed += perThread * n;
        }
        if (threads.byModule.empty()) std::printf("    %-70s %9.2f\n", "  none", 0.0);
        // Online, the probe's temporary link has run its receiver thread and the driver's delivery
        // thread and ended them; Wine keeps what it measured above for ended threads.
        if (mode == 1) {
            std::printf("    %-70s %9.2f\n", "  threads ended (the probe's link): what Wine keeps of them (measured)",
                        Mib(threadCost.keptAfterEnd));
            listed += threadCost.keptAfterEnd;
        }
        std::printf("    %-70s %9.2f\n", "the rest: code, data, stacks, freed heap space still committed",
                    privateAfter[mode] > listed ? Mib(privateAfter[mode] - listed) : -Mib(listed - privateAfter[mode]));
        if (!r.privateBytes.empty())
            std::printf("    %-70s %9.2f\n", "of all these, grown after the record was written (its last phase)",
                        Mib(privateAfter[mode]) - Mib(r.privateBytes.back()));
        // Where start-up grew the private bytes most, besides its bitmaps.
        std::vector<std::pair<double, std::string>> growth;
        for (size_t i = 1; i < r.phases.size(); ++i)
            growth.push_back({(Mib(r.privateBytes[i]) - Mib(r.privateBytes[i - 1])) -
                                  (Mib(r.bitmapBytes[i]) - Mib(r.bitmapBytes[i - 1])),
                              r.phases[i].first});
        std::sort(growth.rbegin(), growth.rend());
        std::printf("    %-70s %9s\n", "growth besides bitmaps, largest steps", "MiB");
        for (size_t i = 0; i < growth.size() && i < 5; ++i)
            std::printf("    %-70s %9.2f\n", ("  up to \"" + growth[i].second + "\"").c_str(), growth[i].first);
    }
    return 0;
}
