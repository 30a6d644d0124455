#include "framework/html_help.h"

namespace zel::fw {
namespace {

constexpr UINT kHelpDisplayTopic = 0x0000;  // HH_DISPLAY_TOPIC
using HtmlHelpProc = HWND(WINAPI*)(HWND, LPCWSTR, UINT, DWORD_PTR);

}  // namespace

HWND ShowHelpFile(HWND owner, const wchar_t* file) {
  // The help control stays loaded: its window outlives this call.
  static HMODULE control = ::LoadLibraryW(L"hhctrl.ocx");
  if (!control) return nullptr;
  auto proc = reinterpret_cast<HtmlHelpProc>(
      reinterpret_cast<void*>(::GetProcAddress(control, "HtmlHelpW")));
  return proc ? proc(owner, file, kHelpDisplayTopic, 0) : nullptr;
}

}  // namespace zel::fw
