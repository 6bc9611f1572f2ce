// The DIB decoder against good pictures of every depth and against truncated
// and corrupt ones.

#include "graphics/soft/dib.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "graphics/soft/soft_api.h"
#include "tests/graphics/soft/dib_builder.h"

namespace {

using soft_test::DibSpec;
using soft_test::MakeBmpFile;
using soft_test::MakeDib;
using soft_test::Poke32;

// 5 x 3 pictures, so that every depth has row padding to skip.
DibSpec Spec(std::uint16_t Bits, bool TopDown) {
  DibSpec spec;
  spec.width = 5;
  spec.height = 3;
  spec.bits = Bits;
  spec.topDown = TopDown;
  const std::uint32_t colours = Bits <= 8 ? (1u << Bits) : 0;
  for (std::uint32_t i = 0; i < colours; ++i) {
    spec.palette.push_back(RGB(i * 7 % 256, 255 - i % 256, i * 13 % 256));
  }
  for (int i = 0; i < 15; ++i) {
    spec.pixels.push_back(Bits <= 8 ? static_cast<std::uint32_t>(i * 5 + 1) % colours
                                    : RGB(i * 17, 255 - i * 3, i));
  }
  return spec;
}

std::uint32_t Expected(const DibSpec& Spec, int X, int Y) {
  const std::uint32_t v = Spec.pixels[static_cast<std::size_t>(Y) * Spec.width + X];
  return Spec.bits <= 8 ? Spec.palette[v] : v;
}

TEST(Dib, DecodesEveryDepthBothWaysUp) {
  for (std::uint16_t bits : {1, 4, 8, 24, 32}) {
    for (bool topDown : {false, true}) {
      const DibSpec spec = Spec(bits, topDown);
      for (bool file : {false, true}) {
        const std::vector<std::uint8_t> bytes = file ? MakeBmpFile(spec, 10) : MakeDib(spec);
        soft::DibImage image;
        ASSERT_TRUE(file ? soft::DecodeBmpFile(bytes.data(), bytes.size(), &image)
                         : soft::DecodeDib(bytes.data(), bytes.size(), &image))
            << bits << " " << topDown << " " << file;
        EXPECT_EQ(5, image.Width);
        EXPECT_EQ(3, image.Height);
        EXPECT_EQ(bits, image.BitsPerPixel);
        for (int y = 0; y < 3; ++y) {
          for (int x = 0; x < 5; ++x) {
            EXPECT_EQ(Expected(spec, x, y), image.At(x, y))
                << bits << "bpp at " << x << "," << y << (topDown ? " top-down" : "");
          }
        }
      }
    }
  }
}

TEST(Dib, ShortColourTables) {
  DibSpec spec = Spec(8, false);
  spec.palette.resize(4);
  spec.clrUsed = 4;
  spec.pixels[0] = 3;
  spec.pixels[1] = 200;  // past the table: black
  const std::vector<std::uint8_t> bytes = MakeDib(spec);
  soft::DibImage image;
  ASSERT_TRUE(soft::DecodeDib(bytes.data(), bytes.size(), &image));
  EXPECT_EQ(spec.palette[3], image.At(0, 0));
  EXPECT_EQ(0u, image.At(1, 0));

  // A true-colour picture may carry a table; the bits follow it.
  DibSpec rgb = Spec(24, false);
  rgb.palette = {1, 2, 3};
  rgb.clrUsed = 3;
  const std::vector<std::uint8_t> withTable = MakeDib(rgb);
  ASSERT_TRUE(soft::DecodeDib(withTable.data(), withTable.size(), &image));
  EXPECT_EQ(Expected(rgb, 4, 2), image.At(4, 2));
}

TEST(Dib, LongerHeadersAreAccepted) {
  // A BITMAPV4HEADER-sized header: the table and bits start after biSize.
  const std::vector<std::uint8_t> plain = MakeDib(Spec(24, false));
  std::vector<std::uint8_t> v4(plain.begin(), plain.begin() + 40);
  v4.resize(108, 0);
  v4.insert(v4.end(), plain.begin() + 40, plain.end());
  Poke32(v4, 0, 108);
  soft::DibImage image;
  ASSERT_TRUE(soft::DecodeDib(v4.data(), v4.size(), &image));
  EXPECT_EQ(5, image.Width);
}

TEST(Dib, EveryTruncationIsRefused) {
  for (std::uint16_t bits : {1, 8, 24}) {
    const DibSpec spec = Spec(bits, false);
    const std::vector<std::uint8_t> dib = MakeDib(spec);
    const std::vector<std::uint8_t> file = MakeBmpFile(spec);
    for (std::size_t n = 0; n < dib.size(); ++n) {
      // A copy of exactly n bytes, so that reading past it is caught.
      const std::vector<std::uint8_t> cut(dib.begin(), dib.begin() + static_cast<long>(n));
      soft::DibImage image;
      EXPECT_FALSE(soft::DecodeDib(cut.data(), cut.size(), &image)) << bits << " bpp, " << n;
    }
    for (std::size_t n = 0; n < file.size(); ++n) {
      const std::vector<std::uint8_t> cut(file.begin(), file.begin() + static_cast<long>(n));
      soft::DibImage image;
      EXPECT_FALSE(soft::DecodeBmpFile(cut.data(), cut.size(), &image)) << bits << " bpp, " << n;
    }
  }
}

TEST(Dib, CorruptHeaderFieldsAreRefused) {
  const std::vector<std::uint8_t> good = MakeDib(Spec(8, false));
  struct Field {
    const char* what;
    std::size_t at;
    std::uint32_t value;
    bool sixteenBits;
  };
  const Field fields[] = {
      {"core header size", 0, 12, false},
      {"header size past the end", 0, 0x10000, false},
      {"header size huge", 0, 0xFFFFFFFF, false},
      {"zero width", 4, 0, false},
      {"negative width", 4, 0xFFFFFFFB, false},
      {"zero height", 8, 0, false},
      {"most negative height", 8, 0x80000000, false},
      {"huge width", 4, 0x7FFFFFFF, false},
      {"huge height", 8, 0x7FFFFFFF, false},
      {"wide beyond the cap", 4, 20000, false},
      {"two planes", 12, 2, true},
      {"zero bits", 14, 0, true},
      {"16 bits", 14, 16, true},
      {"2 bits", 14, 2, true},
      {"RLE8", 16, 1, false},
      {"BI_BITFIELDS", 16, 3, false},
      {"JPEG", 16, 4, false},
      {"more colours than 8 bits hold", 32, 257, false},
      {"colour count overflowing", 32, 0x40000001, false},
  };
  for (const Field& f : fields) {
    std::vector<std::uint8_t> bad = good;
    if (f.sixteenBits) {
      bad[f.at] = static_cast<std::uint8_t>(f.value);
      bad[f.at + 1] = static_cast<std::uint8_t>(f.value >> 8);
    } else {
      Poke32(bad, f.at, f.value);
    }
    soft::DibImage image;
    image.Width = 99;
    EXPECT_FALSE(soft::DecodeDib(bad.data(), bad.size(), &image)) << f.what;
    EXPECT_EQ(99, image.Width) << f.what << ": output changed on failure";
  }

  // Dimensions that fit one by one but not together.
  std::vector<std::uint8_t> big = good;
  Poke32(big, 4, 16000);
  Poke32(big, 8, 16000);
  soft::DibImage image;
  EXPECT_FALSE(soft::DecodeDib(big.data(), big.size(), &image));

  // A true-colour table that claims more than there is.
  std::vector<std::uint8_t> rgb = MakeDib(Spec(24, false));
  Poke32(rgb, 32, 0xFFFFFFFF);
  EXPECT_FALSE(soft::DecodeDib(rgb.data(), rgb.size(), &image));

  EXPECT_FALSE(soft::DecodeDib(nullptr, 100, &image));
  EXPECT_FALSE(soft::DecodeDib(good.data(), good.size(), nullptr));
}

TEST(Dib, CorruptFileHeadersAreRefused) {
  const std::vector<std::uint8_t> good = MakeBmpFile(Spec(24, true), 4);
  soft::DibImage image;
  ASSERT_TRUE(soft::DecodeBmpFile(good.data(), good.size(), &image));

  std::vector<std::uint8_t> bad = good;
  bad[0] = 'X';
  EXPECT_FALSE(soft::DecodeBmpFile(bad.data(), bad.size(), &image));
  for (std::uint32_t offBits :
       {0u, 14u, 53u, 0xFFFFFFF0u, static_cast<std::uint32_t>(good.size())}) {
    bad = good;
    Poke32(bad, 10, offBits);
    EXPECT_FALSE(soft::DecodeBmpFile(bad.data(), bad.size(), &image)) << offBits;
  }
  // A resource is not a file, nor a file a resource.
  EXPECT_FALSE(soft::DecodeDib(good.data(), good.size(), &image));
  const std::vector<std::uint8_t> dib = MakeDib(Spec(24, true));
  EXPECT_FALSE(soft::DecodeBmpFile(dib.data(), dib.size(), &image));
}

}  // namespace
