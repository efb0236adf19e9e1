#pragma once

#include <string>

// The Windows installation's MachineGuid, read from the 64-bit registry view
// so that a 32-bit process on 64-bit Windows sees the real value. Empty when
// it cannot be read.
std::string ReadMachineId();
