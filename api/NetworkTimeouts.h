#pragma once

// Time limits of every network exchange, in milliseconds. The platform's
// defaults let WinHTTP wait 30 seconds for each read and WinINet for ever, and
// neither bounds a whole response: against a service that stalls or drips, a
// closing wizard would wait on them for minutes.
constexpr int kResolveTimeoutMs = 10000;
constexpr int kConnectTimeoutMs = 10000;
constexpr int kSendTimeoutMs = 10000;

// A service request (configuration, analytics): the longest wait for the
// response's headers or for the next bytes of its body.
constexpr int kRequestReceiveTimeoutMs = 10000;

// The longest a service response's body may take to arrive in full; a body
// still arriving after that is a failed request.
constexpr unsigned kRequestBodyDeadlineMs = 20000;

// A download that receives nothing for this long fails with the engine's
// time-out text: stall detection.
constexpr int kDownloadReceiveTimeoutMs = 15000;
