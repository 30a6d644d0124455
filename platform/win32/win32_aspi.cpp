#include <windows.h>

#include <cstring>

#include "common/bytes.h"
#include "platform/win32/win32_device_ports.h"
#include "platform/win32/win32_handles.h"

namespace zel::win32 {
namespace {

using SendAspi32Command = DWORD(__cdecl*)(void*);
using GetAspi32SupportInfo = DWORD(__cdecl*)();
constexpr bool kPointersFit = sizeof(void*) == 4;

// DOS device I/O control register block of "\\.\vwin32".
struct Vwin32Registers {
  DWORD ebx, edx, ecx, eax, edi, esi, flags;
};
static_assert(sizeof(Vwin32Registers) == 28);

class Win32Vwin32Device : public Vwin32Device {
 public:
  explicit Win32Vwin32Device(HANDLE h) : device_(h) {}
  bool DosIoctl(uint32_t code, DosRegisters& regs, DriveMapRecord& record) override {
    if (!kPointersFit) return false;  // EDX carries a 32-bit address
    Vwin32Registers r{regs.ebx, static_cast<DWORD>(reinterpret_cast<uintptr_t>(record.data())), regs.ecx, regs.eax,
                      regs.edi, regs.esi, regs.flags};
    DWORD returned = 0;
    if (!DeviceIoControl(device_.get(), code, &r, sizeof r, &r, sizeof r, &returned, nullptr)) return false;
    regs = {r.ebx, r.edx, r.ecx, r.eax, r.edi, r.esi, r.flags};
    return true;
  }

 private:
  KernelHandle device_;
};

}  // namespace

Win32Aspi::~Win32Aspi() { CloseLibrary(); }

bool Win32Aspi::OpenLibrary(const std::wstring& name) {
  CloseLibrary();
  if (!kPointersFit) return false;  // only a 32-bit library exists, and a 64-bit process cannot load it
  HMODULE module = LoadLibraryW(name.c_str());
  if (module == nullptr) return false;
  module_ = module;
  send_ = reinterpret_cast<void*>(GetProcAddress(module, "SendASPI32Command"));
  info_ = reinterpret_cast<void*>(GetProcAddress(module, "GetASPI32SupportInfo"));
  return true;
}

void Win32Aspi::CloseLibrary() {
  if (module_ != nullptr) FreeLibrary(static_cast<HMODULE>(module_));
  module_ = send_ = info_ = nullptr;
}

bool Win32Aspi::HasEntryPoint(const char* name) {
  if (std::strcmp(name, "SendASPI32Command") == 0) return send_ != nullptr;
  if (std::strcmp(name, "GetASPI32SupportInfo") == 0) return info_ != nullptr;
  return false;
}

uint32_t Win32Aspi::GetSupportInfo() {
  return info_ != nullptr ? reinterpret_cast<GetAspi32SupportInfo>(info_)() : 0;
}

uint32_t Win32Aspi::SendCommand(AspiSrb& srb) {
  if (send_ == nullptr || !kPointersFit) return srb.bytes[srb_offset::kStatus] = 0x04;
  if (srb.bytes[srb_offset::kCmd] == kSrbExecScsiCmd) {
    PutLe32(srb.bytes.data() + srb_offset::kBufPointer, static_cast<uint32_t>(reinterpret_cast<uintptr_t>(srb.data)));
    PutLe32(srb.bytes.data() + srb_offset::kPostProc, static_cast<uint32_t>(srb.event));
  }
  return reinterpret_cast<SendAspi32Command>(send_)(srb.bytes.data());
}

uintptr_t Win32Aspi::CreateCompletionEvent() {
  return reinterpret_cast<uintptr_t>(CreateEventW(nullptr, TRUE, FALSE, nullptr));
}
void Win32Aspi::ResetCompletionEvent(uintptr_t event) { ResetEvent(reinterpret_cast<HANDLE>(event)); }
bool Win32Aspi::WaitCompletionEvent(uintptr_t event, uint32_t ms) {
  return WaitForSingleObject(reinterpret_cast<HANDLE>(event), ms) == WAIT_OBJECT_0;
}
void Win32Aspi::CloseCompletionEvent(uintptr_t event) { CloseHandle(reinterpret_cast<HANDLE>(event)); }
void Win32Aspi::Pause(uint32_t ms) { Sleep(ms); }

std::unique_ptr<Vwin32Device> Win32Vwin32::Open() {
  HANDLE h = CreateFileW(L"\\\\.\\vwin32", 0, 0, nullptr, 0, FILE_FLAG_DELETE_ON_CLOSE, nullptr);
  if (h == INVALID_HANDLE_VALUE) return nullptr;
  return std::make_unique<Win32Vwin32Device>(h);
}

}  // namespace zel::win32
