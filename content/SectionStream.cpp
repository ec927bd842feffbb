// SectionStream: buffered POSIX reading of a content file with the format's text-mode rules.
#include "content/SectionStream.h"

#include <algorithm>
#include <cstring>

#include "platform/StopSignals.h"

namespace {

constexpr unsigned char kCarriageReturn = '\r';
constexpr unsigned char kLineFeed = '\n';
constexpr unsigned char kEndOfText = 0x1A;

}  // namespace

SectionStream::SectionStream() = default;

SectionStream::~SectionStream() = default;

void SectionStream::Open(const char* path) {
  if (file_.IsOpen()) {
    Close();
  }
  // Content is read from regular files only: a folder holds no text, a device such as
  // /dev/zero never ends, and a FIFO would stall the game until some program writes to it.
  file_ = ContentFile(path, kMostBytes);
  if (!file_.IsOpen()) {
    fail_ = true;
    return;
  }
  if (!buffer_) {
    buffer_ = std::make_unique_for_overwrite<unsigned char[]>(kBufferSize);
  }
  position_ = 0;
  length_ = 0;
  taken_ = 0;
  drained_ = false;
  end_ = fail_ = bad_ = false;
}

bool SectionStream::IsOpen() const { return file_.IsOpen(); }

void SectionStream::Close() {
  if (!file_.IsOpen()) {
    fail_ = true;
    return;
  }
  const bool closed = file_.Close();
  ResetPosition();
  buffer_.reset();
  position_ = 0;
  length_ = 0;
  drained_ = true;
  if (!closed) {
    fail_ = true;
    return;
  }
  end_ = fail_ = bad_ = false;
}

void SectionStream::Rewind() {
  end_ = fail_ = bad_ = false;
  ResetPosition();
  position_ = 0;
  length_ = 0;
  taken_ = 0;
  if (!file_.Rewind()) {
    drained_ = true;
    fail_ = true;
    return;
  }
  drained_ = false;
}

int SectionStream::ReadChar() {
  if (AnyFlag()) {
    fail_ = true;
    return kEnd;
  }
  const int c = Look();
  if (c == kEnd) {
    if (!bad_) {
      end_ = true;
    }
    fail_ = true;
    return kEnd;
  }
  Take(c);
  return c;
}

int SectionStream::Peek() {
  if (AnyFlag()) {
    fail_ = true;
    return kEnd;
  }
  return Look();
}

void SectionStream::ReadLine(char* line) {
  // Takes characters up to the LF (left in the stream), the end of the file or a full line;
  // a stream with a flag set takes nothing.
  size_t count = 0;
  while (!AnyFlag() && count < kLineLength) {
    if (position_ == length_ && !Refill()) {
      end_ = !bad_;
      break;
    }
    // Copy the run of plain bytes at once; only LF, CR and 0x1A need a closer look.
    const unsigned char* bytes = buffer_.get() + position_;
    const size_t available = length_ - position_;
    const size_t wanted = kLineLength - count < available ? kLineLength - count : available;
    size_t run = 0;
    while (run < wanted && bytes[run] != kLineFeed && bytes[run] != kCarriageReturn &&
           bytes[run] != kEndOfText) {
      ++run;
    }
    std::memcpy(line + count, bytes, run);
    count += run;
    position_ += run;
    if (run == wanted) {
      continue;
    }
    const int c = Look();
    if (c == kLineFeed) {
      break;
    }
    if (c == kEnd) {
      end_ = !bad_;
      break;
    }
    line[count++] = static_cast<char>(c);
    Take(c);
  }
  line[count] = '\0';
  // Throws away the character after the line: its LF, or the 1024th character of an over-long
  // line. After the end of the file (or a read error) this sets the fail flag.
  const int after = ReadChar();
  lineCut_ = count == kLineLength && after != kLineFeed && after != kEnd;
}

bool SectionStream::AtEnd() const { return end_; }

bool SectionStream::Failed() const { return fail_ || bad_; }

int SectionStream::Look() {
  if (position_ == length_ && !Refill()) {
    return kEnd;
  }
  const unsigned char c = buffer_[position_];
  // A 0x1A is never taken, so every later look meets it again as the end of the file.
  if (c == kEndOfText) {
    NoteTextAfterEnd();
    return kEnd;
  }
  if (c == kCarriageReturn) {
    if (position_ + 1 == length_) {
      Refill();
    }
    if (position_ + 1 < length_ && buffer_[position_ + 1] == kLineFeed) {
      return kLineFeed;
    }
  }
  return c;
}

void SectionStream::Take(int c) {
  if (c != kLineFeed) {
    ++position_;
    return;
  }
  ++line_;
  position_ += buffer_[position_] == kCarriageReturn ? 2 : 1;
}

void SectionStream::NoteTextAfterEnd() {
  if (textAfterEnd_ != 0) {
    return;
  }
  if (position_ + 1 == length_) {
    Refill();
  }
  if (position_ + 1 < length_) {
    textAfterEnd_ = line_;
  }
}

void SectionStream::ResetPosition() {
  line_ = 1;
  lineCut_ = false;
  textAfterEnd_ = 0;
}

bool SectionStream::Refill() {
  if (drained_) {
    return false;
  }
  const size_t kept = length_ - position_;
  std::memmove(buffer_.get(), buffer_.get() + position_, kept);
  position_ = 0;
  length_ = kept;
  // One byte past the limit tells a file that has grown from one that has reached it.
  const size_t room = std::min(kBufferSize - length_, static_cast<size_t>(kMostBytes + 1 - taken_));
  const ssize_t got = StopRequested() ? -1 : file_.Read(buffer_.get() + length_, room);
  if (got > 0) {
    taken_ += got;
  }
  if (got > 0 && taken_ <= kMostBytes) {
    length_ += static_cast<size_t>(got);
    return true;
  }
  if (got != 0) {
    bad_ = true;
  }
  drained_ = true;
  return false;
}

bool SectionStream::AnyFlag() const { return end_ || fail_ || bad_; }
