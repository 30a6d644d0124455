// Texts of a dialog's controls from the language file: a key replaces the
// template's text, which stands as the default when the key is missing.
#pragma once
#include <windows.h>

#include <string>

#include "framework/controls.h"
#include "framework/window.h"

namespace zel {

void LocaliseItem(const fw::CWindow& dialog, int id, const wchar_t* key, const wchar_t* tail = L"");
void LocaliseCaption(fw::CWindow& dialog, const wchar_t* key);

// A list view column `width` pixels wide, or wider when its title needs it
// (a translated title is never cut).
void AddColumn(fw::CListView& list, int index, const std::wstring& title, int width);

}  // namespace zel
