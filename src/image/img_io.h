// Word access to the image. Every read and write of the image goes through
// rd_img and wt_img, which work on an img_stream: the file on disk in a real
// run, or a stand-in that tests use to hold an image in memory or to inject
// I/O faults.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <utility>

#include "base/platform.h"

class img_stream {
 public:
  img_stream() = default;
  img_stream(const img_stream&) = delete;
  img_stream& operator=(const img_stream&) = delete;
  virtual ~img_stream() = default;

  // Each returns false when the n bytes could not all be moved; the reason
  // is then left in error_text().
  virtual bool read_at(std::uint32_t off, std::uint8_t* buf, std::size_t n) = 0;
  virtual bool write_at(std::uint32_t off, const std::uint8_t* buf, std::size_t n) = 0;
  // Flushes the data written so far to stable storage; false on failure.
  // After a failed flush every later one fails too: the data it could not
  // write may be gone, and a flush that succeeds would not bring it back.
  virtual bool sync() = 0;
  // Closes, after sync() when `sync_first` is set; false on failure.
  virtual bool close(bool sync_first) = 0;
  virtual std::string error_text() const = 0;
  // True when a read or write failed as the file system cannot change a file
  // in place.
  virtual bool refused_in_place() const = 0;
  // What keeps other runs out until the rename is done.
  virtual plat::file& hold() = 0;

  // Called before a write of n bytes at `off`. A power cut keeps each block
  // of the file whole or not at all, but keeps the blocks written between
  // two flushes in any order. So a write that reaches a block other than
  // those written since the last flush waits until they are flushed: a
  // block never reaches the disk before the blocks written ahead of it.
  // False when that flush failed.
  bool sync_before_write(std::uint32_t off, std::size_t n);

  // Set by rd_img/wt_img on the first failed access; afterwards the stream
  // takes no more writes, so that a half-failed run cannot go on changing
  // the image on top of a word it could not read or write.
  bool failed() const { return failed_; }
  void mark_failed() { failed_ = true; }

 private:
  bool failed_ = false;
  // The blocks written since the last flush, first and last; none while
  // first > last.
  std::uint32_t unsynced_first_ = 1;
  std::uint32_t unsynced_last_ = 0;
};

// The image file on disk, accessed with one positional call per word. The
// hold that keeps other runs out is released when the stream is destroyed,
// after the rename that follows close(), or by that rename where the system
// refuses to rename an open file.
class file_img_stream : public img_stream {
 public:
  file_img_stream(plat::file image, plat::file hold)
      : hold_(std::move(hold)), image_(std::move(image)) {}
  bool read_at(std::uint32_t off, std::uint8_t* buf, std::size_t n) override;
  bool write_at(std::uint32_t off, const std::uint8_t* buf, std::size_t n) override;
  bool sync() override;
  bool close(bool sync_first) override;
  std::string error_text() const override { return error_; }
  bool refused_in_place() const override { return refused_in_place_; }
  plat::file& hold() override { return hold_; }

 private:
  // False, with why the bytes were not all moved (`short_text` where fewer
  // were) in error_text().
  bool not_moved(long moved, const char* short_text);

  plat::file hold_;  // declared first, so that it goes last
  plat::file image_;
  std::string error_;
  std::string sync_error_;  // why the first failed flush failed
  bool refused_in_place_ = false;
};

// Set by the first call of wt_img, whether or not the write succeeded; never
// cleared.
extern bool g_file_modified;

// Reads the little-endian word at `offset` into *out. When it cannot be read,
// *out keeps its value, the failure is reported once on the error stream and
// false is returned.
bool rd_img(img_stream& stream, std::uint32_t offset, std::uint32_t* out);

// Writes `value` little-endian at `offset`. A failure is reported once on the
// error stream and gives false; after any failure of the stream no further
// word is written. A flush that fails before the write is reported when the
// image is closed, which fails with it.
bool wt_img(img_stream& stream, std::uint32_t offset, std::uint32_t value);

// As rd_img and wt_img for `count` consecutive words, moved with one
// positional read or write.
bool rd_words(img_stream& stream, std::uint32_t offset, std::uint32_t* out, std::size_t count);
bool wt_words(img_stream& stream, std::uint32_t offset, const std::uint32_t* words,
              std::size_t count);
