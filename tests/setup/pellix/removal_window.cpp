// Stands in for the safe-removal program in the driver installer's tests: a
// hidden top-level window with the program's title that closes when asked.
// Started with "/stubborn" it ignores every close request.
#include <windows.h>

#include <cstring>

namespace {

bool g_stubborn = false;

LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_CLOSE:
      if (!g_stubborn) DestroyWindow(window);
      return 0;
    case WM_DESTROY:
      PostQuitMessage(0);
      return 0;
    default:
      return DefWindowProcA(window, message, wParam, lParam);
  }
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int) {
  g_stubborn = std::strstr(commandLine, "/stubborn") != nullptr;
  WNDCLASSA windowClass = {};
  windowClass.lpfnWndProc = WindowProc;
  windowClass.hInstance = instance;
  windowClass.lpszClassName = "ZelRemovalTestWindow";
  RegisterClassA(&windowClass);
  if (!CreateWindowA("ZelRemovalTestWindow", "Zel Safe Removal Application", WS_OVERLAPPED, 0, 0,
                     100, 100, nullptr, nullptr, instance, nullptr)) {
    return 1;
  }
  MSG message;
  while (GetMessageA(&message, nullptr, 0, 0) > 0) {
    TranslateMessage(&message);
    DispatchMessageA(&message);
  }
  return 0;
}
