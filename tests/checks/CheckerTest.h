#pragma once

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include <memory>
#include <string>
#include <vector>

#include "api/ApiManager.h"
#include "api/ConfigurationGuard.h"
#include "api/Package.h"
#include "checks/PackageChecker.h"
#include "support/ServiceControl.h"

// Base of the check tests: offers built from the "ps" members a test gives,
// checked by a real PackageChecker, and their verdicts read back from what
// the reference service recorded.
class CheckerTest : public testing::Test {
protected:
    struct Outcome {
        bool accepted = false;
        bool limitReached = false;
        std::vector<std::string> verdicts;  // every event 2 the service received for the offer
    };

    void SetUp() override {
        service::Reset();
        config->machineId = "machine-8";
        config->requestTimestamp = "20261210101010";
        identity = ApiManager::GetInstance()->CreateSignedRequest();
    }

    std::shared_ptr<Package> Offer(const std::string& id, const nlohmann::json& ps) {
        nlohmann::json element = {
            {"ad", {{"f", "F-" + id}, {"o", id}}},
            {"ps", {{"i", "i.png"}, {"dn", "Offer " + id}, {"u", "/f/o.exe"}}}};
        for (auto member = ps.begin(); member != ps.end(); ++member) {
            element["ps"][member.key()] = member.value();
        }
        return std::make_shared<Package>(identity, element, false, "", 0);
    }

    // Checks the offer and waits until its report, if any, has been delivered.
    Outcome Run(PackageChecker& checker, const std::shared_ptr<Package>& offer) {
        Outcome outcome;
        outcome.accepted = checker.Check(offer, outcome.limitReached);
        offer->WaitForPendingEvents();
        outcome.verdicts = VerdictsOf(offer->o);
        return outcome;
    }

    // One offer with these requirements, checked by a checker of its own.
    Outcome Evaluate(const nlohmann::json& ps, const std::string& id = "offer") {
        return Evaluate(Offer(id, ps));
    }
    Outcome Evaluate(const std::shared_ptr<Package>& offer) {
        PackageChecker checker(10);
        return Run(checker, offer);
    }

    static std::vector<std::string> VerdictsOf(const std::string& offerId) {
        std::vector<std::string> verdicts;
        for (const auto& row : service::Events()) {
            const nlohmann::json& event = row.at("event");
            if (event.at("5") == offerId) {
                EXPECT_EQ("2", event.at("6")) << "a check sent another event than a rejection";
                verdicts.push_back(event.at("13").get<std::string>());
            }
        }
        return verdicts;
    }

    using Verdicts = std::vector<std::string>;

    ConfigurationGuard config;
    SignedRequest identity;
};
