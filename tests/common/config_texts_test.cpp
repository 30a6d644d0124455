// config.ini reads and the call-site text API, through the process's paths.
#include <gtest/gtest.h>

#include <chrono>
#include <optional>
#include <thread>

#include "common/app_paths.h"
#include "common/config.h"
#include "common/texts.h"
#include "tests/support/fake_system.h"
#include "tests/support/test_files.h"

namespace zel {
namespace {

class ProgramFiles : public ::testing::Test {
 protected:
  ProgramFiles() : saved_(ProcessPaths()) {
    ports_.emplace(test::BuildPlatformWith(system_));
    ProcessPaths().configFile = dir_.Wide("config.ini");
    ProcessPaths().languageFile = dir_.Wide("Prog.mlf");
  }
  ~ProgramFiles() override { ProcessPaths() = saved_; }

  test::TempDir dir_;
  test::FakeSystem system_;
  std::optional<ScopedPorts> ports_;
  AppPaths saved_;
};

TEST_F(ProgramFiles, DeviceCountFollowsTheIntegerRule) {
  struct {
    const char* value;
    int32_t count;
  } const cases[] = {{"2", 2}, {"-3", -3}, {"99999999999", 1215752191}, {"many", 0}, {"", 0}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.value);
    dir_.Write("config.ini", std::string("[HardwareID]\r\nDeviceCount=") + c.value + "\r\n");
    EXPECT_EQ(ReadInt(L"HardwareID", L"DeviceCount", 0), c.count);
    EXPECT_EQ(ReadInt("HardwareID", "DeviceCount", 0), c.count);
  }
}

TEST_F(ProgramFiles, MissingFileOrKeyGivesTheDefaults) {
  EXPECT_EQ(ReadInt(L"Config", L"Button", 1), 1);
  EXPECT_EQ(ReadString(L"Installation", L"AppDesc", L"Default text", 260), L"Default text");
  dir_.Write("config.ini", "[Config]\r\nOther=2\r\n");
  EXPECT_EQ(ReadInt("Config", "Button", 1), 1);
  EXPECT_EQ(ReadString("HardwareID", "Device00", "BADID", 40), "BADID");
}

TEST_F(ProgramFiles, StringsAreCutToTheirCapacity) {
  dir_.Write("config.ini", "[HardwareID]\r\nDevice00=" + std::string(50, 'U') + "\r\n");
  EXPECT_EQ(ReadString(L"HardwareID", L"Device00", L"BADID", 40), std::wstring(39, L'U'));
  EXPECT_EQ(ReadString("HardwareID", "Device00", "BADID", 40), std::string(39, 'U'));
  EXPECT_EQ(ReadString(dir_.Narrow("config.ini"), "HardwareID", "Device00", "BADID", 10),
            std::string(9, 'U'));
}

const char kLanguage[] =
    "[MULTI_LANG]\r\n09=English\r\n[English]\r\nALL=EnStr\r\n[EnStr]\r\nMsgStr02=Can not load\r\n";

TEST_F(ProgramFiles, TextsFallBackToTheCallSiteDefault) {
  dir_.Write("Prog.mlf", kLanguage);
  EXPECT_EQ(TextW(L"MsgStr02", L"default"), L"Can not load");
  EXPECT_EQ(TextA("MsgStr01", "The application is already running."),
            "The application is already running.");
  std::string text = "stale";
  EXPECT_FALSE(FindTextA("MsgStr01", text));
  EXPECT_EQ(text, "");
}

TEST_F(ProgramFiles, TailIsAppendedOnlyToAFoundText) {
  dir_.Write("Prog.mlf", kLanguage);
  EXPECT_EQ(TextWithTailW(L"MsgStr02", L" Wnaspi32.dll!", L"Can not load Wnaspi32.dll!"),
            L"Can not load Wnaspi32.dll!");
  EXPECT_EQ(TextWithTailA("MsgStr03", " Wnaspi32.dll!", "Can not fine the file Wnaspi32.dll!"),
            "Can not fine the file Wnaspi32.dll!");
}

TEST_F(ProgramFiles, EveryLookupReadsTheFileAfresh) {
  dir_.Write("Prog.mlf", kLanguage);
  EXPECT_EQ(TextA("MsgStr02", "x"), "Can not load");
  dir_.Write("Prog.mlf", "[MULTI_LANG]\r\n09=English\r\n[English]\r\nALL=EnStr\r\n"
                         "[EnStr]\r\nMsgStr02=Cannot load the file\r\n");
  EXPECT_EQ(TextA("MsgStr02", "x"), "Cannot load the file");
}

// Which entry a language resolves to is worked out again whenever the file
// or the system's language has changed, however long the file stood before.
TEST_F(ProgramFiles, TextsFollowTheLanguageAndTheFileAsTheyChange) {
  auto settle = [] { std::this_thread::sleep_for(std::chrono::milliseconds(60)); };
  dir_.Write("Prog.mlf",
             "[MULTI_LANG]\r\n09=English\r\n0A=Spanish\r\n[English]\r\nALL=EnStr\r\n[Spanish]\r\nALL=EsStr\r\n"
             "[EnStr]\r\nMsgStr02=Can not load\r\n[EsStr]\r\nMsgStr02=No se puede cargar\r\n"
             "[EsNuevo]\r\nMsgStr02=Imposible cargar\r\n");
  settle();
  for (int twice = 0; twice < 2; ++twice) EXPECT_EQ(TextW(L"MsgStr02", L"x"), L"Can not load");
  system_.language = 0x0C0A;
  for (int twice = 0; twice < 2; ++twice) EXPECT_EQ(TextW(L"MsgStr02", L"x"), L"No se puede cargar");
  EXPECT_EQ(TextA("MsgStr02", "x"), "No se puede cargar");
  dir_.Write("Prog.mlf",
             "[MULTI_LANG]\r\n09=English\r\n0A=Spanish\r\n[English]\r\nALL=EnStr\r\n[Spanish]\r\nALL=EsNuevo\r\n"
             "[EnStr]\r\nMsgStr02=Can not load\r\n[EsStr]\r\nMsgStr02=No se puede cargar\r\n"
             "[EsNuevo]\r\nMsgStr02=Imposible cargar\r\n");
  settle();
  for (int twice = 0; twice < 2; ++twice) EXPECT_EQ(TextW(L"MsgStr02", L"x"), L"Imposible cargar");
  EXPECT_EQ(TextA("MsgStr02", "x"), "Imposible cargar");
  system_.language = 0x0409;
  EXPECT_EQ(TextW(L"MsgStr02", L"x"), L"Can not load");
}

TEST(AppPaths, FilesSitBesideTheProgram) {
#ifdef _WIN32
  AppPaths p = FormAppPaths(L"C:\\Program Files\\Zel\\Corvex\\Corvex.exe", L"Corvex.mlf");
  EXPECT_EQ(p.programDirectory, L"C:\\Program Files\\Zel\\Corvex");
  EXPECT_EQ(p.configFile, L"C:\\Program Files\\Zel\\Corvex\\config.ini");
  EXPECT_EQ(p.languageFile, L"C:\\Program Files\\Zel\\Corvex\\Corvex.mlf");
#else
  AppPaths p = FormAppPaths(L"/opt/zel/Tessary/tessary", L"Tessary.mlf");
  EXPECT_EQ(p.programDirectory, L"/opt/zel/Tessary");
  EXPECT_EQ(p.configFile, L"/opt/zel/Tessary/config.ini");
  EXPECT_EQ(p.languageFile, L"/opt/zel/Tessary/Tessary.mlf");
#endif
}

}  // namespace
}  // namespace zel
