#include "setup/setup_variant.h"

namespace zel::setup {
namespace {

// clang-format off
const Variant kVariants[] = {
  {Program::Corvex, L"Corvex", L"Corvex.exe", L"Zel\\Corvex",
   L"Button Triggered USB Copy Utility", L"Uninstall Button Triggered copy utility",
   L"Button Triggered copy utility Help", L"Corvex.chm", nullptr, true, true,
   L"{6C1E2F3A-5B47-4D8E-9A21-3F0C7B5E8D41}"},
  {Program::Tessary, L"Tessary", L"Tessary.exe", L"Zel\\Tessary",
   L"USB Harddisk Security Tool", L"Uninstall USB Harddisk Security Tool",
   nullptr, nullptr, nullptr, false, false,
   L"{A7D35B12-9C64-4F0B-8E3D-52B1C6F9A074}"},
  {Program::Dormel, L"Dormel", L"Dormel.exe", L"Zel\\Dormel",
   L"Power Management Tool", L"Uninstall Power Management Tool",
   nullptr, nullptr, L"Zel\\Setup\\Dormel\\", false, false,
   L"{3E9B60C4-1D28-47A5-B6F3-8C04D27E1A59}"},
};
// clang-format on

}  // namespace

const Variant& VariantOf(Program program) {
  for (const Variant& v : kVariants) {
    if (v.program == program) return v;
  }
  return kVariants[0];
}

}  // namespace zel::setup
