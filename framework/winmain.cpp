// The Windows entry point: hands over to the framework, which runs the application object.
#include "framework/afxwin.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    return AfxWinMain();
}
