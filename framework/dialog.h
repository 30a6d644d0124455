// Dialogs made from a template of the program's resources. DoModal runs the
// dialog in the system's nested message loop (the owner is disabled while it
// runs; timers and messages of the program's other windows, such as the
// hidden main frame, are still dispatched). The same object may be run again
// after it has ended.
#pragma once
#include "framework/window.h"

namespace zel::fw {

class CDialog : public CWindow {
 public:
  explicit CDialog(UINT templateId) : templateId_(templateId) {}

  // Runs the dialog modally; the value given to EndDialog, or -1 when the
  // dialog could not be made.
  INT_PTR DoModal(HWND owner = nullptr);
  void EndDialog(INT_PTR result);
  UINT TemplateId() const { return templateId_; }

 protected:
  // WM_INITDIALOG. Return true to let the system set the focus.
  virtual bool OnInitDialog() { return true; }
  // IDOK and IDCANCEL (Escape, the close box) unless the map takes them.
  virtual void OnOK() { EndDialog(IDOK); }
  virtual void OnCancel() { EndDialog(IDCANCEL); }

  // Unhandled messages (and those whose handler asked for default handling)
  // go back to the system's dialog manager.
  bool HandleMessage(UINT message, WPARAM wp, LPARAM lp, LRESULT& result) override;

 private:
  static INT_PTR CALLBACK DialogProc(HWND hwnd, UINT message, WPARAM wp, LPARAM lp);
  UINT templateId_;
};

}  // namespace zel::fw
