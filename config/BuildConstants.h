#pragma once

// Values fixed when an executable is built. Each wizard executable links one
// definition of ProductBuildConstants (app/BuildConstants.cpp, compiled with
// that variant's definitions); test programs link their own.
struct BuildConstants {
    const char* wizardTypeName;     // "DLM" or "ISV"
    bool btVariant;                 // swaps the first two pages
    const wchar_t* serviceBaseUrl;  // HTTPS base of the configuration, analytics and file services
    const wchar_t* sdkLicenseUrl;   // privacy-policy page behind the SDK licence link
};

const BuildConstants& ProductBuildConstants();
