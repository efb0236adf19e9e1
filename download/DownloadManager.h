#pragma once

#include <atomic>
#include <memory>

// Runs the wizard's downloads. Placeholder until the download engines land:
// only the cancel flag that quitting sets exists so far.
class DownloadManager {
public:
    static std::shared_ptr<DownloadManager> GetInstance();

    // Written once by the user-interface thread when the user quits; polled by
    // transfers between blocks.
    std::atomic<bool> cancelled{false};
};
