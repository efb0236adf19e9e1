// Times the download manager's transfers on an address given on the command
// line, through the wizard's own code:
//
//   download_benchmark winhttp <url> [runs]   the WinHTTP file engine
//   download_benchmark wininet <url> [runs]   the WinINet file engine
//   download_benchmark memory <url> [runs]    the WinHTTP fetch into memory
//
// Each run prints one line: "<engine> <bytes> <milliseconds>". File runs write
// into the configuration's work folder and delete the file afterwards, so a
// run of a large file needs its size once on disk. Exit code 1 when a run
// fails (its message goes to standard error).
#include <windows.h>

#include <cstdio>
#include <cwchar>
#include <memory>
#include <string>

#include "config/BuildConstants.h"
#include "config/ConfigurationManager.h"
#include "download/DownloadManager.h"
#include "download/TargetFile.h"

const BuildConstants& ProductBuildConstants() {
    static const BuildConstants constants{"DLM", false, L"https://localhost",
                                          L"https://localhost/privacy"};
    return constants;
}

namespace {

double Milliseconds(const LARGE_INTEGER& start, const LARGE_INTEGER& end) {
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    return 1000.0 * static_cast<double>(end.QuadPart - start.QuadPart) /
           static_cast<double>(frequency.QuadPart);
}

// One run; false when the transfer failed.
bool RunOnce(DownloadManager& manager, const std::wstring& engine, const CString& url,
             uint64_t& bytes) {
    // The engines post their progress to this thread's queue: nobody reads
    // it, and a run posts about a hundred messages at most.
    const HWND noWindow = nullptr;
    if (engine == L"memory") {
        bytes = manager.FetchToMemory(url)->size();
        return bytes != 0;
    }
    const DownloadManager::Result result =
        engine == L"winhttp"
            ? manager.DownloadWithWinHttp(url, noWindow, L"download-benchmark.bin", true)
            : manager.DownloadWithWinInet(url, noWindow, L"download-benchmark.bin", true);
    const CString path = manager.ResolveTargetPath(url, L"download-benchmark.bin", true);
    DWORD error = 0;
    bytes = 0;
    ReadFileLength(path, bytes, error);
    DeleteFileW(path);
    if (!result.first) {
        std::fwprintf(stderr, L"%ls: %ls\n", engine.c_str(), result.second.GetString());
    }
    return result.first;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    const std::wstring engine = argc > 1 ? argv[1] : L"";
    if (argc < 3 || (engine != L"winhttp" && engine != L"wininet" && engine != L"memory")) {
        std::fwprintf(stderr, L"usage: download_benchmark winhttp|wininet|memory <url> [runs]\n");
        return 2;
    }
    const CString url(argv[2]);
    const int runs = argc > 3 ? _wtoi(argv[3]) : 1;
    auto config = ConfigurationManager::GetInstance();
    DownloadManager manager;
    int status = 0;
    for (int run = 0; run < runs; ++run) {
        uint64_t bytes = 0;
        LARGE_INTEGER start, end;
        QueryPerformanceCounter(&start);
        const bool ok = RunOnce(manager, engine, url, bytes);
        QueryPerformanceCounter(&end);
        if (!ok) {
            status = 1;
            continue;
        }
        std::printf("%ls %llu %.1f\n", engine.c_str(), static_cast<unsigned long long>(bytes),
                    Milliseconds(start, end));
        std::fflush(stdout);
    }
    // The work folder the configuration created for this process.
    RemoveDirectoryW(config->workFolder);
    return status;
}
