#include <windows.h>

// Entry point of the wizard. The dialogs arrive with the wizard shell; until
// then the executable starts and ends.
int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    return 0;
}
