// The skinned message box of the security and power tools: a shaped dialog
// on one of the build's backgrounds with a kind mark, a caption, a text and
// skinned Yes/No or single buttons. Modal over the calling window; returns
// the id of the button that closed it (2 for Escape).
#pragma once
#include <windows.h>

#include <string>

#include "skin/message_box_layout.h"

namespace zel::skin {

// The power tool's build: pictures from the program's resources.
int ShowDormelBox(HWND owner, int background, const std::string& text, const std::string& caption, int kind);
// The security tool's build: pictures from files in the current directory;
// the error and warning kinds play their sound before the box shows.
int ShowTessaryBox(HWND owner, int background, const std::string& text, const std::string& caption, int kind);

}  // namespace zel::skin
