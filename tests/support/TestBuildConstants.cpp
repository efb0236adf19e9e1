#include "config/BuildConstants.h"

// Test programs act as a DLM wizard that talks to the local reference service;
// a DLM wizard carries no ISV product.
const BuildConstants& ProductBuildConstants() {
    static const BuildConstants constants{
        "DLM", false, L"https://localhost", L"https://localhost/privacy", L"", L"", L"", L""};
    return constants;
}
