#pragma once

#include <nlohmann/json.hpp>

#include <mutex>
#include <string>
#include <utility>
#include <vector>

#include "framework/Sleep.h"

// The reference service's control interface, reached over its plain HTTP
// port so that it does not depend on the client code under test.
namespace service {

struct RecordedRequest {
    std::string method;
    std::string path;                                          // without the query
    std::string target;                                        // as sent on the request line
    std::string scheme;                                        // "https" or "http"
    std::vector<std::pair<std::string, std::string>> headers;  // in arrival order
    std::string body;                                          // exact bytes
};

// Forgets scenarios and recorded requests and empties the events table.
void Reset();
// One scenario object or a list of them; fails the test on a refusal.
void SetScenario(const nlohmann::json& scenario);
// Answers (status, body) of a raw control call, for tests of the interface.
std::pair<unsigned, std::string> Control(const wchar_t* verb, const std::wstring& path,
                                         const std::string& body = std::string());
std::vector<RecordedRequest> Requests(const std::string& path = std::string());
// Rows of the analytics database: id, received, raw_body_hex, event, headers.
nlohmann::json Events();
std::string FromHex(const std::string& hex);
// Bytes as the lower-case hex text of a scenario's "body_hex".
std::string ToHex(const std::string& bytes);

}  // namespace service

// Replaces the process's sleep while alive: records each requested pause and
// returns at once, so retry loops run fast and their pauses can be checked.
class SleepRecorder {
public:
    SleepRecorder();
    ~SleepRecorder();
    SleepRecorder(const SleepRecorder&) = delete;
    SleepRecorder& operator=(const SleepRecorder&) = delete;
    std::vector<unsigned> Pauses();

private:
    std::mutex lock;
    std::vector<unsigned> pauses;
    SleepHook previous;
};
