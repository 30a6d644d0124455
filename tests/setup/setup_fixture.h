// A setup kit on a throw-away drive C: and a listing of the drive, for the
// install and uninstall tests.
#pragma once
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "tests/setup/setup_machine.h"

namespace zel::setup::test {

namespace fs = std::filesystem;

class SetupFixture : public ::testing::Test {
 protected:
  zel::test::TempDir tmp;
  fs::path c = fs::path(tmp.NarrowDir()) / "c";
  fs::path reg = fs::path(tmp.NarrowDir()) / "reg";
  TestFiles files{(fs::create_directories(c), c.string())};
  sim::SimRegistry registry{(fs::create_directories(reg), reg.string())};
  TestProfile profile{files};
  TestHost host{files};
  std::wstring kit = L"C:\\kit";

  // The files an installer unpacks beside the library.
  void MakeKit(const std::string& program, const std::string& ini) {
    Put("kit/" + program + ".exe", "program");
    Put("kit/" + program + "Setup.dll", "library");
    Put("kit/" + program + ".mlf", "texts");
    Put("kit/help/index.htm", "help");
    Put("kit/help/img/logo.bmp", "bitmap");
    if (!ini.empty()) Put("kit/config.ini", ini);
  }
  void Put(const std::string& path, const std::string& bytes) {
    fs::create_directories((c / path).parent_path());
    std::ofstream(c / path, std::ios::binary) << bytes;
  }
  std::string Get(const std::string& path) {
    std::ifstream in(c / path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
  }
  bool Has(const std::string& path) { return fs::exists(c / path); }

  SetupContext Context(Program program) { return {VariantOf(program), files, registry, profile, host, kit}; }

  // Every directory and file of the drive (with its bytes), and the registry.
  std::string Snapshot() {
    std::ostringstream out;
    std::vector<std::string> lines;
    for (auto it = fs::recursive_directory_iterator(c); it != fs::recursive_directory_iterator(); ++it) {
      std::string line = fs::relative(it->path(), c).string();
      if (it->is_symlink()) {
        line += " -> link";
        it.disable_recursion_pending();
      } else if (it->is_regular_file()) {
        line += " = " + Get(fs::relative(it->path(), c).string());
      }
      lines.push_back(line);
    }
    std::sort(lines.begin(), lines.end());
    for (const std::string& l : lines) out << l << "\n";
    std::ifstream r(reg / "registry.txt", std::ios::binary);
    out << "--registry--\n" << r.rdbuf();
    return out.str();
  }

  std::wstring Value(RegRoot root, const std::wstring& key, const std::wstring& name) {
    RegValue v;
    return registry.ReadValue(root, key, name, 4096, v) == 0 ? RegValueText(v) : L"<missing>";
  }
};

}  // namespace zel::setup::test
