// The resource section of the built Windows games (i686 and x86_64), read from
// the executables themselves: every resource the program carries, under its
// language, with the size, depth and colours of each picture; and the version
// resource of both programs.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <set>
#include <string>
#include <tuple>
#include <vector>

namespace {

uint32_t U32(const std::vector<uint8_t>& B, std::size_t At) {
  return At + 4 > B.size() ? 0
                           : B[At] | B[At + 1] << 8 | B[At + 2] << 16 | uint32_t{B[At + 3]} << 24;
}
uint16_t U16(const std::vector<uint8_t>& B, std::size_t At) {
  return At + 2 > B.size() ? 0 : static_cast<uint16_t>(B[At] | B[At + 1] << 8);
}

struct Entry {
  int type;
  std::string name;  // a name, or "#" and the number
  int language;
  std::vector<uint8_t> data;
};

// Walks the three levels (type, name, language) of the resource directory.
class PeResources {
 public:
  explicit PeResources(const std::string& Path) {
    std::ifstream in(Path, std::ios::binary);
    file_.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    const uint32_t pe = U32(file_, 0x3C);
    if (file_.size() < 0x40 || U32(file_, pe) != 0x4550) return;
    const uint16_t sections = U16(file_, pe + 6);
    const std::size_t optional = pe + 24;
    const bool plus = U16(file_, optional) == 0x20B;
    rsrc_rva_ = U32(file_, optional + (plus ? 112 : 96) + 2 * 8);
    section_table_ = optional + U16(file_, pe + 20);
    section_count_ = sections;
    if (rsrc_rva_ != 0) Walk(0, 0, {});
  }
  const std::vector<Entry>& entries() const { return entries_; }

 private:
  std::size_t Offset(uint32_t Rva) const {
    for (int i = 0; i < section_count_; ++i) {
      const std::size_t s = section_table_ + 40 * static_cast<std::size_t>(i);
      const uint32_t start = U32(file_, s + 12);
      if (Rva >= start && Rva < start + U32(file_, s + 16))
        return U32(file_, s + 20) + (Rva - start);
    }
    return file_.size();
  }

  void Walk(uint32_t Directory, int Level, Entry Entry) {
    const std::size_t at = Offset(rsrc_rva_) + Directory;
    const int count = U16(file_, at + 12) + U16(file_, at + 14);
    for (int i = 0; i < count && Level < 3; ++i) {
      const uint32_t name = U32(file_, at + 16 + 8 * i);
      const uint32_t target = U32(file_, at + 16 + 8 * i + 4);
      std::string label;
      if (name & 0x80000000u) {
        const std::size_t s = Offset(rsrc_rva_) + (name & 0x7FFFFFFF);
        for (int k = 0; k < U16(file_, s); ++k)
          label += static_cast<char>(U16(file_, s + 2 + 2 * k));
      } else {
        label = "#" + std::to_string(name);
      }
      if (Level == 0) Entry.type = static_cast<int>(name);
      if (Level == 1) Entry.name = label;
      if (Level == 2) Entry.language = static_cast<int>(name);
      if (target & 0x80000000u) {
        Walk(target & 0x7FFFFFFF, Level + 1, Entry);
      } else {
        const std::size_t leaf = Offset(rsrc_rva_) + target;
        const std::size_t data = Offset(U32(file_, leaf));
        const uint32_t size = U32(file_, leaf + 4);
        if (data + size <= file_.size()) {
          Entry.data.assign(file_.begin() + static_cast<long>(data),
                            file_.begin() + static_cast<long>(data + size));
        }
        entries_.push_back(Entry);
      }
    }
  }

  std::vector<uint8_t> file_;
  uint32_t rsrc_rva_ = 0;
  std::size_t section_table_ = 0;
  int section_count_ = 0;
  std::vector<Entry> entries_;
};

constexpr int kCursor = 1, kBitmap = 2, kIcon = 3, kDialog = 5, kString = 6, kRcData = 10,
              kGroupCursor = 12, kGroupIcon = 14, kVersion = 16, kManifest = 24;
constexpr int kChinese = 2052, kNeutral = 0;

struct Picture {
  const char* name;
  int language;
  int width;
  int height;
  int bits;
};

const Picture kPictures[] = {
    {"BACK1", kChinese, 1, 1, 24},      {"LEVELCH1", kChinese, 331, 100, 24},
    {"BUILD", kChinese, 48, 48, 24},    {"PLANE1", kChinese, 96, 16, 24},
    {"BLOW", kChinese, 864, 60, 24},    {"BOMB", kChinese, 16, 16, 24},
    {"LOSEWIN1", kChinese, 191, 94, 8}, {"LEVELCH", kChinese, 331, 100, 24},
    {"LOSEWIN", kChinese, 191, 94, 24}, {"BBABORT", kNeutral, 36, 18, 4},
    {"BBALL", kNeutral, 36, 19, 4},     {"BBCANCEL", kNeutral, 36, 18, 4},
    {"BBCLOSE", kNeutral, 36, 18, 4},   {"BBHELP", kNeutral, 36, 18, 4},
    {"BBIGNORE", kNeutral, 36, 18, 4},  {"BBNO", kNeutral, 36, 18, 4},
    {"BBOK", kNeutral, 36, 18, 4},      {"BBRETRY", kNeutral, 36, 18, 4},
    {"BBYES", kNeutral, 36, 18, 4},     {"PREVIEWGLYPH", kNeutral, 16, 16, 4},
};

void CheckGame(const std::string& Exe) {
  const PeResources res(Exe);
  ASSERT_FALSE(res.entries().empty()) << "no resources in " << Exe;
  std::set<std::tuple<int, std::string, int>> found;
  for (const Entry& e : res.entries()) found.insert({e.type, e.name, e.language});
  const auto find = [&](int Type, const std::string& Name) -> const Entry* {
    for (const Entry& e : res.entries()) {
      if (e.type == Type && e.name == Name) return &e;
    }
    return nullptr;
  };

  std::size_t expected = 0;
  for (const Picture& p : kPictures) {
    SCOPED_TRACE(p.name);
    const Entry* e = find(kBitmap, p.name);
    ASSERT_NE(e, nullptr);
    EXPECT_EQ(e->language, p.language);
    EXPECT_EQ(static_cast<int>(U32(e->data, 4)), p.width);
    EXPECT_EQ(static_cast<int>(U32(e->data, 8)), p.height);
    EXPECT_EQ(U16(e->data, 14), p.bits);
    EXPECT_EQ(U32(e->data, 32), p.bits <= 8 ? 1u << p.bits : 0u);  // colours in the table
    ++expected;
  }
  EXPECT_TRUE(found.count({kGroupIcon, "MAINICON", kChinese}));
  EXPECT_TRUE(found.count({kRcData, "TFORM1", kNeutral}));
  EXPECT_TRUE(found.count({kDialog, "DLGTEMPLATE", kNeutral}));
  // The legend's font, which the Windows game draws its legend with.
  EXPECT_TRUE(found.count({kRcData, "LEGENDFONT", kNeutral}));
  expected += 4;
  for (int id = 32761; id <= 32767; ++id) {
    EXPECT_TRUE(found.count({kGroupCursor, "#" + std::to_string(id), kNeutral})) << id;
  }
  for (int block = 4081; block <= 4096; ++block) {
    EXPECT_TRUE(found.count({kString, "#" + std::to_string(block), kNeutral})) << block;
  }
  int cursors = 0;
  int icons = 0;
  for (const Entry& e : res.entries()) {
    if (e.type == kCursor) {
      // A cursor resource: its hot spot, then a 32 x 32 one-bit picture with its mask.
      ++cursors;
      EXPECT_EQ(U32(e.data, 4 + 4), 32u);
      EXPECT_EQ(U32(e.data, 4 + 8), 64u);
      EXPECT_EQ(U16(e.data, 4 + 14), 1);
    }
    if (e.type == kIcon) {
      ++icons;
      EXPECT_EQ(e.language, kChinese);
      EXPECT_EQ(U32(e.data, 4), 32u);
      EXPECT_EQ(U16(e.data, 14), 4);  // 16 colours
    }
  }
  EXPECT_EQ(cursors, 7);
  EXPECT_EQ(icons, 1);
  // The manifest declares the game aware of each monitor's DPI, so that its
  // window is not stretched blurry.
  const Entry* manifest = find(kManifest, "#1");
  ASSERT_NE(manifest, nullptr) << "no manifest";
  const std::string text(manifest->data.begin(), manifest->data.end());
  EXPECT_NE(text.find(">PerMonitorV2"), std::string::npos) << text;
  EXPECT_NE(text.find(">true/pm<"), std::string::npos) << text;
  expected += 7 + 16 + 7 + 1 + 1 + 1;  // and the version and the manifest
  EXPECT_EQ(res.entries().size(), expected) << "resources nobody listed";
}

// A string of the version resource's StringFileInfo: the UTF-16 key, padding
// to a 32-bit boundary, the value. Only ASCII is expected here.
std::string VersionString(const std::vector<uint8_t>& Data, const std::string& Key) {
  std::string narrow;
  for (std::size_t i = 0; i + 1 < Data.size(); i += 2) narrow += static_cast<char>(U16(Data, i));
  std::size_t at = narrow.find(Key + '\0');
  if (at == std::string::npos) return "(none)";
  at += Key.size();
  while (at < narrow.size() && narrow[at] == '\0') ++at;
  return narrow.substr(at, narrow.find('\0', at) - at);
}

// The version resource: product, description and the project's version, in
// the strings and in the fixed numbers (major.minor in the high word).
void CheckVersion(const std::string& Exe, const std::string& Description) {
  SCOPED_TRACE(Exe);
  const PeResources res(Exe);
  const Entry* version = nullptr;
  for (const Entry& e : res.entries()) {
    if (e.type == kVersion) version = &e;
  }
  ASSERT_NE(version, nullptr) << "no version resource";
  EXPECT_EQ(VersionString(version->data, "ProductName"), "Carpex");
  EXPECT_EQ(VersionString(version->data, "FileDescription"), Description);
  EXPECT_EQ(VersionString(version->data, "ProductVersion"), CARPEX_VERSION);
  EXPECT_EQ(VersionString(version->data, "FileVersion"), CARPEX_VERSION);
  unsigned major = 0, minor = 0, patch = 0;
  ASSERT_EQ(std::sscanf(CARPEX_VERSION, "%u.%u.%u", &major, &minor, &patch), 3);
  const std::size_t fixed = 6 + 2 * (std::string("VS_VERSION_INFO").size() + 1) + 2;
  EXPECT_EQ(U32(version->data, fixed), 0xFEEF04BDu);
  EXPECT_EQ(U32(version->data, fixed + 8), major << 16 | minor);
  EXPECT_EQ(U32(version->data, fixed + 12), patch << 16);
}

// The build trees come from the cache (the test command sets them) or the
// environment; without them the test skips.
std::string Tree(const char* Configured, const char* Variable) {
  const char* fromEnv = std::getenv(Variable);
  return fromEnv != nullptr && *fromEnv != '\0' ? fromEnv : Configured;
}

TEST(WindowsExecutables, CarryEveryResourceInItsLanguageAndTheVersion) {
  const std::vector<std::string> trees = {Tree(CARPEX_WIN64_BUILD_DIR, "CARPEX_WIN64_BUILD"),
                                          Tree(CARPEX_WIN32_BUILD_DIR, "CARPEX_WIN32_BUILD")};
  int checked = 0;
  for (const std::string& tree : trees) {
    if (tree.empty()) continue;
    SCOPED_TRACE(tree);
    CheckGame(tree + "/platform/win32/carpex.exe");
    CheckVersion(tree + "/platform/win32/carpex.exe", "Carpex, the game");
    CheckVersion(tree + "/platform/win32/carpex-replay.exe", "Carpex replay tool");
    ++checked;
  }
  if (checked == 0) GTEST_SKIP() << "no Windows build (CARPEX_WIN64_BUILD, CARPEX_WIN32_BUILD)";
}

}  // namespace
