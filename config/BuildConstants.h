#pragma once

// Values fixed when an executable is built. Each wizard executable links one
// definition of ProductBuildConstants (app/BuildConstants.cpp, compiled with
// that variant's definitions); test programs link their own.
struct BuildConstants {
    const char* wizardTypeName;     // "DLM" or "ISV"
    bool btVariant;                 // swaps the first two pages
    const wchar_t* serviceBaseUrl;  // HTTPS base of the configuration, analytics and file services
    const wchar_t* sdkLicenseUrl;   // privacy-policy page behind the SDK licence link
    // The ISV flavour's own product; DLM wizards take theirs from the
    // configuration service. Empty texts leave the fields they fill empty.
    const wchar_t* isvProductUrl = L"";        // address of the main product's installer
    const wchar_t* isvProductArguments = L"";  // its command line
    const wchar_t* isvLaunchPath = L"";  // application the finish page launches, macros allowed
    const wchar_t* isvLaunchArguments = L"";  // its command line
};

const BuildConstants& ProductBuildConstants();
