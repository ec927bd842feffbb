// BitmapFile: header checks and decoding of Windows .bmp files.
#include "display/BitmapFile.h"

#include <SDL.h>

#include <bit>
#include <cstring>
#include <utility>

#include "platform/ContentFile.h"

namespace {

// File header: the magic "BM", the file's size, two reserved words, and where the pixels
// start. Offsets here and below are from the start of the file.
constexpr size_t kFileHeaderSize = 14;
constexpr size_t kPixelOffsetField = 10;

// The picture's header follows; every kind begins with its own size in 32 bits.
constexpr size_t kHeaderSizeField = kFileHeaderSize;
constexpr size_t kHeaderSizeFieldEnd = kHeaderSizeField + 4;

// Core (OS/2 1.x) header: 16-bit width, height, planes and bit count; 3-byte palette entries.
constexpr uint32_t kCoreHeaderSize = 12;
constexpr size_t kCoreWidthField = 18;
constexpr size_t kCoreHeightField = 20;
constexpr size_t kCorePlanesField = 22;
constexpr size_t kCoreBitCountField = 24;
constexpr uint64_t kCorePaletteEntrySize = 3;

// Info header, which every longer header begins with: 32-bit width and height (a negative
// height for a top-down picture), 16-bit planes and bit count, then 32-bit compression and,
// after the image size and resolution, the count of palette colours used; 4-byte palette
// entries.
constexpr uint32_t kInfoHeaderSize = 40;
constexpr size_t kInfoWidthField = 18;
constexpr size_t kInfoHeightField = 22;
constexpr size_t kInfoPlanesField = 26;
constexpr size_t kInfoBitCountField = 28;
constexpr size_t kInfoCompressionField = 30;
constexpr size_t kInfoColorsUsedField = 46;
constexpr uint64_t kInfoPaletteEntrySize = 4;

// Longer headers. The OS/2 2.x header's compression 3 is Huffman coding and 4 is RLE24,
// neither of which the decoders read.
constexpr uint32_t kRgbMasksHeaderSize = 52;
constexpr uint32_t kRgbaMasksHeaderSize = 56;
constexpr uint32_t kOs2HeaderSize = 64;
constexpr uint32_t kVersion4HeaderSize = 108;
constexpr uint32_t kVersion5HeaderSize = 124;

// The red, green and blue channel masks, 32 bits each, follow the info header's 40 bytes:
// after a bare info header they come before the palette, in a longer one they are part of it.
constexpr size_t kMasksOffset = kFileHeaderSize + kInfoHeaderSize;
constexpr size_t kMasksSize = 3 * 4;

// Compression codes.
constexpr uint32_t kRgb = 0;
constexpr uint32_t kRle8 = 1;
constexpr uint32_t kRle4 = 2;
constexpr uint32_t kBitfields = 3;

// The largest file that can hold a picture of the largest allowed size with the longest
// headers, masks and palette: no row of pixels takes more than 4 bytes a pixel, padding
// included, and run-length data written by any sane encoder takes no more. Anything longer is
// not read at all.
constexpr int64_t kMaxFileBytes = BitmapFile::kMaxPixels * 4 + 2 * 1024 * 1024;

bool HeaderSizeKnown(uint32_t size) {
  switch (size) {
    case kCoreHeaderSize:
    case kInfoHeaderSize:
    case kRgbMasksHeaderSize:
    case kRgbaMasksHeaderSize:
    case kOs2HeaderSize:
    case kVersion4HeaderSize:
    case kVersion5HeaderSize:
      return true;
    default:
      return false;
  }
}

// A channel mask is usable when it is one unbroken run of set bits.
bool Contiguous(uint32_t mask) {
  if (mask == 0) return false;
  const uint32_t run = mask >> std::countr_zero(mask);
  return (run & (run + 1)) == 0;
}

// Values 0 .. 2^bits - 1 of a channel, scaled to 0 .. 255 and rounded.
std::vector<uint8_t> ScaleTable(int bits) {
  const uint32_t most = (1u << bits) - 1;
  std::vector<uint8_t> table(most + 1);
  for (uint32_t value = 0; value <= most; ++value) {
    table[value] = static_cast<uint8_t>((uint64_t{value} * 255 + most / 2) / most);
  }
  return table;
}

// The first colour an 8-bit palette picture names past its palette's end, or -1 when every
// pixel names one of its colours.
int IndexPastPalette(const SDL_Surface& picture) {
  const int colors = picture.format->palette->ncolors;
  for (int y = 0; y < picture.h; ++y) {
    const auto* row = static_cast<const uint8_t*>(picture.pixels) + ptrdiff_t{y} * picture.pitch;
    for (int x = 0; x < picture.w; ++x) {
      if (row[x] >= colors) return row[x];
    }
  }
  return -1;
}

std::string Size(int64_t width, int64_t height) {
  return std::to_string(width) + " x " + std::to_string(height);
}

}  // namespace

bool BitmapFile::Read(const char* path) {
  refusal_.clear();
  ContentFile file(path);
  if (!file.IsOpen()) return Refuse("it cannot be opened");
  if (file.Size() > kMaxFileBytes) {
    return Refuse("it is " + std::to_string(file.Size()) +
                  " bytes long, more than any picture the game takes can need");
  }
  // The whole file as long as it was when opened; a file cut meanwhile is refused.
  std::vector<uint8_t> bytes(static_cast<size_t>(file.Size()));
  for (size_t taken = 0; taken < bytes.size();) {
    const ssize_t got = file.Read(bytes.data() + taken, bytes.size() - taken);
    if (got <= 0) return Refuse("it changed while it was read");
    taken += static_cast<size_t>(got);
  }
  return Parse(std::move(bytes));
}

bool BitmapFile::Parse(std::vector<uint8_t> bytes) {
  refusal_.clear();
  bytes_ = std::move(bytes);
  if (bytes_.size() > static_cast<size_t>(kMaxFileBytes)) {
    Refuse("it is longer than any picture the game takes can need");
  } else if (CheckHeaders()) {
    return true;
  }
  bytes_.clear();
  width_ = height_ = 0;
  return false;
}

bool BitmapFile::Refuse(std::string why) const {
  refusal_ = std::move(why);
  return false;
}

uint32_t BitmapFile::Read16(size_t offset) const {
  return static_cast<uint32_t>(bytes_[offset]) | static_cast<uint32_t>(bytes_[offset + 1]) << 8;
}

uint32_t BitmapFile::Read32(size_t offset) const {
  return Read16(offset) | Read16(offset + 2) << 16;
}

// What the headers say, gathered as the checks go through them in file order.
struct BitmapFile::Headers {
  // The picture's header: its size, whether it is the core header, and what it gives.
  uint32_t size = 0;
  bool core = false;
  int64_t width = 0;
  int64_t height = 0;
  uint32_t planes = 0;
  uint32_t compression = kRgb;
  uint32_t colorsUsed = 0;
  // Where the bytes after the headers and their masks begin: the palette, or the pixels.
  size_t dataStart = 0;
};

bool BitmapFile::CheckHeaders() {
  Headers headers;
  if (!CheckFileHeader(headers)) return false;
  if (headers.core) {
    ReadCoreHeader(headers);
  } else {
    ReadInfoHeader(headers);
  }
  return CheckSize(headers) && CheckBitCount(headers) && CheckCompression(headers) &&
         ReadMasks(headers) && CheckPalette(headers) && CheckPixels(headers);
}

bool BitmapFile::CheckFileHeader(Headers& headers) const {
  const size_t size = bytes_.size();
  if (size < 2 || bytes_[0] != 'B' || bytes_[1] != 'M') return Refuse("it is not a BMP file");
  if (size < kHeaderSizeFieldEnd) return Refuse("it ends inside its headers");
  headers.size = Read32(kHeaderSizeField);
  if (!HeaderSizeKnown(headers.size)) {
    return Refuse("its header is " + std::to_string(headers.size) +
                  " bytes long, a kind of header the game does not read (it reads headers of "
                  "12, 40, 52, 56, 64, 108 and 124 bytes)");
  }
  if (size < kFileHeaderSize + headers.size) return Refuse("it ends inside its headers");
  headers.core = headers.size == kCoreHeaderSize;
  headers.dataStart = kFileHeaderSize + headers.size;
  return true;
}

void BitmapFile::ReadCoreHeader(Headers& headers) {
  headers.width = Read16(kCoreWidthField);
  headers.height = Read16(kCoreHeightField);
  headers.planes = Read16(kCorePlanesField);
  bitCount_ = Read16(kCoreBitCountField);
}

void BitmapFile::ReadInfoHeader(Headers& headers) {
  headers.width = static_cast<int32_t>(Read32(kInfoWidthField));
  headers.height = static_cast<int32_t>(Read32(kInfoHeightField));
  headers.planes = Read16(kInfoPlanesField);
  bitCount_ = Read16(kInfoBitCountField);
  headers.compression = Read32(kInfoCompressionField);
  headers.colorsUsed = Read32(kInfoColorsUsedField);
}

bool BitmapFile::CheckSize(Headers& headers) {
  topDown_ = headers.height < 0;
  if (topDown_) headers.height = -headers.height;
  const int64_t width = headers.width;
  const int64_t height = headers.height;
  if (width < 1 || height < 1)
    return Refuse("its header gives it no pixels: " + Size(width, height));
  if (width > kMaxSide || height > kMaxSide) {
    return Refuse("it is " + Size(width, height) + " pixels, more than the " +
                  std::to_string(kMaxSide) + " a side the game takes");
  }
  if (width * height > kMaxPixels) {
    return Refuse("it is " + Size(width, height) +
                  " pixels, more than the 4096 x 4096 in all the "
                  "game takes");
  }
  if (headers.planes != 1) {
    return Refuse("its header gives " + std::to_string(headers.planes) + " planes, not 1");
  }
  return true;
}

bool BitmapFile::CheckBitCount(const Headers& headers) const {
  // A core header knows only 1, 4, 8 and 24 bits.
  const std::string bits = std::to_string(bitCount_) + " bits a pixel";
  switch (bitCount_) {
    case 1:
    case 4:
    case 8:
    case 24:
      return true;
    case 2:
    case 16:
    case 32:
      return !headers.core || Refuse("it has an OS/2 1.x header, which has no " + bits);
    default:
      return Refuse("it has " + bits + ", which no BMP file has");
  }
}

bool BitmapFile::CheckCompression(const Headers& headers) const {
  // Run-length encoded pictures are always stored bottom-up.
  const std::string bits = std::to_string(bitCount_) + " bits a pixel";
  const bool os2 = headers.size == kOs2HeaderSize;
  switch (headers.compression) {
    case kRgb:
      return true;
    case kRle8:
    case kRle4: {
      const std::string kind = headers.compression == kRle8 ? "RLE8" : "RLE4";
      if (bitCount_ != (headers.compression == kRle8 ? 8u : 4u)) {
        return Refuse("it is run-length encoded as " + kind + " with " + bits + ", which " + kind +
                      " does not take");
      }
      return !topDown_ || Refuse("it is run-length encoded (" + kind +
                                 ") and stored top-down, which a "
                                 "run-length encoded picture cannot be");
    }
    case kBitfields:
      if (os2) return Refuse("it is compressed with Huffman coding, which the game does not read");
      return bitCount_ == 16 || bitCount_ == 32 ||
             Refuse("it has channel masks (BITFIELDS) with " + bits + "; masks need 16 or 32");
    case 4:
      return Refuse(os2 ? "it is run-length encoded as RLE24, which the game does not read"
                        : "it holds a JPEG picture, which the game does not read");
    case 5:
      return Refuse("it holds a PNG picture, which the game does not read");
    default:
      return Refuse("its compression is " + std::to_string(headers.compression) +
                    ", which the game does not know");
  }
}

bool BitmapFile::ReadMasks(Headers& headers) {
  if (bitCount_ != 16 && bitCount_ != 32) return true;
  const bool bitfields = headers.compression == kBitfields;
  if (bitfields) {
    if (headers.size == kInfoHeaderSize) headers.dataStart += kMasksSize;
    if (bytes_.size() < kMasksOffset + kMasksSize)
      return Refuse("it ends inside its channel masks");
    for (int channel = 0; channel < 3; ++channel) {
      masks_[channel] = Read32(kMasksOffset + 4 * static_cast<size_t>(channel));
    }
  } else if (bitCount_ == 16) {
    masks_[0] = 0x7C00, masks_[1] = 0x03E0, masks_[2] = 0x001F;
  } else {
    masks_[0] = 0xFF0000, masks_[1] = 0x00FF00, masks_[2] = 0x0000FF;
  }
  if (!CheckMasks()) {
    return Refuse(
        "its channel masks are unusable: each must be one unbroken run of bits within "
        "the pixel, apart from the others");
  }
  if (bitCount_ == 32 && bitfields && headers.size >= kRgbaMasksHeaderSize) {
    alphaMask_ = Read32(kMasksOffset + kMasksSize);
  }
  return true;
}

bool BitmapFile::CheckPalette(const Headers& headers) const {
  if (bitCount_ > 8) return true;
  const uint64_t most = uint64_t{1} << bitCount_;
  if (headers.colorsUsed > most) {
    return Refuse("its palette has " + std::to_string(headers.colorsUsed) + " colours, more than " +
                  std::to_string(bitCount_) + " bits a pixel can name");
  }
  const uint64_t entries = headers.colorsUsed ? headers.colorsUsed : most;
  const uint64_t entrySize = headers.core ? kCorePaletteEntrySize : kInfoPaletteEntrySize;
  return headers.dataStart + entries * entrySize <= bytes_.size() ||
         Refuse("it ends inside its palette");
}

bool BitmapFile::CheckPixels(const Headers& headers) {
  const size_t size = bytes_.size();
  pixelOffset_ = Read32(kPixelOffsetField);
  if (pixelOffset_ < headers.dataStart || pixelOffset_ >= size) {
    return Refuse("its pixels are said to start at byte " + std::to_string(pixelOffset_) +
                  ", which is not between its headers and its end");
  }
  stride_ = static_cast<size_t>((headers.width * bitCount_ + 31) / 32 * 4);
  const bool encoded = headers.compression == kRle8 || headers.compression == kRle4;
  if (!encoded && stride_ * static_cast<size_t>(headers.height) > size - pixelOffset_) {
    return Refuse("it ends before its last row of pixels");
  }
  width_ = static_cast<int32_t>(headers.width);
  height_ = static_cast<int32_t>(headers.height);
  return true;
}

bool BitmapFile::CheckMasks() const {
  const uint64_t limit = (uint64_t{1} << bitCount_) - 1;
  for (uint32_t mask : masks_) {
    if (!Contiguous(mask) || mask > limit) return false;
  }
  return (masks_[0] & masks_[1]) == 0 && (masks_[0] & masks_[2]) == 0 &&
         (masks_[1] & masks_[2]) == 0;
}

bool BitmapFile::MeansTransparency() const {
  if (bytes_.empty() || bitCount_ != 32) return false;
  const uint32_t unused = ~(masks_[0] | masks_[1] | masks_[2]);
  const uint32_t alpha = alphaMask_ & unused;
  const uint32_t first = Read32(pixelOffset_) & unused;
  for (int32_t y = 0; y < height_; ++y) {
    for (int32_t x = 0; x < width_; ++x) {
      const uint32_t value =
          Read32(pixelOffset_ + stride_ * static_cast<size_t>(y) + 4 * static_cast<size_t>(x));
      if (alpha ? (value & alpha) != alpha : (value & unused) != first) return true;
    }
  }
  return false;
}

SdlSurfacePtr BitmapFile::Decode() const {
  if (bytes_.empty()) return nullptr;
  if (bitCount_ == 16 || bitCount_ == 32) return UnpackDirectColor();
  SdlSurfacePtr picture(
      SDL_LoadBMP_RW(SDL_RWFromConstMem(bytes_.data(), static_cast<int>(bytes_.size())), SDL_TRUE));
  if (!picture) {
    Refuse(std::string("it cannot be decoded: ") + SDL_GetError());
    return nullptr;
  }
  if (picture->w != width_ || picture->h != height_) {
    Refuse("it decodes to " + Size(picture->w, picture->h) + " pixels, not the " +
           Size(width_, height_) + " its header gives");
    return nullptr;
  }
  if (!picture->format->palette) return picture;
  // SDL widens every palette picture to 8 bits a pixel.
  if (picture->format->BitsPerPixel != 8) {
    Refuse("SDL decodes it to a palette picture of " +
           std::to_string(picture->format->BitsPerPixel) + " bits a pixel");
    return nullptr;
  }
  const int index = IndexPastPalette(*picture);
  if (index >= 0) {
    Refuse("a pixel names colour " + std::to_string(index) + " of its palette, which holds " +
           std::to_string(picture->format->palette->ncolors) + " colours");
    return nullptr;
  }
  return picture;
}

SdlSurfacePtr BitmapFile::UnpackDirectColor() const {
  SdlSurfacePtr picture(
      SDL_CreateRGBSurfaceWithFormat(0, width_, height_, 32, SDL_PIXELFORMAT_RGB888));
  if (!picture) return nullptr;
  // Channels wider than 16 bits keep their top 16 bits, far more than the 8 they become.
  int shifts[3];
  std::vector<uint8_t> tables[3];
  for (int channel = 0; channel < 3; ++channel) {
    const int bits = std::popcount(masks_[channel]);
    shifts[channel] = std::countr_zero(masks_[channel]) + (bits > 16 ? bits - 16 : 0);
    tables[channel] = ScaleTable(bits > 16 ? 16 : bits);
  }
  const size_t bytesPerPixel = bitCount_ / 8;
  for (int32_t y = 0; y < height_; ++y) {
    const size_t row = pixelOffset_ + stride_ * static_cast<size_t>(topDown_ ? y : height_ - 1 - y);
    auto* out = static_cast<uint8_t*>(picture->pixels) + ptrdiff_t{y} * picture->pitch;
    for (int32_t x = 0; x < width_; ++x) {
      const size_t at = row + bytesPerPixel * static_cast<size_t>(x);
      const uint32_t value = bytesPerPixel == 2 ? Read16(at) : Read32(at);
      uint32_t rgb = 0;
      for (int channel = 0; channel < 3; ++channel) {
        const std::vector<uint8_t>& table = tables[channel];
        rgb = rgb << 8 | table[(value >> shifts[channel]) & (table.size() - 1)];
      }
      std::memcpy(out + 4 * static_cast<size_t>(x), &rgb, sizeof rgb);
    }
  }
  return picture;
}
