#include <gtest/gtest.h>

#include "support/ServiceControl.h"

namespace {

// Bad control input is refused with a reason, and the service keeps serving.
TEST(ReferenceServiceTest, RefusesBadControlInputAndStaysUp) {
    struct Case {
        const wchar_t* verb;
        const wchar_t* path;
        const char* body;
        const char* reason;
    } cases[] = {
        {L"POST", L"/_control/scenario", "{not json", "not valid JSON"},
        {L"POST", L"/_control/scenario", "{\"responses\":[]}", "scenario needs"},
        {L"POST", L"/_control/scenario", "{\"path\":\"/o\",\"responses\":{}}", "a list of objects"},
        {L"POST", L"/_control/scenario", "{\"path\":\"/o\",\"responses\":[{\"status\":\"x\"}]}",
         "status"},
        {L"POST", L"/_control/scenario", "{\"path\":\"/o\",\"responses\":[{\"delay\":9999}]}",
         "delay"},
        {L"POST", L"/_control/scenario", "{\"path\":\"/o\",\"responses\":[{\"colour\":1}]}",
         "unknown members"},
        {L"POST", L"/_control/scenario", "[{\"path\":\"/o\",\"responses\":[]},7]", "object"},
        {L"POST", L"/_control/scenario", "{\"path\":\"/f/x\",\"responses\":[{\"body_size\":-1}]}",
         "body_size"},
        {L"POST", L"/_control/scenario", "{\"path\":\"/f/x\",\"responses\":[{\"pace\":[0,0.1]}]}",
         "pace"},
        {L"POST", L"/_control/scenario", "{\"path\":\"/f/x\",\"responses\":[{\"stall\":600}]}",
         "stall"},
        {L"POST", L"/_control/scenario", "{\"path\":\"/f/x\",\"responses\":[{\"drop\":1}]}",
         "drop"},
        {L"GET", L"/_control/nothing", "", "unknown control request"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.body);
        auto answer = service::Control(c.verb, c.path, c.body);
        EXPECT_EQ(400u, answer.first);
        EXPECT_NE(std::string::npos, answer.second.find(c.reason)) << answer.second;
    }
    EXPECT_EQ(200u, service::Control(L"GET", L"/_control/ping").first);
}

}  // namespace
