#include "image/img_io.h"

#include <iterator>
#include <vector>

#include "base/console.h"
#include "base/platform.h"

bool g_file_modified = false;

namespace {

// An image word is little-endian: its bytes, lowest first, hold these bits.
constexpr unsigned k_byte_shifts[] = {0, 8, 16, 24};
constexpr std::size_t k_word_bytes = std::size(k_byte_shifts);

// The unit that a power cut keeps or loses whole: a page of the page cache, a
// block of the file system.
constexpr std::uint32_t k_block_bytes = 0x1000;

}  // namespace

bool file_img_stream::read_at(std::uint32_t off, std::uint8_t* buf, std::size_t n) {
  const long got = image_.read_at(buf, n, off);
  return got == static_cast<long>(n) || not_moved(got, "unexpected end of file");
}

bool file_img_stream::write_at(std::uint32_t off, const std::uint8_t* buf, std::size_t n) {
  const long put = image_.write_at(buf, n, off);
  return put == static_cast<long>(n) || not_moved(put, "short write");
}

bool file_img_stream::not_moved(long moved, const char* short_text) {
  if (moved >= 0) return error_ = short_text, false;
  refused_in_place_ = refused_in_place_ || plat::refused_in_place();
  error_ = plat::last_error_text();
  return false;
}

bool img_stream::sync_before_write(std::uint32_t off, std::size_t n) {
  const std::uint32_t first = off / k_block_bytes;
  const auto last = static_cast<std::uint32_t>((off + n - 1) / k_block_bytes);
  if (first >= unsynced_first_ && last <= unsynced_last_) return true;
  if (unsynced_first_ <= unsynced_last_ && !sync()) return false;
  unsynced_first_ = first;
  unsynced_last_ = last;
  return true;
}

bool file_img_stream::sync() {
  if (sync_error_.empty() && image_.sync()) return true;
  if (sync_error_.empty()) sync_error_ = plat::last_error_text();
  error_ = sync_error_;
  return false;
}

bool file_img_stream::close(bool sync_first) {
  bool ok = !sync_first || sync();
  if (!image_.close() && ok) {
    error_ = plat::last_error_text();
    ok = false;
  }
  return ok;
}

bool rd_words(img_stream& stream, std::uint32_t offset, std::uint32_t* out, std::size_t count) {
  std::vector<std::uint8_t> b(k_word_bytes * count);
  if (!stream.read_at(offset, b.data(), b.size())) {
    if (!stream.failed()) {
      con_errorf("[ERROR] Fail to read image at 0x%x: %s\n", offset, stream.error_text().c_str());
    }
    stream.mark_failed();
    return false;
  }
  const std::uint8_t* byte = b.data();
  for (std::size_t i = 0; i < count; ++i) {
    std::uint32_t w = 0;
    for (const unsigned shift : k_byte_shifts) w |= static_cast<std::uint32_t>(*byte++) << shift;
    out[i] = w;
  }
  return true;
}

bool wt_words(img_stream& stream, std::uint32_t offset, const std::uint32_t* words,
              std::size_t count) {
  g_file_modified = true;
  if (stream.failed()) return false;
  std::vector<std::uint8_t> b;
  for (std::size_t i = 0; i < count; ++i) {
    for (const unsigned shift : k_byte_shifts)
      b.push_back(static_cast<std::uint8_t>(words[i] >> shift));
  }
  const bool synced = stream.sync_before_write(offset, b.size());
  if (synced && stream.write_at(offset, b.data(), b.size())) return true;
  // A failed sync is reported when the image is closed, which fails with it.
  if (synced) {
    con_errorf("[ERROR] Fail to write image at 0x%x: %s\n", offset, stream.error_text().c_str());
  }
  stream.mark_failed();
  return false;
}

bool rd_img(img_stream& stream, std::uint32_t offset, std::uint32_t* out) {
  return rd_words(stream, offset, out, 1);
}

bool wt_img(img_stream& stream, std::uint32_t offset, std::uint32_t value) {
  return wt_words(stream, offset, &value, 1);
}
