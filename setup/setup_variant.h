// What tells the three setup libraries apart: one code base, built once per
// program, with its own names, defaults and a few extra steps.
#pragma once
#include <string>

namespace zel::setup {

enum class Program { Corvex, Tessary, Dormel };

struct Variant {
  Program program;
  const wchar_t* name;           // Run value name and the program's file name without ".exe"
  const wchar_t* exeName;        // "Corvex.exe"
  const wchar_t* defTargetPath;  // under Program Files; also the Start-menu folder
  const wchar_t* defAppDesc;
  const wchar_t* defUnAppDesc;
  const wchar_t* defHlpDesc;     // null: no help shortcut
  const wchar_t* helpFile;       // null: no help shortcut
  const wchar_t* backupFolder;   // under Program Files; null: no configuration backup
  bool runAsAdminForUser;        // the layer value is also written (and removed) for the user
  bool uninstallRemovesLayers;
  const wchar_t* productCode;    // the installer package's code, passed to its engine with /M
};

const Variant& VariantOf(Program program);

}  // namespace zel::setup
