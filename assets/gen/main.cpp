// carpex-assetgen OUTPUT_DIR
//
// Draws every picture of the game and writes them into OUTPUT_DIR:
// bitmaps/*.bmp, mainicon.ico, the web page's icons icon-192.png and
// icon-512.png, and contact-sheet.png (all pictures enlarged on a checkered
// ground, for looking at them). The same program always writes the
// same bytes.
#include <cctype>
#include <cstdio>
#include <exception>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "assets/gen/cjk_text.h"
#include "assets/gen/font.h"
#include "assets/gen/formats.h"
#include "assets/gen/framework.h"
#include "assets/gen/pictures.h"
#include "assets/png.h"

namespace carpex::assetgen {
namespace {

void WriteFile(const std::filesystem::path& path, const std::vector<uint8_t>& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()),
            static_cast<std::streamsize>(bytes.size()));
  out.close();
  if (!out) throw std::runtime_error("cannot write " + path.string());
}

void WritePicture(const std::filesystem::path& path, const Image& picture) {
  const std::vector<uint8_t> rgb = picture.ToRgbBytes();
  if (!WritePng(path.string(), picture.width(), picture.height(), rgb.data())) {
    throw std::runtime_error("cannot write " + path.string());
  }
}

std::string Lower(std::string text) {
  for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return text;
}

// ---------------------------------------------------------------- contact sheet

constexpr Rgb kCheckLight{118, 118, 128};
constexpr Rgb kCheckDark{92, 92, 100};
constexpr Rgb kBorder{40, 40, 48};
constexpr Rgb kLabel{235, 235, 235};
constexpr int kMargin = 16;

class ContactSheet {
 public:
  ContactSheet(int width, int height) : image_(width, height) {
    for (int y = 0; y < height; ++y) {
      for (int x = 0; x < width; ++x)
        image_.Set(x, y, ((x / 8 + y / 8) % 2) ? kCheckDark : kCheckLight);
    }
  }

  // Places `picture` enlarged by `factor` with its label above, leaving the
  // pixels of colour `key` out so that the checkered ground shows through.
  // Returns the right edge of what it drew.
  int Place(const Image& picture, Rgb key, int factor, int x, int y, const std::string& label) {
    Mask ink(image_.width(), image_.height());
    DrawText(ink, x, y, label, 1);
    Composite(image_, ink, 0, 0, kLabel);
    const int top = y + 12;
    const Image big = picture.Enlarged(factor);
    image_.FillRect(x - 1, top - 1, big.width() + 2, 1, kBorder);
    image_.FillRect(x - 1, top + big.height(), big.width() + 2, 1, kBorder);
    image_.FillRect(x - 1, top, 1, big.height(), kBorder);
    image_.FillRect(x + big.width(), top, 1, big.height(), kBorder);
    image_.PasteKeyed(big, x, top, key);
    return x + big.width();
  }

  const Image& image() const { return image_; }

 private:
  Image image_;
};

struct Pictures {
  Image back1;
  Image levelch1;
  Image build;
  Image plane1;
  Image blow;
  Image bomb;
  IndexedImage losewin1;
  Image levelch;
  Image losewin;
  std::vector<NamedGlyph> buttons;
  IndexedImage preview;
  std::vector<MonoCursor> cursors;
  Icon icon;
};

Image DrawContactSheet(const Pictures& p) {
  ContactSheet sheet(1320, 1640);
  int y = kMargin;
  int right = sheet.Place(p.levelch1, kLevelChoiceKey, 2, kMargin, y, "levelch1  331 x 100  (x2)");
  sheet.Place(ToImage(p.losewin1), kBlack, 3, right + 3 * kMargin, y, "losewin1  191 x 94  (x3)");

  y += 12 + 282 + 2 * kMargin;
  for (int frame = 0; frame < kExplosionFrames; ++frame) {
    const int column = frame % 5;
    const int row = frame / 5;
    const Image cell =
        p.blow.Crop(frame * kExplosionFrameWidth, 0, kExplosionFrameWidth, kExplosionFrameHeight);
    sheet.Place(cell, kBlack, 2, kMargin + column * (192 + kMargin), y + row * (12 + 120 + kMargin),
                "blow frame " + std::to_string(frame));
  }

  y += 2 * (12 + 120 + kMargin) + kMargin;
  right = sheet.Place(p.build, kBlack, 6, kMargin, y, "build  48 x 48  (x6)");
  const int x = right + 2 * kMargin;
  sheet.Place(p.plane1, kBlack, 6, x, y, "plane1  96 x 16  (x6)");
  const int row2 = y + 12 + 96 + kMargin;
  right = sheet.Place(p.bomb, kBlack, 8, x, row2, "bomb  (x8)");
  right = sheet.Place(IconPreview(p.icon.image, p.icon.transparent, kCheckLight), kCheckLight, 8,
                      right + 2 * kMargin, row2, "mainicon  (x8)");
  sheet.Place(p.back1, kLevelChoiceKey, 16, right + 2 * kMargin, row2, "back1");

  // The English twins of the level choice and the banners.
  y = row2 + 12 + 32 * 8 + 2 * kMargin;
  right = sheet.Place(p.levelch, kLevelChoiceKey, 2, kMargin, y, "levelch  331 x 100  (x2)");
  sheet.Place(p.losewin, kBlack, 3, right + 3 * kMargin, y, "losewin  191 x 94  (x3)");
  // What the Windows programs carry without using it.
  y += 12 + 282 + 2 * kMargin;
  int x_button = kMargin;
  for (const NamedGlyph& glyph : p.buttons) {
    const Image picture = ToImage(glyph.image);
    x_button =
        sheet.Place(picture, picture.Get(0, picture.height() - 1), 3, x_button, y, glyph.name) +
        kMargin;
  }
  y += 12 + 19 * 3 + 2 * kMargin;
  const Image preview = ToImage(p.preview);
  int x_cursor = sheet.Place(preview, preview.Get(0, 15), 4, kMargin, y, "previewglyph") + kMargin;
  for (const MonoCursor& cursor : p.cursors) {
    x_cursor = sheet.Place(CursorPreview(cursor, kCheckLight), kCheckLight, 3, x_cursor, y,
                           "cursor " + std::to_string(cursor.id)) +
               kMargin;
  }
  return sheet.image();
}

int Run(const std::filesystem::path& out_dir) {
  // The face of the font that carries bitmap strikes for the small sizes.
  CjkFont chinese(CARPEX_CJK_FONT, 2);
  Pictures p;
  p.back1 = DrawBackground();
  p.levelch1 = DrawLevelChoice(chinese);
  p.levelch = DrawEnglishLevelChoice();
  p.losewin = DrawEnglishBannerSheet();
  p.build = DrawBuildingSheet();
  p.plane1 = DrawPlaneSheet();
  p.blow = DrawExplosionSheet();
  p.bomb = DrawBombSheet();
  p.losewin1 = DrawBannerSheet(chinese);
  p.icon = DrawIcon();
  p.buttons = DrawButtonGlyphs();
  p.preview = DrawPreviewGlyph();
  p.cursors = DrawCursors();

  const std::filesystem::path bitmaps = out_dir / "bitmaps";
  std::filesystem::create_directories(bitmaps);
  WriteFile(bitmaps / "back1.bmp", EncodeBmp24(p.back1));
  WriteFile(bitmaps / "levelch1.bmp", EncodeBmp24(p.levelch1));
  WriteFile(bitmaps / "build.bmp", EncodeBmp24(p.build));
  WriteFile(bitmaps / "plane1.bmp", EncodeBmp24(p.plane1));
  WriteFile(bitmaps / "blow.bmp", EncodeBmp24(p.blow));
  WriteFile(bitmaps / "bomb.bmp", EncodeBmp24(p.bomb));
  WriteFile(bitmaps / "losewin1.bmp", EncodeBmp8(p.losewin1));
  WriteFile(bitmaps / "levelch.bmp", EncodeBmp24(p.levelch));
  WriteFile(bitmaps / "losewin.bmp", EncodeBmp24(p.losewin));
  for (const NamedGlyph& glyph : p.buttons)
    WriteFile(bitmaps / Lower(glyph.name + ".bmp"), EncodeBmp4(glyph.image));
  WriteFile(bitmaps / "previewglyph.bmp", EncodeBmp4(p.preview));
  const std::filesystem::path cursors = out_dir / "cursors";
  std::filesystem::create_directories(cursors);
  for (const MonoCursor& cursor : p.cursors) {
    WriteFile(cursors / (std::to_string(cursor.id) + ".cur"), EncodeCur(cursor));
  }
  WriteFile(out_dir / "mainicon.ico", EncodeIco4(p.icon.image, p.icon.transparent));
  // The icon on the page's black, enlarged by whole factors to the sizes an
  // installed web page asks for.
  const Image icon = IconPreview(p.icon.image, p.icon.transparent, kBlack);
  for (const int size : {192, 512}) {
    WritePicture(out_dir / ("icon-" + std::to_string(size) + ".png"),
                 icon.Enlarged(size / icon.width()));
  }

  WritePicture(out_dir / "contact-sheet.png", DrawContactSheet(p));
  return 0;
}

}  // namespace
}  // namespace carpex::assetgen

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s OUTPUT_DIR\n", argv[0]);
    return 2;
  }
  try {
    return carpex::assetgen::Run(argv[1]);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "carpex-assetgen: %s\n", e.what());
    return 1;
  }
}
