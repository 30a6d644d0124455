// The shipped config.ini and language files of the three programs: every
// key a program looks up resolves in English (section form) and Traditional
// Chinese (file form, UTF-16 further file), and the files are in the
// encodings the system's profile functions read.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <optional>
#include <regex>
#include <string>
#include <vector>

#include "common/config.h"
#include "common/language_file.h"
#include "common/text.h"
#include "tests/support/fake_system.h"
#include "tests/support/test_files.h"

namespace zel {
namespace {

struct Program {
  const char* name;
  bool wide;  // Corvex uses the wide form, the other two the 8-bit form
  std::vector<const char*> keys;
  // Keys whose English text differs between call sites: English leaves them
  // to the program's own texts, Chinese gives one text for all of them.
  std::vector<const char*> englishFromProgram;
};

const std::vector<Program>& Programs() {
  static const std::vector<Program> programs = {
      {"Corvex", true,
       {"MenuConfig", "MenuHelp", "MenuExit", "MsgCaption01", "MsgCaption02", "MsgCaption03",
        "MsgStr01", "MsgStr02", "MsgStr03", "MsgStr04", "MsgStr05", "MsgStr06", "MsgStr07",
        "MsgStr08", "MsgStr10", "MsgStr11", "MsgStr12", "MsgStr13", "MsgStr14", "MsgStr15",
        "MsgStr16", "MsgStr17", "MsgStr18", "MsgStr19", "MsgStr20", "MsgStr21", "MsgStr22",
        "MsgStr23", "MsgStr24", "MsgStr25", "MsgStr26", "MsgStr27", "MsgStr28", "MsgStr29",
        "MsgStr30", "MsgStr31", "MsgStr32", "MsgStr33", "MsgStr34", "CopyTask", "SourceDir",
        "DestinationDir", "CopyStatus", "CopyProgress", "ArrangeTaskDlgCaption", "CopyAttribute",
        "NewTaskButton", "SaveTaskButton", "CloseButton", "AddItemButton", "DeleteItemButton",
        "ModifyItemButton", "ActiveListButton", "BrowseButton", "ActiveButtonDes",
        "SubDirButtonDes", "OverwriteButtonDes", "NewerButtonDes", "TaskDirectionGroup",
        "BackupButtonDes", "RestorButtonDes", "SyncButtonDes", "OkButton", "CancelButton",
        "ActiveListDlgCaption", "ActiveTasks", "InactiveTasks", "BrowseDirDlgCaption",
        "DirectoryString", "SelectButton", "ComputerNameCaption", "DiskListCaption", "TaskButton",
        "ExecuteButton", "BackupButton", "RestoreButton"},
       {"MsgCaption01", "CopyAttribute"}},
      {"Tessary", false,
       {"MenuStatus", "MenuExit", "MsgCaption01", "MsgCaption02", "MsgCaption03", "MsgStr01",
        "MsgStr02", "MsgStr03", "MsgStr04", "MsgStr05", "MsgStr06", "MsgStr07", "MsgStr08",
        "MsgStr09", "MsgStr10", "MsgStr11", "MsgStr12", "MsgStr13", "MsgStr14", "MsgStr15",
        "MainCaption", "StatusCaption", "DeviceCaption", "PartitionButton", "ChangePwButton",
        "EraseButton", "CloseButton", "LockState", "UnlockState", "LockCaptionState",
        "UnlockCaptionState", "NoPartition", "PartitionCaption", "PrvSzCaption", "PubSzCaption",
        "StartButton", "CancelButton", "PublicName", "PrivateName", "ChangePwCaption",
        "OldPWCaption", "NewPWCaption", "ConfirmPWCaption", "PwPromptCaption", "UnlockDlgCaption",
        "InputPWCaption", "OkButton", "YesButton", "NoButton"},
       {"MsgCaption01"}},
      {"Dormel", false,
       {"MenuSet", "MenuExit", "MsgCaption01", "MsgCaption02", "MsgCaption04", "MsgStr01",
        "MsgStr02", "MsgStr03", "MsgStr04", "MsgStr05", "MsgStr06", "MsgStr07", "MsgStr08",
        "MsgStr09", "MsgStr10", "MainCaption", "ApmStatus", "SpmOnCaption", "SpmOffCaption",
        "OkButton", "CancelButton", "DefaultButton", "ApmCaption", "SpmCaption", "ApmDesc",
        "SpmDesc", "ApmList0", "ApmList1", "ApmList2", "ApmList3", "ApmList4", "ApmList5",
        "ApmList6", "ApmList7", "ApmList8", "ApmList9", "OkBtn", "CancelBtn"},
       {"OkBtn"}},
  };
  return programs;
}

bool FromProgram(const Program& p, const std::string& key) {
  for (const char* k : p.englishFromProgram) {
    if (key == k) return true;
  }
  return false;
}

// Volume labels stay ASCII in every language.
bool SameInEveryLanguage(const std::string& key) { return key == "PublicName" || key == "PrivateName"; }

std::string Dir(const Program& p) { return std::string(ZEL_BUILD_DIR) + "/" + p.name + "/"; }

std::string ReadBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

// printf conversions of a text, in order ("%d" in MsgStr33).
std::vector<std::string> Conversions(const std::string& utf8) {
  static const std::regex conversion("%[-+ #0-9.]*[a-zA-Z]");
  std::vector<std::string> out;
  for (auto it = std::sregex_iterator(utf8.begin(), utf8.end(), conversion); it != std::sregex_iterator(); ++it) {
    out.push_back(it->str());
  }
  return out;
}

class ShippedFiles : public ::testing::Test {
 protected:
  ShippedFiles() {
    ports_.emplace(test::BuildPlatformWith(system_));
  }

  // The texts of every key of `p` for `language`, as UTF-8, checking that
  // the language is resolved in `form` and that every key is found.
  std::vector<std::string> Texts(const Program& p, uint16_t language, LanguageForm form) {
    system_.language = language;
    std::string mlf = Dir(p) + p.name + ".mlf";
    auto wide = LanguageFile<wchar_t>::Open(Utf8ToWide(mlf));
    auto narrow = LanguageFile<char>::Open(mlf);
    EXPECT_EQ(wide.status, 0u);
    EXPECT_FALSE(wide.fellBack);
    EXPECT_EQ(wide.systemEntry.form, form);
    std::vector<std::string> texts;
    for (const char* key : p.keys) {
      SCOPED_TRACE(key);
      std::wstring w;
      std::string a;
      if (form == LanguageForm::kSection && FromProgram(p, key)) {
        EXPECT_FALSE(wide.Lookup(Utf8ToWide(key).c_str(), w));
        texts.push_back("");
        continue;
      }
      EXPECT_TRUE(wide.Lookup(Utf8ToWide(key).c_str(), w));
      // The 8-bit form shows the same text in the system code page.
      EXPECT_TRUE(narrow.Lookup(key, a));
      EXPECT_EQ(a, WideToAnsi(w));
      EXPECT_FALSE(w.empty());
      texts.push_back(WideToUtf8(w));
    }
    return texts;
  }

  test::FakeSystem system_;
  std::optional<ScopedPorts> ports_;
};

TEST_F(ShippedFiles, EveryKeyResolvesInEnglishAndTraditionalChinese) {
  for (const Program& p : Programs()) {
    SCOPED_TRACE(p.name);
    std::vector<std::string> english = Texts(p, 0x0409, LanguageForm::kSection);
    std::vector<std::string> chinese = Texts(p, 0x0404, LanguageForm::kFile);
    ASSERT_EQ(english.size(), chinese.size());
    for (size_t i = 0; i < english.size(); ++i) {
      SCOPED_TRACE(p.keys[i]);
      if (FromProgram(p, p.keys[i])) continue;
      EXPECT_EQ(Conversions(english[i]), Conversions(chinese[i]));
      EXPECT_EQ(english[i] == chinese[i], SameInEveryLanguage(p.keys[i]));
    }
  }
}

TEST_F(ShippedFiles, OtherChineseSystemsGetEnglish) {
  for (const Program& p : Programs()) {
    SCOPED_TRACE(p.name);
    system_.language = 0x0804;
    auto lang = LanguageFile<char>::Open(Dir(p) + p.name + ".mlf");
    EXPECT_TRUE(lang.fellBack);
    std::string text;
    EXPECT_TRUE(lang.Lookup("MsgStr01", text));
    EXPECT_EQ(text.rfind("The application is already running", 0), 0u) << text;
  }
}

TEST_F(ShippedFiles, QuotedBlanksSurviveTheRead) {
  system_.language = 0x0409;
  auto lang = LanguageFile<char>::Open(Dir(Programs()[2]) + "Dormel.mlf");
  std::string text;
  ASSERT_TRUE(lang.Lookup("ApmStatus", text));
  EXPECT_EQ(text, "Enter Standby: ");
}

TEST(ShippedEncodings, AsciiIniFilesAndUtf16LanguageFiles) {
  for (const Program& p : Programs()) {
    SCOPED_TRACE(p.name);
    for (std::string name : {std::string("config.ini"), std::string(p.name) + ".mlf"}) {
      std::string bytes = ReadBytes(Dir(p) + name);
      ASSERT_FALSE(bytes.empty()) << name;
      for (size_t i = 0; i < bytes.size(); ++i) {
        ASSERT_LT(static_cast<unsigned char>(bytes[i]), 0x80u) << name << " byte " << i;
        if (bytes[i] == '\n') {
          ASSERT_TRUE(i > 0 && bytes[i - 1] == '\r') << name << " byte " << i;
        }
      }
    }
    std::string lng = ReadBytes(Dir(p) + p.name + "_cht.lng");
    ASSERT_GE(lng.size(), 2u);
    EXPECT_EQ(lng.substr(0, 2), "\xFF\xFE");
    EXPECT_EQ(lng.size() % 2, 0u);
  }
}

TEST_F(ShippedFiles, ConfigurationListsBothEnclosures) {
  for (const Program& p : Programs()) {
    SCOPED_TRACE(p.name);
    std::string ini = Dir(p) + "config.ini";
    EXPECT_EQ(ReadInt(ini, "HardwareID", "DeviceCount", 0), 2);
    EXPECT_EQ(ReadString(ini, "HardwareID", "Device00", "BADID", 40), "USB\\VID_3F1A&PID_0C35");
    EXPECT_EQ(ReadString(ini, "HardwareID", "Device01", "BADID", 40), "USB\\VID_3F1A&PID_0C36");
    std::string desc = ReadString(ini, "Installation", "AppDesc", "", 260);
    EXPECT_FALSE(desc.empty());
    EXPECT_LE(desc.size(), 63u) << "the tray tip shows 63 characters";
    EXPECT_EQ(ReadString(ini, "Installation", "TargetPath", "", 260), std::string("Zel\\") + p.name);
    EXPECT_FALSE(ReadString(ini, "Installation", "UnAppDesc", "", 260).empty());
  }
  std::string corvex = Dir(Programs()[0]) + "config.ini";
  EXPECT_EQ(ReadInt(corvex, "Config", "Button", 0), 1);
  EXPECT_FALSE(ReadString(corvex, "Installation", "HlpDesc", "", 260).empty());
}

}  // namespace
}  // namespace zel
