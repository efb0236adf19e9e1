#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "framework/MessageBox.h"

// A message box that no test expected would wait for a person forever; here it
// fails the running test and is answered with Cancel instead.
int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);
    SetMessageBoxHook([](HWND, const wchar_t* text, const wchar_t* caption, UINT) {
        std::wstring wide = std::wstring(caption ? caption : L"") + L": " + (text ? text : L"");
        ADD_FAILURE() << "unexpected message box: " << std::string(wide.begin(), wide.end());
        return IDCANCEL;
    });
    return RUN_ALL_TESTS();
}
