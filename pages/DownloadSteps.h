#pragma once

#include <windows.h>

#include <chrono>
#include <future>
#include <memory>

#include "download/DownloadManager.h"
#include "framework/CString.h"
#include "process/ProcessLauncher.h"

class Package;

// Steps both download pages take, each the same in either flavour.

// Downloads url on a worker; progress messages go to window.
std::future<DownloadManager::Result> StartDownload(const CString& url, HWND window,
                                                   const CString& fileName, bool useWorkFolder);

// True once future holds its result; never blocks.
template <typename T>
bool IsReady(const std::future<T>& future) {
    return future.valid() && future.wait_for(std::chrono::seconds(0)) == std::future_status::ready;
}

// Reports a download that failed (event -1, "12": "DOWNLOAD FAILED: <text>").
void ReportDownloadFailure(Package& package, const CString& text);

// Turns a downloaded file into the program to start: an archive is unpacked
// into the working folder and its first program found.
CString InstallerToRun(const CString& downloaded);

// Starts the installer of package at path with the package's arguments: the
// product's from the configuration, an offer's own.
std::future<RunResult> StartInstaller(const Package& package, const CString& path);

// Hands a run that may still be going to a thread of its own, so that
// dropping it never waits for an installer the user chose to leave running.
void LetRunContinue(std::future<RunResult> run);
