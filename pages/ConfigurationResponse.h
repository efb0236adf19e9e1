#pragma once

#include <nlohmann/json.hpp>

#include <memory>
#include <vector>

class Package;

// Reads a parsed configuration response into the configuration manager (the
// country, the DLM main product, the publisher) and returns the offers that
// pass the eligibility checks, in order. Sets unusable when a DLM product has
// an empty title or address (the list is then empty). Throws the JSON
// library's errors, and whatever a package or a check throws, for a response
// it cannot read: the caller shows the failure. This is the loading worker's
// work after the request, apart from any window.
std::vector<std::shared_ptr<Package>> ReadConfigurationResponse(const nlohmann::json& root,
                                                                bool& unusable);
