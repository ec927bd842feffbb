// Tests of bitmap loading: the BMP test suite and the variants ImageMagick writes, compared
// with their references in every colour depth; refusals of missing, truncated, invalid and
// absurd files; the surface count and sizes of loaded pictures.
#include <SDL.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <string>
#include <vector>

#include "DisplayFixture.h"
#include "content/TempDir.h"
#include "display/BitmapFile.h"

namespace {

constexpr uint32_t kWindowed = 1;
constexpr uint32_t kDepths[] = {16, 24, 32};

std::vector<std::string> SuiteFiles(const std::string& folder) {
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(SuitePath(folder))) {
    if (entry.path().extension() == ".bmp") {
      names.push_back(folder + "/" + entry.path().filename().string());
    }
  }
  std::sort(names.begin(), names.end());
  return names;
}

std::string ReadBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void Put32(std::string& bytes, size_t offset, uint32_t value) {
  for (int i = 0; i < 4; ++i) bytes[offset + i] = static_cast<char>(value >> (8 * i));
}

void Put16(std::string& bytes, size_t offset, uint32_t value) {
  bytes[offset] = static_cast<char>(value);
  bytes[offset + 1] = static_cast<char>(value >> 8);
}

// A 24-bit picture of the given size (negative height: top-down), all red.
std::string Bmp24(int32_t width, int32_t height) {
  const size_t stride = (static_cast<size_t>(width) * 3 + 3) / 4 * 4;
  std::string bytes(54 + stride * static_cast<size_t>(std::abs(height)), '\0');
  bytes[0] = 'B';
  bytes[1] = 'M';
  Put32(bytes, 2, static_cast<uint32_t>(bytes.size()));
  Put32(bytes, 10, 54);
  Put32(bytes, 14, 40);
  Put32(bytes, 18, static_cast<uint32_t>(width));
  Put32(bytes, 22, static_cast<uint32_t>(height));
  Put16(bytes, 26, 1);
  Put16(bytes, 28, 24);
  for (size_t row = 0; row < static_cast<size_t>(std::abs(height)); ++row) {
    for (size_t x = 0; x < static_cast<size_t>(width); ++x)
      bytes[54 + row * stride + x * 3 + 2] = '\xFF';
  }
  return bytes;
}

// An 8-bit run-length encoded picture of the given size with a two-colour palette, whose data
// is only the end-of-picture mark: 64 bytes that may declare a picture of any size.
std::string Rle8(int32_t width, int32_t height) {
  std::string bytes(64, '\0');
  bytes[0] = 'B';
  bytes[1] = 'M';
  Put32(bytes, 2, static_cast<uint32_t>(bytes.size()));
  Put32(bytes, 10, 62);
  Put32(bytes, 14, 40);
  Put32(bytes, 18, static_cast<uint32_t>(width));
  Put32(bytes, 22, static_cast<uint32_t>(height));
  Put16(bytes, 26, 1);
  Put16(bytes, 28, 8);
  Put32(bytes, 30, 1);
  Put32(bytes, 46, 2);
  Put32(bytes, 58, 0xFFFFFF);
  bytes[63] = '\1';
  return bytes;
}

}  // namespace

class BitmapLoadTest : public DisplayFixture {
 protected:
  void SetUp() override {
    DisplayFixture::SetUp();
    Open(32);
  }

  void Open(uint32_t depth) { ASSERT_EQ(device->Init(kWindowed, window, 640, 480, depth, 0), 1); }

  // Loads a picture that must load, keeping the count honest.
  Surface* MustLoad(const std::string& path) {
    const int32_t before = device->surfaceCount;
    Surface* surface = device->LoadBitmap(0, path.c_str());
    EXPECT_NE(surface, nullptr) << path;
    EXPECT_EQ(device->surfaceCount, before + (surface ? 1 : 0));
    return surface;
  }

  // True when the picture is refused without counting anything.
  bool Refused(const std::string& path) {
    const int32_t before = device->surfaceCount;
    Surface* surface = device->LoadBitmap(0, path.c_str());
    const bool refused = surface == nullptr && device->surfaceCount == before;
    device->ReleaseSurface(surface);
    return refused;
  }

  // Copies a loaded picture into the back buffer plainly and keyed.
  void BlitBothWays(Surface* surface) {
    const SurfaceRect size = DisplayDevice::GetSurfaceSize(surface);
    const SurfaceRect part{0, 0, std::min(size.right, 640), std::min(size.bottom, 480)};
    device->Blit(part, surface, part, BlitWait);
    device->SetColorKeyMode(KeyGreen);
    device->ApplyColorKey(surface);
    device->Blit(part, surface, part, BlitWait | BlitKeySource);
  }

  TempDir scratch;
};

TEST_F(BitmapLoadTest, EveryGoodSuiteFileLoadsAsItsReferenceInEveryDepth) {
  const std::vector<std::string> files = SuiteFiles("g");
  ASSERT_EQ(files.size(), 27u);
  for (const std::string& name : files) {
    SCOPED_TRACE(name);
    const std::string png = SuitePath(name.substr(0, name.size() - 4) + ".png");
    const RgbPicture reference = ReadRgb(png, scratch.PathOf("reference.ppm"));
    ASSERT_GT(reference.width, 0) << "ImageMagick cannot read " << png;
    for (uint32_t depth : kDepths) {
      SCOPED_TRACE(depth);
      Open(depth);
      Surface* surface = MustLoad(SuitePath(name));
      if (!surface) continue;
      EXPECT_TRUE(SamePicture(*surface, reference));
      BlitBothWays(surface);
      device->ReleaseSurface(surface);
    }
  }
}

TEST_F(BitmapLoadTest, QuestionableAndBadSuiteFilesLoadOrAreRefusedCleanly) {
  std::set<std::string> refused;
  for (const char* folder : {"q", "b"}) {
    for (const std::string& name : SuiteFiles(folder)) {
      SCOPED_TRACE(name);
      for (uint32_t depth : kDepths) {
        Open(depth);
        const int32_t before = device->surfaceCount;
        Surface* surface = device->LoadBitmap(0, SuitePath(name).c_str());
        if (!surface) {
          EXPECT_EQ(device->surfaceCount, before);
          refused.insert(name);
          continue;
        }
        EXPECT_EQ(device->surfaceCount, before + 1);
        const SurfaceRect size = DisplayDevice::GetSurfaceSize(surface);
        EXPECT_GT(size.right, 0);
        EXPECT_GT(size.bottom, 0);
        BlitBothWays(surface);
        device->Present(window);
        device->ReleaseSurface(surface);
        EXPECT_EQ(device->surfaceCount, before);
      }
    }
  }
  // Pictures the decoders would get wrong, and files no reader should take.
  for (const char* name :
       {"q/pal1huffmsb.bmp", "q/rgb24rle24.bmp", "q/rgb24jpeg.bmp", "q/rgb24png.bmp",
        "q/rgba64.bmp", "b/badbitcount.bmp", "b/badheadersize.bmp", "b/badplanes.bmp",
        "b/badpalettesize.bmp", "b/badwidth.bmp", "b/pal8badindex.bmp", "b/reallybig.bmp",
        "b/rletopdown.bmp", "b/shortfile.bmp", "b/rgb16-880.bmp"}) {
    EXPECT_TRUE(refused.count(name)) << name << " was loaded";
  }
}

TEST_F(BitmapLoadTest, ImageMagicksVariantsLoadAsImageMagickReadsThem) {
  const std::string source = scratch.PathOf("source.png");
  ASSERT_TRUE(Convert({"-size", "41x60", "gradient:red-blue", "-fill", "lime", "-draw",
                       "rectangle 5,5 15,20", "-fill", "white", "-draw", "point 0,0", source}));
  struct Variant {
    const char* name;
    std::vector<std::string> options;
    const char* format;
    uint32_t bitCount;
    uint32_t headerSize;
    int channelBits[3];
  };
  const Variant variants[] = {
      {"24-bit info header", {}, "BMP3", 24, 40, {8, 8, 8}},
      {"24-bit core header", {}, "BMP2", 24, 12, {8, 8, 8}},
      {"24-bit v5 header", {}, "BMP", 24, 124, {8, 8, 8}},
      {"8-bit palette", {"-type", "Palette", "-compress", "None"}, "BMP3", 8, 40, {8, 8, 8}},
      {"8-bit RLE", {"-type", "Palette", "-compress", "RLE"}, "BMP3", 8, 40, {8, 8, 8}},
      {"8-bit core header", {"-type", "Palette"}, "BMP2", 8, 12, {8, 8, 8}},
      {"4-bit palette",
       {"-type", "Palette", "-colors", "16", "-compress", "None"},
       "BMP3",
       4,
       40,
       {8, 8, 8}},
      {"1-bit", {"-monochrome"}, "BMP3", 1, 40, {8, 8, 8}},
      {"16-bit 5-6-5", {"-define", "bmp:subtype=RGB565"}, "BMP", 16, 124, {5, 6, 5}},
      {"16-bit 5-5-5", {"-define", "bmp:subtype=RGB555"}, "BMP", 16, 124, {5, 5, 5}},
      {"32-bit with alpha", {"-alpha", "on"}, "BMP", 32, 124, {8, 8, 8}},
  };
  for (const Variant& variant : variants) {
    SCOPED_TRACE(variant.name);
    const std::string file = scratch.PathOf("variant.bmp");
    std::vector<std::string> arguments{source};
    arguments.insert(arguments.end(), variant.options.begin(), variant.options.end());
    arguments.push_back(std::string(variant.format) + ":" + file);
    ASSERT_TRUE(Convert(arguments));
    const std::string bytes = ReadBytes(file);
    ASSERT_GE(bytes.size(), 30u);
    EXPECT_EQ(static_cast<uint8_t>(bytes[14]), variant.headerSize);
    EXPECT_EQ(static_cast<uint8_t>(bytes[variant.headerSize == 12 ? 24 : 28]), variant.bitCount);
    const RgbPicture reference = ReadRgb(file, scratch.PathOf("reference.ppm"));
    ASSERT_GT(reference.width, 0);
    for (uint32_t depth : kDepths) {
      SCOPED_TRACE(depth);
      Open(depth);
      Surface* surface = MustLoad(file);
      if (!surface) continue;
      const SurfaceRect size = DisplayDevice::GetSurfaceSize(surface);
      EXPECT_EQ(size.left, 0);
      EXPECT_EQ(size.top, 0);
      EXPECT_EQ(size.right, 41);
      EXPECT_EQ(size.bottom, 60);
      EXPECT_TRUE(SamePicture(*surface, reference, variant.channelBits));
      device->ReleaseSurface(surface);
    }
  }
  const SurfaceRect none = DisplayDevice::GetSurfaceSize(nullptr);
  EXPECT_EQ(none.right, 0);
  EXPECT_EQ(none.bottom, 0);
}

TEST_F(BitmapLoadTest, LoadingTwiceMakesTwoIndependentSurfaces) {
  const std::string path = SuitePath("g/pal8.bmp");
  const int32_t before = device->surfaceCount;
  Surface* first = MustLoad(path);
  Surface* second = MustLoad(path);
  ASSERT_NE(first, nullptr);
  ASSERT_NE(second, nullptr);
  EXPECT_NE(first, second);
  EXPECT_NE(first->Sdl()->pixels, second->Sdl()->pixels);
  EXPECT_EQ(device->surfaceCount, before + 2);
  device->ReleaseSurface(first);
  EXPECT_EQ(device->surfaceCount, before + 1);
  device->ReleaseSurface(second);
  EXPECT_EQ(device->surfaceCount, before);
}

TEST_F(BitmapLoadTest, MissingAndUnreadableFilesAreRefused) {
  EXPECT_TRUE(Refused(scratch.PathOf("missing.bmp")));
  EXPECT_TRUE(Refused(scratch.path().string()));
  ASSERT_EQ(::mkfifo(scratch.PathOf("pipe.bmp").c_str(), 0600), 0);
  EXPECT_TRUE(Refused(scratch.PathOf("pipe.bmp")));
  EXPECT_TRUE(Refused("/dev/zero"));
  EXPECT_TRUE(Refused(scratch.Write("empty.bmp", "")));
  EXPECT_TRUE(Refused(scratch.Write("text.bmp", "BM but not a bitmap at all")));
  EXPECT_EQ(device->LoadBitmap(0, nullptr), nullptr);

  scratch.Write("images/Picture.bmp", ReadBytes(SuitePath("g/rgb24.bmp")));
  device->ReleaseSurface(MustLoad(scratch.PathOf("IMAGES\\picture.BMP")));

  DisplayDevice unopened;
  EXPECT_EQ(unopened.LoadBitmap(0, SuitePath("g/rgb24.bmp").c_str()), nullptr);
  EXPECT_EQ(unopened.surfaceCount, 0);
}

TEST_F(BitmapLoadTest, TruncatedFilesAreRefusedAtEveryCut) {
  const std::string whole = SuitePath("g/rgb24.bmp");
  const std::string bytes = ReadBytes(whole);
  ASSERT_EQ(bytes.size(), 54u + 384u * 64u);
  for (size_t length : {size_t{1}, size_t{13}, size_t{14}, size_t{30}, size_t{53}, size_t{54},
                        size_t{54 + 384 * 63}, bytes.size() - 1}) {
    EXPECT_TRUE(Refused(scratch.Write("cut.bmp", bytes.substr(0, length)))) << length;
  }
  Surface* surface = MustLoad(scratch.Write("cut.bmp", bytes));
  device->ReleaseSurface(surface);
  // Direct colour is unpacked here, not by SDL: one byte short must not be read past.
  for (const char* name : {"g/rgb16-565.bmp", "g/rgb32bf.bmp"}) {
    const std::string direct = ReadBytes(SuitePath(name));
    EXPECT_TRUE(Refused(scratch.Write("cut.bmp", direct.substr(0, direct.size() - 1)))) << name;
  }
}

TEST_F(BitmapLoadTest, InvalidFieldsAreRefused) {
  const std::string info = ReadBytes(SuitePath("g/rgb24.bmp"));
  const std::string core = ReadBytes(SuitePath("g/pal8os2.bmp"));
  const std::string masked = ReadBytes(SuitePath("g/rgb16-565.bmp"));
  const std::string palette = ReadBytes(SuitePath("g/pal4.bmp"));
  const std::string encoded = ReadBytes(SuitePath("g/pal8rle.bmp"));
  for (const std::string* file : {&info, &core, &masked, &palette, &encoded}) {
    ASSERT_GT(file->size(), 70u) << "the test pictures are missing: run from the repository root";
  }
  struct Case {
    const char* what;
    const std::string& original;
    size_t offset;
    uint32_t value;
    int width;  // bytes written: 2 or 4
  };
  const Case cases[] = {
      {"width 16385", info, 18, 16385, 4},
      {"height 16385", info, 22, 16385, 4},
      {"height -16385", info, 22, static_cast<uint32_t>(-16385), 4},
      {"width 3000000", info, 18, 3000000, 4},
      {"height of the lowest integer", info, 22, 0x80000000u, 4},
      {"width 0", info, 18, 0, 4},
      {"height 0", info, 22, 0, 4},
      {"negative width", info, 18, static_cast<uint32_t>(-5), 4},
      {"core width 65535", core, 18, 65535, 2},
      {"core 16 bits", core, 24, 16, 2},
      {"two planes", info, 26, 2, 2},
      {"7 bits", info, 28, 7, 2},
      {"JPEG compression", info, 30, 4, 4},
      {"RLE8 on 24 bits", info, 30, 1, 4},
      {"header size 41", info, 14, 41, 4},
      {"pixels past the end", info, 10, 54 + 384 * 64, 4},
      {"pixels at the last offset", info, 10, 0xFFFFFFFFu, 4},
      {"pixels inside the header", info, 10, 20, 4},
      {"overlapping masks", masked, 58, 0xFFE0, 4},
      {"broken mask", masked, 54, 0xF801, 4},
      {"zero mask", masked, 62, 0, 4},
      {"mask past 16 bits", masked, 54, 0x1F0000, 4},
      {"17 colours in 4 bits", palette, 46, 17, 4},
      {"2^32 - 1 colours in 4 bits", palette, 46, 0xFFFFFFFFu, 4},
      {"2^31 colours in 8 bits", encoded, 46, 0x80000000u, 4},
      {"palette past the end", palette, 46, 0, 4},
      // SDL's RLE reader does not check indexes against the palette.
      {"RLE pixels past a two-colour palette", encoded, 46, 2, 4},
      {"RLE pixels one past the palette (their highest index is 251)", encoded, 46, 251, 4},
  };
  for (const Case& c : cases) {
    std::string bytes = c.original;
    if (c.width == 2) {
      Put16(bytes, c.offset, c.value);
    } else {
      Put32(bytes, c.offset, c.value);
    }
    if (std::string(c.what) == "palette past the end") bytes.resize(54 + 15 * 4);
    EXPECT_TRUE(Refused(scratch.Write("bad.bmp", bytes))) << c.what;
  }
}

TEST_F(BitmapLoadTest, PicturesUpToTheLimitsLoadAndLargerOnesAreRefused) {
  struct Case {
    std::string (*make)(int32_t width, int32_t height);
    int32_t width, height;
    bool loads;
  };
  // The sides, with pictures stored in full; the total, with run-length encoded ones, which
  // declare their size in a few bytes: 16384 x 16384 would take a gigabyte in every copy.
  const Case cases[] = {
      {Bmp24, 16384, 1, true},     {Bmp24, 1, 16384, true},     {Bmp24, 16384, -1, true},
      {Bmp24, 16385, 1, false},    {Bmp24, 1, 16385, false},    {Bmp24, 1, -16385, false},
      {Rle8, 4096, 4096, true},    {Rle8, 16384, 1024, true},   {Rle8, 1024, 16384, true},
      {Rle8, 4097, 4096, false},   {Rle8, 4096, 4097, false},   {Rle8, 16384, 1025, false},
      {Rle8, 16384, 16384, false}, {Rle8, 65536, 65536, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.width << "x" << c.height);
    const std::string path = scratch.Write("large.bmp", c.make(c.width, c.height));
    if (!c.loads) {
      EXPECT_TRUE(Refused(path));
      continue;
    }
    Surface* surface = MustLoad(path);
    if (!surface) continue;
    const SurfaceRect extent = DisplayDevice::GetSurfaceSize(surface);
    EXPECT_EQ(extent.right, c.width);
    EXPECT_EQ(extent.bottom, std::abs(c.height));
    device->ReleaseSurface(surface);
  }
}

TEST_F(BitmapLoadTest, ColourCountsOfDirectColourPicturesAreIgnored) {
  struct Case {
    const char* name;
    int channelBits[3];
  };
  const Case cases[] = {
      {"g/rgb24", {8, 8, 8}}, {"g/rgb16-565", {5, 6, 5}}, {"g/rgb32bf", {8, 8, 8}}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string name = c.name;
    std::string bytes = ReadBytes(SuitePath(name + ".bmp"));
    Put32(bytes, 46, 0xFFFFFFFFu);
    const RgbPicture reference = ReadRgb(SuitePath(name + ".png"), scratch.PathOf("ref.ppm"));
    ASSERT_GT(reference.width, 0);
    Surface* surface = MustLoad(scratch.Write("many.bmp", bytes));
    if (!surface) continue;
    EXPECT_TRUE(SamePicture(*surface, reference, c.channelBits));
    device->ReleaseSurface(surface);
  }
}

TEST(BitmapFileTest, ParsesFromMemoryAndForgetsARefusedFile) {
  std::ifstream in(SuitePath("g/pal8w125.bmp"), std::ios::binary);
  std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)),
                             std::istreambuf_iterator<char>());
  BitmapFile file;
  ASSERT_TRUE(file.Parse(bytes));
  EXPECT_EQ(file.Width(), 125);
  EXPECT_EQ(file.Height(), 62);
  EXPECT_NE(file.Decode(), nullptr);

  bytes.resize(100);
  EXPECT_FALSE(file.Parse(bytes));
  EXPECT_EQ(file.Width(), 0);
  EXPECT_EQ(file.Decode(), nullptr);
}
