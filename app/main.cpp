#include <windows.h>

#include "app/CTallwickApp.h"

// Entry point of the wizard: the process ends when the wizard dialog does.
int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    CTallwickApp app;
    app.InitInstance();
    return 0;
}
