// SectionStream: the buffered input stream that content files are read through, with the
// text-mode rules of the content format (CR LF reads as LF, a byte 0x1A ends the file).
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

#include "platform/ContentFile.h"

class SectionStream {
 public:
  // Longest line a read keeps; the buffer holds it and the terminating NUL.
  static constexpr size_t kLineLength = 1023;
  // What ReadChar and Peek return when nothing could be taken; never equal to '['.
  static constexpr int kEnd = -1;
  // Bytes taken from the file by one read of the operating system.
  static constexpr size_t kBufferSize = 64 * 1024;
  // Bytes a content text file may hold, thousands of times what a real one needs: a larger
  // file is not opened, and one that grows past it while it is read is read no further.
  static constexpr off_t kMostBytes = 1024 * 1024;

  SectionStream();
  ~SectionStream();
  SectionStream(const SectionStream&) = delete;
  SectionStream& operator=(const SectionStream&) = delete;

  // Opening, closing and rewinding; Open never creates a file and leaves the fail flag set
  // (and the stream closed) when the path names no regular file of at most kMostBytes that can
  // be read.
  void Open(const char* path);
  bool IsOpen() const;
  void Close();
  void Rewind();

  // Reads by the format's rules: a character, a look at the next one, a line of at most
  // kLineLength characters into `line` (which must hold kLineLength + 1 bytes).
  int ReadChar();
  int Peek();
  void ReadLine(char* line);

  // The three state flags; the stream has failed when the fail or the bad flag is set.
  bool AtEnd() const;
  bool Failed() const;

  // Where reading stands, for reports on the text: the line of the next character (counted
  // from 1), whether the last ReadLine cut an over-long line, and the line of a 0x1A byte that
  // ended the file with more bytes after it (0 when none did).
  int32_t LineNumber() const { return line_; }
  bool LineCut() const { return lineCut_; }
  int32_t TextAfterEndLine() const { return textAfterEnd_; }

 private:
  // The next character after text-mode translation without taking it, or kEnd; Take then
  // takes exactly that character (two bytes for a CR LF).
  int Look();
  void Take(int c);
  // Moves the unread bytes to the front of the buffer and appends what the file holds next;
  // false when nothing more arrived (no file open, its end, or a read error). A stop request
  // and a file grown past kMostBytes count as read errors, so that no read outlasts either.
  bool Refill();
  bool AnyFlag() const;
  // Called at a 0x1A: notes its line when the file holds more bytes after it.
  void NoteTextAfterEnd();
  // Back to the first line, for a new file or a new pass over the same one.
  void ResetPosition();

  ContentFile file_;
  std::unique_ptr<unsigned char[]> buffer_;
  size_t position_ = 0;
  size_t length_ = 0;
  // Bytes taken from the file since it was opened or rewound.
  off_t taken_ = 0;
  // Nothing more comes from the file: none is open, or its end or a read error was met.
  bool drained_ = true;
  bool end_ = false;
  bool fail_ = false;
  bool bad_ = false;
  int32_t line_ = 1;
  bool lineCut_ = false;
  int32_t textAfterEnd_ = 0;
};
