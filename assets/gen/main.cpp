// carpex-assetgen OUTPUT_DIR
//
// Draws every picture of the game and writes them into OUTPUT_DIR:
// bitmaps/*.bmp, mainicon.ico, the legend's font legend_font.bin, the web page's icons icon-192.png
// and icon-512.png, and contact-sheet.png (all pictures enlarged on a checkered ground, for looking
// at them). The same program always writes the same bytes.
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
#include "assets/gen/legend_font.h"
#include "assets/gen/pictures.h"
#include "assets/png.h"

namespace carpex::assetgen {
namespace {

void WriteFile(const std::filesystem::path& Path, const std::vector<uint8_t>& Bytes) {
  std::ofstream out(Path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(Bytes.data()),
            static_cast<std::streamsize>(Bytes.size()));
  out.close();
  if (!out) throw std::runtime_error("cannot write " + Path.string());
}

void WritePicture(const std::filesystem::path& Path, const Image& Picture) {
  const std::vector<uint8_t> rgb = Picture.ToRgbBytes();
  if (!WritePng(Path.string(), Picture.width(), Picture.height(), rgb.data())) {
    throw std::runtime_error("cannot write " + Path.string());
  }
}

std::string Lower(std::string Text) {
  for (char& c : Text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return Text;
}

// ---------------------------------------------------------------- contact sheet

constexpr Rgb kCheckLight{118, 118, 128};
constexpr Rgb kCheckDark{92, 92, 100};
constexpr Rgb kBorder{40, 40, 48};
constexpr Rgb kLabel{235, 235, 235};
constexpr int kMargin = 16;

class ContactSheet {
 public:
  ContactSheet(int Width, int Height) : image_(Width, Height) {
    for (int y = 0; y < Height; ++y) {
      for (int x = 0; x < Width; ++x)
        image_.Set(x, y, ((x / 8 + y / 8) % 2) ? kCheckDark : kCheckLight);
    }
  }

  // Places `Picture` enlarged by `Factor` with its label above, leaving the
  // pixels of colour `Key` out so that the checkered ground shows through.
  // Returns the right edge of what it drew.
  int Place(const Image& Picture, Rgb Key, int Factor, int X, int Y, const std::string& Label) {
    Mask ink(image_.width(), image_.height());
    DrawText(ink, X, Y, Label, 1);
    Composite(image_, ink, 0, 0, kLabel);
    const int top = Y + 12;
    const Image big = Picture.Enlarged(Factor);
    image_.FillRect(X - 1, top - 1, big.width() + 2, 1, kBorder);
    image_.FillRect(X - 1, top + big.height(), big.width() + 2, 1, kBorder);
    image_.FillRect(X - 1, top, 1, big.height(), kBorder);
    image_.FillRect(X + big.width(), top, 1, big.height(), kBorder);
    image_.PasteKeyed(big, X, top, Key);
    return X + big.width();
  }

  const Image& image() const { return image_; }

 private:
  Image image_;
};

// Every picture the generator makes, each drawn as it is made.
struct Pictures {
  explicit Pictures(CjkFont& Chinese)
      : levelch1(DrawLevelChoice(Chinese)), losewin1(DrawBannerSheet(Chinese)) {}

  Image back1 = DrawBackground();
  Image levelch1;
  Image build = DrawBuildingSheet();
  Image plane1 = DrawPlaneSheet();
  Image blow = DrawExplosionSheet();
  Image bomb = DrawBombSheet();
  IndexedImage losewin1;
  Image levelch = DrawEnglishLevelChoice();
  Image losewin = DrawEnglishBannerSheet();
  std::vector<NamedGlyph> buttons = DrawButtonGlyphs();
  IndexedImage preview = DrawPreviewGlyph();
  std::vector<MonoCursor> cursors = DrawCursors();
  Icon icon = DrawIcon();
};

Image DrawContactSheet(const Pictures& P) {
  ContactSheet sheet(1320, 1640);
  int y = kMargin;
  int right = sheet.Place(P.levelch1, kLevelChoiceKey, 2, kMargin, y, "levelch1  331 x 100  (x2)");
  sheet.Place(ToImage(P.losewin1), kBlack, 3, right + 3 * kMargin, y, "losewin1  191 x 94  (x3)");

  y += 12 + 282 + 2 * kMargin;
  for (int frame = 0; frame < kExplosionFrames; ++frame) {
    const int column = frame % 5;
    const int row = frame / 5;
    const Image cell =
        P.blow.Crop(frame * kExplosionFrameWidth, 0, kExplosionFrameWidth, kExplosionFrameHeight);
    sheet.Place(cell, kBlack, 2, kMargin + column * (192 + kMargin), y + row * (12 + 120 + kMargin),
                "blow frame " + std::to_string(frame));
  }

  y += 2 * (12 + 120 + kMargin) + kMargin;
  right = sheet.Place(P.build, kBlack, 6, kMargin, y, "build  48 x 48  (x6)");
  const int x = right + 2 * kMargin;
  sheet.Place(P.plane1, kBlack, 6, x, y, "plane1  96 x 16  (x6)");
  const int row2 = y + 12 + 96 + kMargin;
  right = sheet.Place(P.bomb, kBlack, 8, x, row2, "bomb  (x8)");
  right = sheet.Place(IconPreview(P.icon.image, P.icon.transparent, kCheckLight), kCheckLight, 8,
                      right + 2 * kMargin, row2, "mainicon  (x8)");
  sheet.Place(P.back1, kLevelChoiceKey, 16, right + 2 * kMargin, row2, "back1");

  // The English twins of the level choice and the banners.
  y = row2 + 12 + 32 * 8 + 2 * kMargin;
  right = sheet.Place(P.levelch, kLevelChoiceKey, 2, kMargin, y, "levelch  331 x 100  (x2)");
  sheet.Place(P.losewin, kBlack, 3, right + 3 * kMargin, y, "losewin  191 x 94  (x3)");
  // What the Windows programs carry without using it.
  y += 12 + 282 + 2 * kMargin;
  int xButton = kMargin;
  for (const NamedGlyph& glyph : P.buttons) {
    const Image picture = ToImage(glyph.image);
    xButton =
        sheet.Place(picture, picture.Get(0, picture.height() - 1), 3, xButton, y, glyph.name) +
        kMargin;
  }
  y += 12 + 19 * 3 + 2 * kMargin;
  const Image preview = ToImage(P.preview);
  int xCursor = sheet.Place(preview, preview.Get(0, 15), 4, kMargin, y, "previewglyph") + kMargin;
  for (const MonoCursor& cursor : P.cursors) {
    xCursor = sheet.Place(CursorPreview(cursor, kCheckLight), kCheckLight, 3, xCursor, y,
                          "cursor " + std::to_string(cursor.id)) +
              kMargin;
  }
  return sheet.image();
}

int Run(const std::filesystem::path& OutDir) {
  // The face of the font that carries bitmap strikes for the small sizes.
  CjkFont chinese(CARPEX_CJK_FONT, 2);
  const Pictures p(chinese);

  const std::filesystem::path bitmaps = OutDir / "bitmaps";
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
  const std::filesystem::path cursors = OutDir / "cursors";
  std::filesystem::create_directories(cursors);
  for (const MonoCursor& cursor : p.cursors) {
    WriteFile(cursors / (std::to_string(cursor.id) + ".cur"), EncodeCur(cursor));
  }
  WriteFile(OutDir / "mainicon.ico", EncodeIco4(p.icon.image, p.icon.transparent));
  WriteFile(OutDir / "legend_font.bin", DrawLegendFont(chinese));
  // The icon on the page's black, enlarged by whole factors to the sizes an
  // installed web page asks for.
  const Image icon = IconPreview(p.icon.image, p.icon.transparent, kBlack);
  for (const int size : {192, 512}) {
    WritePicture(OutDir / ("icon-" + std::to_string(size) + ".png"),
                 icon.Enlarged(size / icon.width()));
  }

  WritePicture(OutDir / "contact-sheet.png", DrawContactSheet(p));
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
