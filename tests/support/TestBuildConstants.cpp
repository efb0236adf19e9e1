#include "config/BuildConstants.h"

// Test programs act as a DLM wizard that talks to the local reference service.
const BuildConstants& ProductBuildConstants() {
    static const BuildConstants constants{"DLM", false, L"https://localhost",
                                          L"https://localhost/privacy"};
    return constants;
}
