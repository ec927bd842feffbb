// BitmapFile: a Windows .bmp file read into memory, its headers checked against its length
// before anything is allocated for the picture, and its picture decoded.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "display/Surface.h"

class BitmapFile {
 public:
  // Pictures wider or taller than kMaxSide, or of more than kMaxPixels pixels, are refused as
  // absurd before anything is allocated for them. The total matters as much as the sides: a
  // few bytes of run-length data can declare a picture of any size, and loading one of 16384 x
  // 16384 would hold a gigabyte in each of its copies (decoded, converted to the display's
  // format, and the keyed twin), over 3 GiB at once. At the limit each copy takes 64 MiB.
  static constexpr int32_t kMaxSide = 16384;
  static constexpr int64_t kMaxPixels = int64_t{4096} * 4096;

  // Reading: false for a missing, unreadable, truncated or invalid file. Parse does the checks
  // on bytes already in memory.
  bool Read(const char* path);
  bool Parse(std::vector<uint8_t> bytes);

  // The size the headers give, once read.
  int32_t Width() const { return width_; }
  int32_t Height() const { return height_; }

  // Whether a read 32-bit picture was made to be partly transparent, which is not drawn as
  // such: its alpha mask gives some pixel less than full alpha, or, without one, the byte
  // that no channel uses differs between pixels.
  bool MeansTransparency() const;

  // The picture in a format of its own: SDL's reader takes palette, RLE and 24-bit pictures;
  // 16- and 32-bit pictures, whose channel masks SDL takes only when they match one of its
  // formats, are unpacked here into 8 bits a channel. Null when the picture cannot be decoded.
  SdlSurfacePtr Decode() const;

  // Why the last Read, Parse or Decode refused the picture, as a clause about it for an author
  // to read ("its header is 41 bytes long, ..."); empty when it did not.
  const std::string& Refusal() const { return refusal_; }

 private:
  // The header checks, one step per part of the file in file order: the file header; the
  // picture's header, core (OS/2 1.x) or info and longer; its size and planes; its bit count
  // and compression; the channel masks of 16- and 32-bit pictures; the palette; where the
  // pixels are and whether the file holds them. Each step takes what the ones before found.
  struct Headers;
  bool CheckHeaders();
  bool CheckFileHeader(Headers& headers) const;
  void ReadCoreHeader(Headers& headers);
  void ReadInfoHeader(Headers& headers);
  bool CheckSize(Headers& headers);
  bool CheckBitCount(const Headers& headers) const;
  bool CheckCompression(const Headers& headers) const;
  bool ReadMasks(Headers& headers);
  bool CheckMasks() const;
  bool CheckPalette(const Headers& headers) const;
  bool CheckPixels(const Headers& headers);
  SdlSurfacePtr UnpackDirectColor() const;
  uint32_t Read16(size_t offset) const;
  uint32_t Read32(size_t offset) const;
  // Notes why the picture is refused, and says it is.
  bool Refuse(std::string why) const;

  std::vector<uint8_t> bytes_;
  int32_t width_ = 0;
  int32_t height_ = 0;
  bool topDown_ = false;
  uint32_t bitCount_ = 0;
  size_t pixelOffset_ = 0;
  size_t stride_ = 0;
  uint32_t masks_[3] = {};
  uint32_t alphaMask_ = 0;
  // Said by the const checks and Decode too, which change nothing else.
  mutable std::string refusal_;
};
