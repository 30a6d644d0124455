// A stand-in for a tray program: one hidden top-level window with the title
// given on the command line, closed by the Exit command (57665) unless it
// was started with "stay".
//
//   setup_standin.exe close|stay <title>
#include <windows.h>

#include <string>

namespace {

bool g_stay = false;

LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_COMMAND && LOWORD(wParam) == 57665) {
    if (!g_stay) DestroyWindow(window);
    return 0;
  }
  if (message == WM_DESTROY) {
    PostQuitMessage(0);
    return 0;
  }
  return DefWindowProcW(window, message, wParam, lParam);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR commandLine, int) {
  std::wstring line = commandLine ? commandLine : L"";
  const size_t space = line.find(L' ');
  if (space == std::wstring::npos) return 2;
  g_stay = line.substr(0, space) == L"stay";
  const std::wstring title = line.substr(space + 1);
  WNDCLASSW wc = {};
  wc.lpfnWndProc = WindowProc;
  wc.hInstance = instance;
  wc.lpszClassName = L"ZelSetupStandIn";
  RegisterClassW(&wc);
  if (!CreateWindowW(wc.lpszClassName, title.c_str(), WS_OVERLAPPEDWINDOW, 0, 0, 100, 100, nullptr, nullptr,
                     instance, nullptr)) {
    return 1;
  }
  MSG msg;
  while (GetMessageW(&msg, nullptr, 0, 0) > 0) DispatchMessageW(&msg);
  return 0;
}
