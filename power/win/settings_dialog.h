// CSettingsDlg: the power tool's shaped settings dialog. It shows the power
// settings (power/power_settings.h) with skinned buttons and hands every
// user action to the editor, which decides what is sent and said.
#pragma once
#include <windows.h>

#include <array>
#include <memory>

#include "power/power_settings.h"
#include "skin/fx_button.h"
#include "skin/shaped_dialog.h"

namespace zel {

class CSettingsDlg : public skin::CShapedDialog, private PowerView {
 public:
  CSettingsDlg();
  ~CSettingsDlg() override;

  const PowerSettings& Settings() const { return editor_.Settings(); }

 protected:
  bool OnInitDialog() override;
  void OnOK() override;

 private:
  void FitControlsToBackground(int templateWidth, int templateHeight);
  void ApplyTexts();
  void FillStandbyList();
  void SetUpButtons();
  std::unique_ptr<skin::CFxButton> Bind(int id);

  void OnDefault();
  void OnStandbyChange();
  void OnSpmOn();
  void OnSpmOff();
  void OnMinimise();
  void OnClose();
  LRESULT OnSysCommand(WPARAM wp, LPARAM lp);
  LRESULT OnPaint(WPARAM wp, LPARAM lp);
  LRESULT OnQueryDragIcon(WPARAM wp, LPARAM lp);

  // PowerView
  void ShowSpm(bool on) override;
  void SelectEntry(int entry) override;
  void BeginWait() override;
  void EndWait() override;

  PowerSettingsEditor editor_;
  HICON bigIcon_ = nullptr, smallIcon_ = nullptr;
  HBITMAP minimiseImage_ = nullptr, closeImage_ = nullptr;
  HCURSOR savedCursor_ = nullptr;
  std::unique_ptr<skin::CFxButton> save_, exit_, default_, logo_, web_, on_, off_, apmHeading_, spmHeading_;

  ZEL_DECLARE_MESSAGE_MAP()
};

}  // namespace zel
