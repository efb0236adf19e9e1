#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "api/SignedRequest.h"
#include "framework/CString.h"

// Posts a JSON text over HTTPS to port 443 of the URL's host, whatever scheme,
// port or query the URL names. Sends the given headers in order, then
// "Expect: 100-continue" and "Content-Type: application/json". Appends the
// response body to response and stores the HTTP status in status (0 when it
// could not be read). Returns true; every transport failure throws
// TallwickException. Status codes are not interpreted here.
//
// Every wait has a time limit (api/NetworkTimeouts.h). A body larger than
// 16 MiB, a body still arriving 20 seconds after the call began, and a body
// whose reading abandon (when given, asked before each read) calls off are
// failed requests too: they throw.
bool PostJson(const CString& url, const std::string& body, HeaderList headers,
              std::string& response, uint32_t& status,
              const std::function<bool()>& abandon = nullptr);
