// Compiled HTML help, reached through the system's help control at run time
// (nothing to link, and a machine without it simply shows no help).
#pragma once
#include <windows.h>

namespace zel::fw {

// Opens `file` (a .chm, resolved the way the system resolves a bare name)
// at its default topic; the help window, or null.
HWND ShowHelpFile(HWND owner, const wchar_t* file);

}  // namespace zel::fw
