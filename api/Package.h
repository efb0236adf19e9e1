#pragma once

#include <nlohmann/json.hpp>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <unordered_map>
#include <vector>

#include "api/SignedRequest.h"
#include "framework/CString.h"

namespace Gdiplus {
class Bitmap;
}

// One uninstall rule of an offer.
struct CmduRecord {
    CString utr;
    CString utk;
    CString utvn;
    CString utvt;
    int32_t umd = 0;
    bool utms = false;
};

// One installable item: the main product or an offer from the configuration
// response. Fields carry the names of the response keys they come from. Held
// by shared pointers; not copyable or movable (it owns its analytics state).
class Package : public std::enable_shared_from_this<Package> {
public:
    // Holds the thread of one analytics send while SendEvent starts it.
    struct EventState {
        std::thread thread;
    };

    // An offer from one element of the response's "o" list. Throws the JSON
    // library's errors for a malformed element.
    Package(const SignedRequest& request, const nlohmann::json& offer, bool isMain,
            const std::string& defaultC, int32_t index);
    // The main product, from configuration values; no placeholders.
    Package(const SignedRequest& request, bool isMain, const CString& o, const CString& f,
            const CString& dn, const CString& c, int32_t index);
    // Waits for the analytics sends still in flight.
    ~Package();

    Package(const Package&) = delete;
    Package& operator=(const Package&) = delete;

    // Refreshes the main product with values that arrived with the response.
    void ResetAsMain(const SignedRequest& request, const CString& o, const CString& f,
                     const CString& dn, const CString& c);

    // text with every {name} of the placeholder map replaced by its value.
    std::string ExpandPlaceholders(const std::string& text) const;

    // Starts one analytics send in the background and returns at once.
    // fields: null, or an object whose members replace existing body keys.
    void SendEvent(int32_t code, const nlohmann::json& fields = nullptr);

    // Blocks until every send started so far has finished.
    void WaitForPendingEvents();
    // The same, giving up at deadline: false when sends were still running.
    bool WaitForPendingEventsUntil(std::chrono::steady_clock::time_point deadline);

    // Fetches the offer image (i below the file base address) in the
    // background, stores the decoded bitmap in image when bytes arrived, then
    // calls callback (if any) on the fetch thread. The main product has no
    // image: callback runs at once. The pending fetch holds the package, which
    // must be owned by a shared pointer.
    void DownloadImage(std::function<void()> callback);

    std::mutex eventMutex;
    std::condition_variable eventsDone;
    int32_t pendingEvents = 0;  // guarded by eventMutex
    SignedRequest signedRequest;
    bool isMain = false;
    std::string dn;
    std::string o;
    std::string f;
    std::string c;
    std::string i;
    std::string u;
    std::string p;
    std::string cp;
    std::string ctu;
    std::atomic<int32_t> v{0};
    uint64_t disk = 0;
    uint64_t ram = 0;
    uint64_t cpu = 0;
    int32_t ov = 0;
    std::string pv;
    bool win64 = false;
    int32_t index = 0;
    std::atomic<bool> reportClosed{false};
    nlohmann::json analyticsBody = nlohmann::json::object();
    std::shared_ptr<Gdiplus::Bitmap> image;
    std::unordered_map<std::string, std::string> placeholders;
    std::vector<CString> fe;
    std::vector<CString> ife;
    std::vector<std::string> a;
    std::vector<CString> r;
    std::vector<CString> ir;
    std::vector<CString> rvn;
    std::vector<CString> rvd;
    std::vector<CString> eapp;
    std::vector<CString> iapp;
    bool exc = false;
    bool requiresChrome = false;
    bool excludesChrome = false;
    bool checksIeVersion = false;
    std::vector<CmduRecord> cmdu;

private:
    void BuildAnalyticsBody();
    void ApplyPreset(int64_t preset);
    // The body of one event and the headers to send it with, taken together
    // under the lock that ResetAsMain replaces them under.
    void SnapshotForEvent(nlohmann::json& body, HeaderList& headers);
    // Runs on the send's own thread; the destructor waits for it, so the
    // package outlives every sender.
    static void RunSender(Package* package, CString url, int32_t code, nlohmann::json fields);

    // Guards signedRequest and analyticsBody against ResetAsMain while a
    // sender copies them.
    std::mutex bodyMutex;
};
