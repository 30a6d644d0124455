// The pictures, icons and sounds the build makes from assets/art: every file
// the programs load is there, each is a well-formed file of the kind the
// programs read, shapes cut out by a key colour have clean outsides and no
// holes, and the sounds are short and not clipped.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <map>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace {

const std::string kBuild = ZEL_BUILD_DIR;

std::vector<uint8_t> ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

uint32_t Le(const std::vector<uint8_t>& b, size_t at, int bytes) {
  uint32_t v = 0;
  for (int i = bytes - 1; i >= 0; --i) v = (v << 8) | b.at(at + i);
  return v;
}

struct Entry {
  std::string kind, path, key;
  int width = 0, height = 0;
};

const std::vector<Entry>& Manifest() {
  static const std::vector<Entry> entries = [] {
    std::vector<Entry> out;
    std::ifstream in(kBuild + "/art/manifest.txt");
    std::string line;
    while (std::getline(in, line)) {
      std::istringstream fields(line);
      Entry e;
      if (fields >> e.kind >> e.path >> e.width >> e.height >> e.key) out.push_back(e);
    }
    return out;
  }();
  return entries;
}

const Entry* Find(const std::string& path) {
  for (const auto& e : Manifest())
    if (e.path == path) return &e;
  return nullptr;
}

struct Rgb {
  uint8_t r, g, b;
  bool operator==(const Rgb& o) const { return r == o.r && g == o.g && b == o.b; }
};

// A 24-bit uncompressed Windows bitmap, the form the programs load.
struct Bitmap {
  int width = 0, height = 0;
  std::vector<Rgb> pixels;  // top row first
  Rgb At(int x, int y) const { return pixels[size_t(y) * width + x]; }
};

::testing::AssertionResult ReadBitmap(const std::string& path, Bitmap& bmp) {
  auto b = ReadAll(path);
  if (b.size() < 54 || b[0] != 'B' || b[1] != 'M')
    return ::testing::AssertionFailure() << path << ": not a bitmap file";
  const uint32_t offset = Le(b, 10, 4);
  const uint32_t header = Le(b, 14, 4);
  const int32_t width = int32_t(Le(b, 18, 4));
  const int32_t height = int32_t(Le(b, 22, 4));
  const uint32_t planes = Le(b, 26, 2), bits = Le(b, 28, 2), compression = Le(b, 30, 4);
  if (Le(b, 2, 4) != b.size())
    return ::testing::AssertionFailure() << path << ": file size field " << Le(b, 2, 4)
                                         << " but " << b.size() << " bytes";
  if (header != 40 || planes != 1 || bits != 24 || compression != 0)
    return ::testing::AssertionFailure() << path << ": header " << header << ", " << bits
                                         << " bits, compression " << compression
                                         << " (want a 40-byte header, 24 bits, none)";
  if (width <= 0 || height <= 0)
    return ::testing::AssertionFailure() << path << ": size " << width << " x " << height
                                         << " (want a bottom-up bitmap)";
  const size_t stride = (size_t(width) * 3 + 3) & ~size_t(3);
  if (offset + stride * height > b.size())
    return ::testing::AssertionFailure() << path << ": pixel rows run past the end";
  bmp.width = width;
  bmp.height = height;
  bmp.pixels.clear();
  for (int y = 0; y < height; ++y) {
    const size_t row = offset + stride * size_t(height - 1 - y);
    for (int x = 0; x < width; ++x)
      bmp.pixels.push_back({b[row + 3 * x + 2], b[row + 3 * x + 1], b[row + 3 * x]});
  }
  return ::testing::AssertionSuccess();
}

Rgb KeyOf(const Entry& e) { return e.key == "white" ? Rgb{255, 255, 255} : Rgb{0, 0, 0}; }

bool Near(Rgb a, Rgb k, int within) {
  return std::abs(a.r - k.r) < within && std::abs(a.g - k.g) < within &&
         std::abs(a.b - k.b) < within;
}

// Key-coloured pixels that cannot be reached from the border through other
// key-coloured pixels: holes the region builder would punch into the shape.
int Holes(const Bitmap& bmp, Rgb key) {
  const int w = bmp.width, h = bmp.height;
  std::vector<char> seen(size_t(w) * h, 0);
  std::vector<std::pair<int, int>> todo;
  auto visit = [&](int x, int y) {
    if (x < 0 || y < 0 || x >= w || y >= h) return;
    char& s = seen[size_t(y) * w + x];
    if (s || !(bmp.At(x, y) == key)) return;
    s = 1;
    todo.push_back({x, y});
  };
  for (int x = 0; x < w; ++x) visit(x, 0), visit(x, h - 1);
  for (int y = 0; y < h; ++y) visit(0, y), visit(w - 1, y);
  while (!todo.empty()) {
    auto [x, y] = todo.back();
    todo.pop_back();
    visit(x + 1, y), visit(x - 1, y), visit(x, y + 1), visit(x, y - 1);
  }
  int holes = 0;
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x)
      if (bmp.At(x, y) == key && !seen[size_t(y) * w + x]) ++holes;
  return holes;
}

// Drawn pixels next to the outside whose colour is within a few steps of the
// key: the blended edge that shows as a dark (or light) fringe.
int Fringe(const Bitmap& bmp, Rgb key) {
  int count = 0;
  for (int y = 0; y < bmp.height; ++y)
    for (int x = 0; x < bmp.width; ++x) {
      const Rgb p = bmp.At(x, y);
      if (p == key || !Near(p, key, 24)) continue;
      const int dx[] = {1, -1, 0, 0}, dy[] = {0, 0, 1, -1};
      for (int i = 0; i < 4; ++i) {
        const int nx = x + dx[i], ny = y + dy[i];
        if (nx >= 0 && ny >= 0 && nx < bmp.width && ny < bmp.height && bmp.At(nx, ny) == key) {
          ++count;
          break;
        }
      }
    }
  return count;
}

// The files the programs name, each with what it must be.
struct Wanted {
  std::string path, kind;
};

std::vector<Wanted> WantedFiles() {
  std::vector<Wanted> w;
  for (const char* name : {"Bkgnd", "Btn1", "Btn2", "Logo", "URL", "MinWin", "ClsWin", "Partition",
                           "Unlock", "ChangePW", "MesgBox1", "MesgBox2", "ErrMark", "InfoMark",
                           "QuesMark", "WarnMark"})
    w.push_back({std::string("Tessary/") + name + ".bmp", "bitmap"});
  for (const char* name : {"Logo", "URL"}) w.push_back({std::string("Dormel/") + name + ".bmp", "bitmap"});
  for (int id : {132, 133, 134, 135, 137, 138, 139, 140, 145, 146, 147, 148, 149, 150})
    w.push_back({"art/Dormel/" + std::to_string(id) + ".bmp", "bitmap"});
  for (int id : {141, 151, 152}) w.push_back({"art/Dormel/" + std::to_string(id) + ".wav", "sound"});
  for (int id : {155, 156, 157, 158}) w.push_back({"art/Tessary/" + std::to_string(id) + ".wav", "sound"});
  for (const char* p : {"art/Tessary/128.ico", "art/Dormel/128.ico", "art/Dormel/143.ico", "art/Corvex/130.ico"})
    w.push_back({p, "icon"});
  return w;
}

TEST(ArtFiles, EveryFileTheProgramsNameIsMade) {
  ASSERT_FALSE(Manifest().empty()) << kBuild << "/art/manifest.txt is missing or empty";
  for (const auto& want : WantedFiles()) {
    const Entry* e = Find(want.path);
    ASSERT_NE(e, nullptr) << want.path << " is not among the made files";
    EXPECT_EQ(e->kind, want.kind) << want.path;
    std::ifstream in(kBuild + "/" + want.path, std::ios::binary);
    EXPECT_TRUE(in.good()) << want.path << " was not made";
  }
}

TEST(ArtFiles, MessageBoxPicturesHaveTheirFixedSizes) {
  const std::map<std::string, std::pair<int, int>> fixed = {{"art/Dormel/140.bmp", {285, 121}},
                                                             {"art/Dormel/149.bmp", {359, 119}},
                                                             {"art/Dormel/150.bmp", {125, 118}},
                                                             {"art/Dormel/134.bmp", {47, 22}}};
  for (const auto& [path, size] : fixed) {
    Bitmap bmp;
    ASSERT_TRUE(ReadBitmap(kBuild + "/" + path, bmp));
    EXPECT_EQ(bmp.width, size.first) << path;
    EXPECT_EQ(bmp.height, size.second) << path;
  }
}

TEST(ArtFiles, BitmapsAreWellFormedAndCleanlyKeyed) {
  int keyed = 0;
  for (const auto& e : Manifest()) {
    if (e.kind != "bitmap") continue;
    SCOPED_TRACE(e.path);
    Bitmap bmp;
    ASSERT_TRUE(ReadBitmap(kBuild + "/" + e.path, bmp));
    EXPECT_EQ(bmp.width, e.width);
    EXPECT_EQ(bmp.height, e.height);
    if (e.key == "none") continue;
    ++keyed;
    const Rgb key = KeyOf(e);
    // Every keyed shape has rounded corners: the corner pixels are outside.
    for (auto [x, y] : {std::pair{0, 0}, {bmp.width - 1, 0}, {0, bmp.height - 1},
                        {bmp.width - 1, bmp.height - 1}})
      EXPECT_EQ(bmp.At(x, y), key) << "corner " << x << "," << y << " is not the key colour";
    EXPECT_FALSE(bmp.At(bmp.width / 2, bmp.height / 2) == key) << "the centre is cut out";
    EXPECT_EQ(Holes(bmp, key), 0) << "key-coloured pixels inside the shape";
    EXPECT_EQ(Fringe(bmp, key), 0) << "near-key pixels along the outline";
  }
  EXPECT_GT(keyed, 20);
}

TEST(ArtFiles, WindowBackgroundsFillTheirRectangleButTheCorners) {
  // The window takes the shape of its background: apart from the rounded
  // corners every edge pixel is inside, so nothing of the dialog's controls
  // along the border falls outside the window.
  for (const char* path : {"Tessary/Bkgnd.bmp", "Tessary/Partition.bmp", "Tessary/Unlock.bmp",
                           "Tessary/ChangePW.bmp", "Tessary/MesgBox1.bmp", "Tessary/MesgBox2.bmp",
                           "art/Dormel/132.bmp", "art/Dormel/140.bmp", "art/Dormel/149.bmp",
                           "art/Dormel/150.bmp"}) {
    SCOPED_TRACE(path);
    Bitmap bmp;
    ASSERT_TRUE(ReadBitmap(kBuild + "/" + std::string(path), bmp));
    const int corner = 10;
    int outside = 0;
    for (int x = corner; x < bmp.width - corner; ++x)
      outside += (bmp.At(x, 0) == Rgb{0, 0, 0}) + (bmp.At(x, bmp.height - 1) == Rgb{0, 0, 0});
    for (int y = corner; y < bmp.height - corner; ++y)
      outside += (bmp.At(0, y) == Rgb{0, 0, 0}) + (bmp.At(bmp.width - 1, y) == Rgb{0, 0, 0});
    EXPECT_EQ(outside, 0);
  }
}

TEST(ArtFiles, SoundsAreShortMonoPcmAndNotClipped) {
  int sounds = 0;
  for (const auto& e : Manifest()) {
    if (e.kind != "sound") continue;
    SCOPED_TRACE(e.path);
    ++sounds;
    auto b = ReadAll(kBuild + "/" + e.path);
    ASSERT_GE(b.size(), 44u);
    ASSERT_EQ(std::string(b.begin(), b.begin() + 4), "RIFF");
    ASSERT_EQ(std::string(b.begin() + 8, b.begin() + 12), "WAVE");
    EXPECT_EQ(Le(b, 4, 4) + 8, b.size());
    uint32_t format = 0, channels = 0, rate = 0, bits = 0;
    std::vector<int16_t> samples;
    for (size_t at = 12; at + 8 <= b.size();) {
      const std::string id(b.begin() + at, b.begin() + at + 4);
      const uint32_t size = Le(b, at + 4, 4);
      ASSERT_LE(at + 8 + size, b.size()) << "chunk " << id << " runs past the end";
      if (id == "fmt ") {
        format = Le(b, at + 8, 2), channels = Le(b, at + 10, 2), rate = Le(b, at + 12, 4);
        bits = Le(b, at + 22, 2);
      } else if (id == "data") {
        for (size_t i = 0; i + 1 < size; i += 2) samples.push_back(int16_t(Le(b, at + 8 + i, 2)));
      }
      at += 8 + size + (size & 1);
    }
    EXPECT_EQ(format, 1u);
    EXPECT_EQ(channels, 1u);
    EXPECT_TRUE(rate == 22050 || rate == 44100) << rate;
    EXPECT_EQ(bits, 16u);
    ASSERT_FALSE(samples.empty());
    const double seconds = double(samples.size()) / rate;
    EXPECT_GE(seconds, 0.02);
    EXPECT_LE(seconds, 0.6) << "a user-interface sound longer than 0.6 s";
    int peak = 0;
    for (int16_t s : samples) peak = std::max(peak, std::abs(int(s)));
    EXPECT_GT(peak, 32768 / 20) << "almost silent";
    EXPECT_LT(peak, 32768 * 9 / 10) << "at or near full scale";
    // It starts and ends at rest, so it does not click at its edges.
    EXPECT_LT(std::abs(int(samples.front())), 32768 / 50);
    EXPECT_LT(std::abs(int(samples.back())), 32768 / 50);
  }
  EXPECT_GE(sounds, 7);
}

TEST(ArtFiles, IconsHoldSixteenThirtyTwoAndFortyEightPixelImages) {
  for (const auto& e : Manifest()) {
    if (e.kind != "icon") continue;
    SCOPED_TRACE(e.path);
    auto b = ReadAll(kBuild + "/" + e.path);
    ASSERT_GE(b.size(), 6u);
    EXPECT_EQ(Le(b, 0, 2), 0u);
    EXPECT_EQ(Le(b, 2, 2), 1u) << "not an icon file";
    const uint32_t count = Le(b, 4, 2);
    ASSERT_GE(b.size(), 6 + 16 * size_t(count));
    std::set<int> sizes;
    for (uint32_t i = 0; i < count; ++i) {
      const size_t at = 6 + 16 * i;
      sizes.insert(b[at] == 0 ? 256 : b[at]);
      const uint32_t bytes = Le(b, at + 8, 4), offset = Le(b, at + 12, 4);
      EXPECT_LE(size_t(offset) + bytes, b.size()) << "image " << i << " runs past the end";
      EXPECT_EQ(Le(b, at + 6, 2), 32u) << "image " << i << " has no alpha";
    }
    EXPECT_EQ(sizes, (std::set<int>{16, 32, 48}));
  }
}

TEST(ArtFiles, ResourceScriptsNameEveryResourceOnceAndOnlyMadeFiles) {
  const std::map<std::string, std::set<std::string>> wanted = {
      {"Dormel",
       {"132 BITMAP", "133 BITMAP", "134 BITMAP", "135 BITMAP", "137 BITMAP", "138 BITMAP",
        "139 BITMAP", "140 BITMAP", "145 BITMAP", "146 BITMAP", "147 BITMAP", "148 BITMAP",
        "149 BITMAP", "150 BITMAP", "141 WAVE", "151 WAVE", "152 WAVE", "128 ICON", "143 ICON"}},
      {"Tessary", {"155 WAVE", "156 WAVE", "157 WAVE", "158 WAVE", "128 ICON"}},
      {"Corvex", {"130 ICON"}}};
  const std::regex line(R"rc(^(\d+) (BITMAP|WAVE|ICON) "([^"]+)"$)rc");
  for (const auto& [program, ids] : wanted) {
    SCOPED_TRACE(program);
    std::ifstream in(kBuild + "/art/" + program + "/art.rc");
    ASSERT_TRUE(in.good());
    std::multiset<std::string> seen;
    std::string text;
    while (std::getline(in, text)) {
      std::smatch m;
      if (text.empty() || text.rfind("//", 0) == 0) continue;
      ASSERT_TRUE(std::regex_match(text, m, line)) << "unexpected line: " << text;
      seen.insert(m[1].str() + " " + m[2].str());
      std::ifstream file(m[3].str(), std::ios::binary);
      EXPECT_TRUE(file.good()) << m[3].str() << " is named but not made";
    }
    EXPECT_EQ(std::set<std::string>(seen.begin(), seen.end()), ids);
    EXPECT_EQ(seen.size(), ids.size()) << "a resource is named twice";
  }
}

}  // namespace
