// Starts a wizard executable and measures it from outside, as a user sees it:
//
//   wizard_benchmark startup <exe> [runs]  process start to the language page
//                                          painted; one line per run: "startup <ms>"
//   wizard_benchmark spawn [runs]          process start to exit of this program
//                                          doing nothing: the platform's share
//   wizard_benchmark evaluate <exe>        Next on the language page to the
//                                          welcome page shown: "evaluate <ms>"
//   wizard_benchmark memory <exe>          a whole run with two offers (the first
//                                          accepted, the second declined) to the
//                                          end: "memory <peak private bytes>
//                                          <peak pagefile bytes> <peak working
//                                          set bytes> <ms>"
//   wizard_benchmark idle-memory <exe>     the same counters for a program that
//                                          only waits, over its first 3 s
//
// "Painted" means the window is visible and neither the wizard, its visible
// page nor any control on it has a region left to paint. The wizard is found
// by its dialog class and its page-area control, among the windows of the
// process this program started; it is closed the way a user closes it.
#include <windows.h>
#include <psapi.h>

#include <algorithm>
#include <atomic>
#include <initializer_list>
#include <cstdio>
#include <cwchar>
#include <string>
#include <thread>

#include "support/WizardWindows.h"
#include "win32/UniqueHandle.h"

namespace {

using namespace wizard_windows;

const int kPageArea = 1014;
const int kLanguageCombo = 1000;
const int kNext = 1010;
const int kWelcomeText = 1017;
const int kOfferText = 1042;
const int kAccept = 1021;
const int kDecline = 1022;
const int kFinish = 1028;
const int kOpenFolder = 1034;

double Now() {
    static LARGE_INTEGER frequency = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return f;
    }();
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return 1000.0 * static_cast<double>(now.QuadPart) / static_cast<double>(frequency.QuadPart);
}

struct Started {
    win32::UniqueKernelHandle process;
    DWORD id = 0;
    double at = 0;
};

bool Start(const std::wstring& exe, const std::wstring& arguments, Started& started) {
    std::wstring commandLine = L"\"" + exe + L"\" " + arguments;
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION info = {};
    started.at = Now();
    if (!CreateProcessW(exe.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        nullptr, &startup, &info)) {
        std::fwprintf(stderr, L"wizard_benchmark: cannot start %ls: %lu\n", exe.c_str(),
                      GetLastError());
        return false;
    }
    win32::UniqueKernelHandle thread(info.hThread);
    started.process.reset(info.hProcess);
    started.id = info.dwProcessId;
    return true;
}

BOOL CALLBACK FindUnpainted(HWND window, LPARAM data) {
    if (IsWindowVisible(window) && GetUpdateRect(window, nullptr, FALSE)) {
        *reinterpret_cast<bool*>(data) = true;
        return FALSE;
    }
    return TRUE;
}

bool Painted(HWND wizard, HWND page) {
    if (GetUpdateRect(wizard, nullptr, FALSE) || GetUpdateRect(page, nullptr, FALSE)) {
        return false;
    }
    bool unpainted = false;
    EnumChildWindows(page, &FindUnpainted, reinterpret_cast<LPARAM>(&unpainted));
    return !unpainted;
}

// Polls every millisecond for up to timeout ms until the wizard of process
// shows a page with controlId, painted when painted is asked for.
HWND WaitForPage(const Started& started, int controlId, bool painted, double timeout,
                 HWND* wizardOut = nullptr) {
    const double end = Now() + timeout;
    while (Now() < end) {
        if (HWND wizard = FindDialog(started.id, IsWizardWindow)) {
            HWND page = VisiblePageWith(wizard, controlId);
            if (page && (!painted || Painted(wizard, page))) {
                if (wizardOut) {
                    *wizardOut = wizard;
                }
                return page;
            }
        }
        if (WaitForSingleObject(started.process.get(), 1) == WAIT_OBJECT_0) {
            break;
        }
    }
    std::fwprintf(stderr, L"wizard_benchmark: no page with control %d\n", controlId);
    return nullptr;
}

// Closes the wizard as a user does, answering its question, and waits for
// the process to end (killing it after 30 s).
void Close(const Started& started) {
    if (HWND wizard = FindDialog(started.id, IsWizardWindow)) {
        PostMessageW(wizard, WM_CLOSE, 0, 0);
    }
    for (int i = 0; i < 300; ++i) {
        if (WaitForSingleObject(started.process.get(), 100) == WAIT_OBJECT_0) {
            return;
        }
        HWND box = FindWindowExW(nullptr, nullptr, L"#32770", L"");
        DWORD owner = 0;
        if (box) {
            GetWindowThreadProcessId(box, &owner);
            if (owner == started.id && !GetDlgItem(box, kPageArea)) {
                SendMessageW(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
            }
        }
    }
    TerminateProcess(started.process.get(), 1);
}

void Click(HWND page, int id) {
    SendMessageW(GetDlgItem(page, id), BM_CLICK, 0, 0);
}

int StartupRuns(const std::wstring& exe, int runs) {
    for (int run = 0; run < runs; ++run) {
        Started started;
        if (!Start(exe, L"", started)) {
            return 1;
        }
        if (!WaitForPage(started, kLanguageCombo, true, 60000)) {
            Close(started);
            return 1;
        }
        std::printf("startup %.1f\n", Now() - started.at);
        std::fflush(stdout);
        Close(started);
    }
    return 0;
}

int SpawnRuns(int runs) {
    wchar_t self[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    for (int run = 0; run < runs; ++run) {
        Started started;
        if (!Start(self, L"nothing", started)) {
            return 1;
        }
        WaitForSingleObject(started.process.get(), INFINITE);
        std::printf("spawn %.1f\n", Now() - started.at);
        std::fflush(stdout);
    }
    return 0;
}

int Evaluate(const std::wstring& exe) {
    Started started;
    if (!Start(exe, L"", started)) {
        return 1;
    }
    HWND page = WaitForPage(started, kLanguageCombo, true, 60000);
    if (!page) {
        Close(started);
        return 1;
    }
    const double next = Now();
    // Posted, not sent: the wizard's Next handler then runs on its own time
    // and this thread starts polling at once.
    PostMessageW(GetDlgItem(page, kNext), BM_CLICK, 0, 0);
    const bool shown = WaitForPage(started, kWelcomeText, false, 120000) != nullptr;
    const double elapsed = Now() - next;
    Close(started);
    if (!shown) {
        return 1;
    }
    std::printf("evaluate %.1f\n", elapsed);
    return 0;
}

// The largest values the system reports for a process while it runs,
// sampled every 10 ms. Wine leaves PrivateUsage at 0 for other processes and
// reports the process's private bytes as its page-file usage.
struct MemoryPeaks {
    SIZE_T privateBytes = 0;    // max of PrivateUsage and PagefileUsage
    SIZE_T peakPagefile = 0;    // PeakPagefileUsage, the system's own peak
    SIZE_T peakWorkingSet = 0;  // PeakWorkingSetSize

    void Sample(HANDLE process) {
        PROCESS_MEMORY_COUNTERS_EX counters = {};
        counters.cb = sizeof(counters);
        if (GetProcessMemoryInfo(process, reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&counters),
                                 sizeof(counters))) {
            privateBytes = std::max({privateBytes, counters.PrivateUsage, counters.PagefileUsage});
            peakPagefile = std::max(peakPagefile, counters.PeakPagefileUsage);
            peakWorkingSet = std::max(peakWorkingSet, counters.PeakWorkingSetSize);
        }
    }
    void Print(double elapsed) const {
        std::printf("memory %lu %lu %lu %.1f\n", static_cast<unsigned long>(privateBytes),
                    static_cast<unsigned long>(peakPagefile),
                    static_cast<unsigned long>(peakWorkingSet), elapsed);
    }
};

// Samples process until it ends or done is set.
class MemorySampler {
public:
    explicit MemorySampler(HANDLE process)
        : thread([this, process] {
              while (!done) {
                  peaks.Sample(process);
                  if (WaitForSingleObject(process, 10) == WAIT_OBJECT_0) {
                      break;
                  }
              }
          }) {}
    MemoryPeaks Stop() {
        done = true;
        thread.join();
        return peaks;
    }

private:
    std::atomic<bool> done{false};
    MemoryPeaks peaks;
    std::thread thread;
};

// Walks a whole DLM run with two offers: the first accepted, the second
// declined, Finish with "Open Folder" chosen.
bool WalkTwoOffers(const Started& started) {
    HWND page = WaitForPage(started, kLanguageCombo, true, 60000);
    if (!page) {
        return false;
    }
    Click(page, kNext);
    if (!(page = WaitForPage(started, kWelcomeText, true, 60000))) {
        return false;
    }
    Click(page, kNext);
    HWND first = WaitForPage(started, kOfferText, true, 60000);
    if (!first) {
        return false;
    }
    Click(first, kAccept);
    // The second offer's page has the same controls: wait until the first
    // has gone.
    HWND second = first;
    const double end = Now() + 30000;
    while (second == first && Now() < end) {
        Sleep(1);
        second = WaitForPage(started, kOfferText, true, 30000);
    }
    if (!second || second == first) {
        return false;
    }
    Click(second, kDecline);
    if (!(page = WaitForPage(started, kFinish, true, 120000))) {
        return false;
    }
    Click(page, kOpenFolder);
    Click(page, kFinish);
    return WaitForSingleObject(started.process.get(), 60000) == WAIT_OBJECT_0;
}

int Memory(const std::wstring& exe) {
    Started started;
    if (!Start(exe, L"", started)) {
        return 1;
    }
    MemorySampler sampler(started.process.get());
    const bool ok = WalkTwoOffers(started);
    const double elapsed = Now() - started.at;
    if (!ok) {
        Close(started);
    }
    const MemoryPeaks peaks = sampler.Stop();
    if (!ok) {
        return 1;
    }
    peaks.Print(elapsed);
    return 0;
}

// The same counters for a program that only waits, after it has settled:
// what Wine (and an emulator, where one runs the program) costs any process.
int IdleMemory(const std::wstring& exe) {
    Started started;
    if (!Start(exe, L"", started)) {
        return 1;
    }
    MemorySampler sampler(started.process.get());
    Sleep(3000);
    const MemoryPeaks peaks = sampler.Stop();
    TerminateProcess(started.process.get(), 0);
    peaks.Print(Now() - started.at);
    return 0;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    const std::wstring action = argc > 1 ? argv[1] : L"";
    const int count = [&](int index) {
        return argc > index ? _wtoi(argv[index]) : 1;
    }(action == L"spawn" ? 2 : 3);
    if (action == L"nothing") {
        return 0;
    }
    if (action == L"spawn") {
        return SpawnRuns(count);
    }
    if (argc < 3) {
        std::fwprintf(stderr,
                      L"usage: wizard_benchmark startup|evaluate|memory <exe> [runs] | "
                      L"spawn [runs]\n");
        return 2;
    }
    const std::wstring exe = argv[2];
    if (action == L"startup") {
        return StartupRuns(exe, count);
    }
    if (action == L"evaluate") {
        return Evaluate(exe);
    }
    if (action == L"memory") {
        return Memory(exe);
    }
    if (action == L"idle-memory") {
        return IdleMemory(exe);
    }
    std::fwprintf(stderr, L"wizard_benchmark: unknown action\n");
    return 2;
}
