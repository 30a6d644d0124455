// A dialog without frame or caption that takes its size and outline from a
// background bitmap, paints that bitmap as its face, shows its statics in
// white on it and is dragged by any point of its background.
#pragma once
#include <windows.h>

#include "framework/dialog.h"

namespace zel::skin {

class CShapedDialog : public fw::CDialog {
 public:
  using fw::CDialog::CDialog;
  ~CShapedDialog() override;


  int Width() const { return width_; }
  int Height() const { return height_; }
  bool Dragging() const { return dragging_; }

 protected:
  // The first steps of the dialog's initialisation: loads the background,
  // shapes and sizes the window by it, and loads it once more as the
  // picture the skinned buttons copy their backgrounds from. False when the
  // background cannot be loaded (the dialog keeps its template size).
  bool SetUpShape(HBITMAP background, HBITMAP forButtons);
  HBITMAP ButtonBackground() const { return forButtons_; }

  ZEL_DECLARE_MESSAGE_MAP()

 private:
  void Release();
  LRESULT OnLeftDown(WPARAM wp, LPARAM lp);
  LRESULT OnMouseMove(WPARAM wp, LPARAM lp);
  LRESULT OnLeftUp(WPARAM wp, LPARAM lp);
  LRESULT OnPaint(WPARAM wp, LPARAM lp);
  LRESULT OnStaticColour(WPARAM wp, LPARAM lp);
  LRESULT OnDestroy(WPARAM wp, LPARAM lp);

  HDC backgroundDc_ = nullptr;
  HGDIOBJ backgroundOld_ = nullptr;
  HBITMAP background_ = nullptr;
  HBITMAP forButtons_ = nullptr;
  int width_ = 0, height_ = 0;
  bool dragging_ = false;
  POINT anchor_{};
};

}  // namespace zel::skin
