#pragma once

#include <memory>

#include "config/ConfigurationManager.h"

// Restores the configuration values the service-client tests change, so that
// each test starts from the same record.
class ConfigurationGuard {
public:
    ConfigurationGuard() : config(ConfigurationManager::GetInstance()) {
        saved.productTitle = config->productTitle;
        saved.ch = config->ch;
        saved.cfl = config->cfl;
        saved.configUrl = config->configUrl;
        saved.analyticsUrl = config->analyticsUrl;
        saved.localeName = config->localeName;
        saved.countryCode = config->countryCode;
        saved.publisherId = config->publisherId;
        saved.cb = config->cb;
        saved.requestTimestamp = config->requestTimestamp;
        saved.machineId = config->machineId;
    }
    ~ConfigurationGuard() {
        config->productTitle = saved.productTitle;
        config->ch = saved.ch;
        config->cfl = saved.cfl;
        config->configUrl = saved.configUrl;
        config->analyticsUrl = saved.analyticsUrl;
        config->localeName = saved.localeName;
        config->countryCode = saved.countryCode;
        config->publisherId = saved.publisherId;
        config->cb = saved.cb;
        config->requestTimestamp = saved.requestTimestamp;
        config->machineId = saved.machineId;
    }
    ConfigurationGuard(const ConfigurationGuard&) = delete;
    ConfigurationGuard& operator=(const ConfigurationGuard&) = delete;

    ConfigurationManager* operator->() const { return config.get(); }

private:
    std::shared_ptr<ConfigurationManager> config;
    struct Values {
        CString productTitle, ch, cfl, configUrl, analyticsUrl, localeName;
        std::string countryCode, publisherId, cb, requestTimestamp, machineId;
    } saved;
};
