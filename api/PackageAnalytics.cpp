#include <windows.h>

#include <algorithm>
#include <iterator>

#include "api/HttpPost.h"
#include "api/Package.h"
#include "config/ConfigurationManager.h"
#include "framework/Sleep.h"

namespace {

using nlohmann::json;

// A delivered event of one of these codes ends the package's reporting.
const int32_t kFinalCodes[] = {-1, 2, 3, 4, 5};
const int kEventAttempts = 2;
const unsigned kRetryPauseMs = 5000;

bool IsFinal(int32_t code) {
    return std::find(std::begin(kFinalCodes), std::end(kFinalCodes), code) != std::end(kFinalCodes);
}

std::string Compact(const json& value) {
    // Strict: text that is not UTF-8 is a type error, and the event is dropped.
    return value.dump(-1, ' ', false, json::error_handler_t::strict);
}

}  // namespace

void Package::SendEvent(int32_t code, const json& fields) {
    if (reportClosed) {
        return;
    }
    {
        std::lock_guard<std::mutex> lock(eventMutex);
        ++pendingEvents;
    }
    try {
        // The address is read here, on the caller's thread: a sender still
        // running while the process ends must not reach for the configuration
        // singleton during static destruction.
        const CString url = ConfigurationManager::GetInstance()->analyticsUrl;
        // The send holds the package while it runs: a send given up at exit
        // then leaves nobody waiting for it, and the process can end.
        std::shared_ptr<Package> holder = weak_from_this().lock();
        auto state = std::make_shared<EventState>();
        state->thread =
            std::thread([this, holder, url, code, fields] { RunSender(this, url, code, fields); });
        state->thread.detach();
    } catch (...) {
        // No thread, no send: undo the count so that nobody waits for it.
        std::lock_guard<std::mutex> lock(eventMutex);
        if (--pendingEvents == 0) {
            eventsDone.notify_all();
        }
        throw;
    }
}

void Package::WaitForPendingEvents() {
    std::unique_lock<std::mutex> lock(eventMutex);
    eventsDone.wait(lock, [this] { return pendingEvents == 0; });
}

bool Package::WaitForPendingEventsUntil(std::chrono::steady_clock::time_point deadline) {
    std::unique_lock<std::mutex> lock(eventMutex);
    return eventsDone.wait_until(lock, deadline, [this] { return pendingEvents == 0; });
}

void Package::SnapshotForEvent(json& body, HeaderList& headers) {
    std::lock_guard<std::mutex> lock(bodyMutex);
    body = analyticsBody;
    headers = signedRequest.headers;
}

void Package::RunSender(Package* package, CString url, int32_t code, json fields) {
    try {
        json body;
        HeaderList headers;
        package->SnapshotForEvent(body, headers);
        body["6"] = std::to_string(code);
        // Only keys the body already has can be filled; key() throws for
        // fields that are not an object, which drops the event.
        for (auto field = fields.begin(); field != fields.end(); ++field) {
            auto existing = body.find(field.key());
            if (existing != body.end()) {
                *existing = field.value();
            }
        }

        json wrapper = json::object();
        wrapper["table"] = "zb_analytics";
        wrapper["data"] = Compact(body);

        for (int attempt = 0; attempt < kEventAttempts; ++attempt) {
            std::string response;
            uint32_t status = 0;
            if (PostJson(url, Compact(wrapper), headers, response, status) && status >= 200 &&
                status <= 399) {
                // A late non-final delivery must not reopen a package whose
                // final event already arrived: that would report it twice.
                if (IsFinal(code)) {
                    package->reportClosed = true;
                }
                break;
            }
            SleepFor(kRetryPauseMs);
        }
    } catch (const std::exception&) {
        // Analytics never change what the wizard does: the event is dropped.
    }

    std::lock_guard<std::mutex> lock(package->eventMutex);
    if (--package->pendingEvents == 0) {
        package->eventsDone.notify_all();
    }
}
