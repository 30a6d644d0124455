// The framework's classes on a real window system: message maps, command
// routing to the application, modal dialogs with nested loops, timers,
// reflected notifications, menus, the tray registration and the controls.
#include <gtest/gtest.h>

#include <cstdio>
#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

#include "framework/app.h"
#include "framework/controls.h"
#include "framework/dialog.h"
#include "framework/frame.h"
#include "framework/framework_ids.h"
#include "framework/menu.h"
#include "framework/tray_icon.h"

namespace zel::fw {
namespace {

constexpr UINT kFirst = 32771, kSecond = 32772;

class TestApp : public CApp {
 public:
  bool InitInstance() override { return true; }
  bool OnCommand(UINT id) override {
    commands.push_back(id);
    return CApp::OnCommand(id);
  }
  std::vector<UINT> commands;
};

class TestFrame : public CFrame {
 public:
  std::vector<std::string> log;
  int ticks = 0;

 protected:
  LRESULT OnCreate(WPARAM, LPARAM) {
    log.push_back("create");
    return 0;
  }
  void OnFirst() { log.push_back("first"); }
  LRESULT OnTimer(WPARAM id, LPARAM) {
    if (id == 7) ++ticks;
    return 0;
  }
  LRESULT OnUser(WPARAM wp, LPARAM) {
    if (wp == 1) DefaultHandling();  // let the default procedure answer as well
    log.push_back("user " + std::to_string(wp));
    return 42;
  }
  LRESULT OnThrow(WPARAM, LPARAM) { throw std::runtime_error("handler failure"); }
  ZEL_DECLARE_MESSAGE_MAP()
};

ZEL_BEGIN_MESSAGE_MAP(TestFrame, CFrame)
  OnMessage(WM_CREATE, &TestFrame::OnCreate),
  OnCommand(kFirst, &TestFrame::OnFirst),
  OnMessage(WM_TIMER, &TestFrame::OnTimer),
  OnMessage(WM_USER, &TestFrame::OnUser),
  OnMessage(WM_USER + 1, &TestFrame::OnThrow),
ZEL_END_MESSAGE_MAP()

// An owner-drawn button that draws itself from the reflected WM_DRAWITEM.
class DrawnButton : public CButton {
 public:
  int draws = 0;

 protected:
  LRESULT OnDrawItem(WPARAM, LPARAM lp) {
    auto* item = reinterpret_cast<DRAWITEMSTRUCT*>(lp);
    ::FillRect(item->hDC, &item->rcItem, static_cast<HBRUSH>(::GetStockObject(WHITE_BRUSH)));
    ++draws;
    return TRUE;
  }
  ZEL_DECLARE_MESSAGE_MAP()
};

ZEL_BEGIN_MESSAGE_MAP(DrawnButton, CButton)
  OnMessage(kReflect + WM_DRAWITEM, &DrawnButton::OnDrawItem),
ZEL_END_MESSAGE_MAP()

class TestDialog : public CDialog {
 public:
  TestDialog() : CDialog(200) {}
  std::function<void(TestDialog&)> onInit;
  std::function<void(TestDialog&)> onTick;
  DrawnButton drawn;
  int okClicks = 0;
  void Finish(INT_PTR r) { EndDialog(r); }

 protected:
  bool OnInitDialog() override {
    drawn.SubclassDlgItem(1002, *this);
    SetTimer(1, 20);
    if (onInit) onInit(*this);
    return true;
  }
  LRESULT OnTimer(WPARAM, LPARAM) {
    if (onTick) onTick(*this);
    return 0;
  }
  void OnOK() override {
    ++okClicks;
    EndDialog(IDOK);
  }
  ZEL_DECLARE_MESSAGE_MAP()
};

ZEL_BEGIN_MESSAGE_MAP(TestDialog, CDialog)
  OnMessage(WM_TIMER, &TestDialog::OnTimer),
ZEL_END_MESSAGE_MAP()

class FrameworkTest : public ::testing::Test {
 protected:
  void SetUp() override {
    SetResourceModule(::GetModuleHandleW(nullptr));
    ASSERT_TRUE(frame.CreateFromResource(128, L"Framework test frame", FrameStyle{}));
    app.SetMainWindow(&frame);
  }
  void TearDown() override {
    if (frame.Handle()) frame.Destroy();
    MSG msg;  // the main window's end posts WM_QUIT; drop it for the next test
    while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    }
  }
  TestApp app;
  TestFrame frame;
};

TEST_F(FrameworkTest, MapDispatchesMessagesAndCommands) {
  EXPECT_EQ(frame.log, std::vector<std::string>{"create"});
  frame.Send(WM_COMMAND, MAKEWPARAM(kFirst, 0), 0);
  EXPECT_EQ(frame.log.back(), "first");
  EXPECT_EQ(frame.Send(WM_USER, 5, 0), 42);
  EXPECT_EQ(frame.log.back(), "user 5");
  // A handler that asks for default handling gets the default's answer.
  EXPECT_EQ(frame.Send(WM_USER, 1, 0), 0);
  EXPECT_EQ(frame.log.back(), "user 1");
  // A failing handler falls back to the default procedure.
  EXPECT_EQ(frame.Send(WM_USER + 1, 0, 0), 0);
}

TEST_F(FrameworkTest, UnhandledCommandsReachTheApplicationAndExitClosesTheFrame) {
  frame.Send(WM_COMMAND, MAKEWPARAM(kSecond, 0), 0);
  frame.Send(WM_COMMAND, MAKEWPARAM(kIdAppExit, 0), 0);
  EXPECT_EQ(app.commands, (std::vector<UINT>{kSecond, kIdAppExit}));
  MSG msg;
  bool quit = false;
  DWORD start = ::GetTickCount();
  while (!quit && ::GetTickCount() - start < 5000) {
    while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      if (msg.message == WM_QUIT) quit = true;
      ::DispatchMessageW(&msg);
    }
    ::Sleep(5);
  }
  EXPECT_TRUE(quit);
  EXPECT_EQ(frame.Handle(), nullptr);
}

TEST_F(FrameworkTest, ModalDialogRunsNestedLoopWithFrameTimers) {
  frame.SetTimer(7, 10);
  TestDialog dlg;
  dlg.onTick = [&](TestDialog& d) {
    if (frame.ticks >= 3) d.Finish(77);
  };
  DWORD start = ::GetTickCount();
  EXPECT_EQ(dlg.DoModal(frame.Handle()), 77);
  EXPECT_GE(frame.ticks, 3);
  std::printf("three frame ticks inside the dialog after %lu ms\n", ::GetTickCount() - start);
  // The same object runs again.
  dlg.onTick = [](TestDialog& d) { d.Finish(5); };
  EXPECT_EQ(dlg.DoModal(nullptr), 5);
}

TEST_F(FrameworkTest, DialogOkAndReflectedDrawing) {
  TestDialog dlg;
  // OK is clicked once the button has been drawn.
  dlg.onTick = [](TestDialog& d) {
    if (d.drawn.draws > 0) d.Post(WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
  };
  EXPECT_EQ(dlg.DoModal(nullptr), IDOK);
  EXPECT_EQ(dlg.okClicks, 1);
  EXPECT_GE(dlg.drawn.draws, 1);
}

TEST_F(FrameworkTest, ControlWrappersRoundTrip) {
  TestDialog dlg;
  std::vector<std::wstring> seen;
  dlg.onInit = [&](TestDialog& d) {
    CEdit edit;
    edit.Attach(d.Item(1001));
    edit.SetText(L"abcdefgh");
    seen.push_back(edit.Text());

    CListView list;
    list.Attach(d.Item(1003));
    list.InsertColumn(0, L"Source", 60);
    list.InsertColumn(1, L"Letters", 30);
    int row = list.AddRow(L"E:\\Data");
    list.SetCell(row, 1, L"ASB");
    list.AddRow(L"F:\\More");
    seen.push_back(list.Cell(0, 0) + L"|" + list.Cell(0, 1) + L"|" + std::to_wstring(list.Count()));
    seen.push_back(list.Cell(0, 0, 3));  // read with room for three characters

    CTreeView tree;
    tree.Attach(d.Item(1004));
    HTREEITEM disk = tree.InsertItem(L"Disk00");
    tree.InsertItem(L"(E:)", disk);
    seen.push_back(tree.ItemText(tree.Child(disk)) + L"|" + tree.ItemText(tree.Parent(tree.Child(disk))));

    CProgressBar bar;
    bar.Attach(d.Item(1005));
    bar.SetRange(0, 100);
    bar.SetPos(40);
    CSlider slider;
    slider.Attach(d.Item(1006));
    slider.SetRange(0, 10);
    slider.SetPos(3);
    seen.push_back(std::to_wstring(bar.Pos()) + L"|" + std::to_wstring(slider.Pos()));

    CComboBox combo;
    combo.Attach(d.Item(1007));
    combo.AddString(L"10 min");
    combo.AddString(L"20 min");
    combo.SetCurSel(1);
    seen.push_back(combo.ItemText(combo.CurSel()));
    d.SetTextA("8-bit caption");
    seen.push_back(d.Text());
    d.Finish(IDOK);
  };
  dlg.DoModal(nullptr);
  EXPECT_EQ(seen, (std::vector<std::wstring>{L"abcdefgh", L"E:\\Data|ASB|2", L"E:", L"(E:)|Disk00", L"40|3",
                                             L"20 min", L"8-bit caption"}));
}

TEST_F(FrameworkTest, MenuTextsByPositionKeepTheirCommands) {
  HMENU popup = frame.FirstPopup();
  ASSERT_NE(popup, nullptr);
  EXPECT_TRUE(SetMenuTextByPosition(popup, 1, L"Zweite"));
  EXPECT_EQ(MenuTextByPosition(popup, 0), L"&First");
  EXPECT_EQ(MenuTextByPosition(popup, 1), L"Zweite");
  EXPECT_EQ(::GetMenuItemID(popup, 1), kSecond);
  EXPECT_FALSE(SetMenuTextByPosition(popup, 9, L"none"));
  // A menu loaded on its own is a fresh copy of the resource.
  MenuHandle own = LoadMenuResource(128);
  ASSERT_TRUE(own);
  EXPECT_EQ(MenuTextByPosition(::GetSubMenu(own.get(), 0), 1), L"&Second");
}

TEST_F(FrameworkTest, TrayRegistrationForms) {
  CTrayIcon tray;
  std::wstring tip(100, L't');
  tray.Fill(frame.Handle(), 130, WM_USER, nullptr, tip, CTrayIcon::Form::kOriginal);
  EXPECT_EQ(tray.Data().cbSize, NOTIFYICONDATAW_V1_SIZE);
  EXPECT_EQ(tray.Data().uFlags, 7u);
  EXPECT_EQ(std::wstring(tray.Data().szTip).size(), 63u);
  tray.Fill(frame.Handle(), 128, WM_USER, nullptr, tip, CTrayIcon::Form::kLongTip);
  EXPECT_EQ(std::wstring(tray.Data().szTip).size(), 100u);
}

}  // namespace
}  // namespace zel::fw
