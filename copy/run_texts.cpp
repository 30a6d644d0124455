#include "copy/run_texts.h"

#include <cstdio>

#include "common/texts.h"
#include "ports/platform.h"
#include "ports/prompter.h"

namespace zel {

std::wstring FormatSize(int64_t bytes) {
  wchar_t text[64];
  if (bytes < 1000) {
    std::swprintf(text, 64, L"%lld ", static_cast<long long>(bytes));
    return text;
  }
  static const wchar_t* const kUnits[] = {L"%4.1fK ", L"%4.1fM ", L"%4.1fG "};
  double v = static_cast<double>(bytes);
  for (const wchar_t* unit : kUnits) {
    v /= 1024;
    if (v < 1000) {
      std::swprintf(text, 64, unit, v);
      return text;
    }
  }
  std::swprintf(text, 64, L"%4.1fT ", v / 1024);
  return text;
}

std::wstring SummaryText(bool stopped, uint32_t filesCopied, uint64_t bytesCopied, uint32_t filesNotCopied) {
  // The lines of one summary come from one version of the language file.
  ProfileLookup lookup(Ports().profile);
  std::wstring text = stopped ? TextW(L"MsgStr16", L"The copy tasks are cancelled!")
                              : TextW(L"MsgStr20", L"The copy tasks are completed!");
  wchar_t files[32];
  std::swprintf(files, 32, L" %d", static_cast<int>(filesCopied));
  text += L"\n" + TextW(L"MsgStr17", L"Total Files:") + files;
  text += L"\n" + TextW(L"MsgStr18", L"Total Size:") + FormatSize(static_cast<int64_t>(bytesCopied)) +
          TextW(L"MsgStr19", L"Bytes");
  if (filesNotCopied > 0) {
    std::swprintf(files, 32, L" %u", static_cast<unsigned>(filesNotCopied));
    text += L"\n" + TextW(L"NotCopied", L"Files not copied:") + files;
  }
  return text;
}

uint32_t SummaryStyle(bool stopped) {
  return kMbTopmost | (stopped ? kMbIconWarning : kMbIconInformation);
}

}  // namespace zel
