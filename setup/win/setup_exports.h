// The exports of CorvexSetup.dll, TessarySetup.dll and DormelSetup.dll.
//
// Each library exports two functions under their plain names (no "_" or "@12"
// decoration, also in the 32-bit build):
//
//   LONG WINAPI InstallCorvex(HWND unused, LONG* mode, LPSTR title);
//   LONG WINAPI UninstallCorvex(HWND unused, LONG* mode, LPSTR title);
//
// and likewise InstallTessary/UninstallTessary, InstallDormel/UninstallDormel.
// Standard call, three arguments: the window handle is not used; `mode`
// points at the install mode; `title` is the title of the program's main
// window in the system code page (a running program with that title is sent
// its Exit command until it closes).
//
// Modes: 0 all users (shortcut in the common Programs menu), 1 the current
// user (the program's shortcut in the user's Programs menu), 2 a 32-bit
// program on 64-bit Windows; any other value (or a null pointer) installs
// without shortcuts.
//
// The library copies the directory it was loaded from, with every
// sub-directory, so the installer unpacks the program's files beside the
// library and calls Install from there. Install reads [Installation] of the
// config.ini there (TargetPath, AppDesc, UnAppDesc, and HlpDesc for Corvex),
// removes an earlier "Program Files\<TargetPath>", copies, writes the Run
// value "<dir>\<Program>.exe /a /f" and the RUNASADMIN layer value, and
// makes the shortcuts of the mode. Uninstall removes the Run value (Corvex:
// the layer values too), the Start-menu folder of the mode and
// "Program Files\<TargetPath>", with TargetPath read from the config.ini of
// the directory the Run value names (the default without the value).
//
// Results: 0 success; -1 the program did not close (nothing changed on
// disk); 0xE602F0FF TargetPath is not a plain relative path below Program
// Files (or the install directory holds the library), nothing changed;
// 0xE604FF01 a path longer than 259 characters; a copy failure code
// (0xE606F0xx, 0xE6060002), after which the install directory is gone;
// otherwise the result of the last shortcut written (0xE605F0xx, 0xE607F02x
// or a system error). Uninstall returns 0, -1, 0xE602F0FF or 0xE604FF01.
#pragma once
#include <windows.h>

#define ZEL_SETUP_EXPORT extern "C" LONG WINAPI

ZEL_SETUP_EXPORT InstallCorvex(HWND, LONG* mode, LPSTR title);
ZEL_SETUP_EXPORT UninstallCorvex(HWND, LONG* mode, LPSTR title);
ZEL_SETUP_EXPORT InstallTessary(HWND, LONG* mode, LPSTR title);
ZEL_SETUP_EXPORT UninstallTessary(HWND, LONG* mode, LPSTR title);
ZEL_SETUP_EXPORT InstallDormel(HWND, LONG* mode, LPSTR title);
ZEL_SETUP_EXPORT UninstallDormel(HWND, LONG* mode, LPSTR title);
