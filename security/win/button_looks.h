// The looks the security tool gives its skinned buttons: the text buttons'
// skin (main window, dialogs), the image buttons' skins, and the usable and
// greyed looks that follow a window's button mask.
#pragma once
#include <windows.h>

#include <string>

#include "skin/fx_button.h"

namespace zel {

// A text button on the face picture `faceFile` ("Btn1.bmp", "Btn2.bmp")
// with `caption` in every state; the usable look.
void SkinTextButton(skin::CFxButton& button, const wchar_t* faceFile, const std::string& caption,
                    HBITMAP background);
// An image button (logo, web address): flat in every state, no sound.
void SkinImageButton(skin::CFxButton& button, const wchar_t* imageFile, COLORREF key, HBITMAP background);
// The minimise and close images: blended, flat, with the click sound.
void SkinWindowButton(skin::CFxButton& button, const wchar_t* imageFile, HBITMAP background);
// Usable or greyed, as the button's mask bit says.
void SetUsableLook(skin::CFxButton& button, bool usable);
// A new caption in every state.
void SetCaption(skin::CFxButton& button, const std::string& caption);

// The process's brushes: white under the values, the accent colour under
// the partition dialog's slider. Made at start-up, kept until the end.
HBRUSH WhiteBrush();
HBRUSH AccentBrush();
void CreateBrushes();

// Moves the dialog's controls to where its background picture has their
// places. The pictures are drawn for the template's font as the English
// system shows it (1.75 by 1.625 pixels a dialog unit); a system whose font
// for the template is larger or smaller would otherwise push controls off
// the picture.
void PlaceOnPicture(HWND dialog);

// A picture file beside the program, opened by its relative name; null when
// it is missing.
HBITMAP LoadPictureFile(const char* name);

}  // namespace zel
