#pragma once

#include <string>

// The running Windows version as major.minor.build (for example 10.0.19045),
// read with RtlGetVersion, which no compatibility shim rewrites; empty when
// the call fails.
std::string GetOsVersionString();
