// A program that only waits: tests copy it under the name of an application
// they need to be running, and end it themselves. It ends on its own after a
// minute so that a test that crashed leaves nothing behind for long.
#include <windows.h>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    Sleep(60000);
    return 0;
}
