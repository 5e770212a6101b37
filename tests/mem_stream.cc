#include "mem_stream.h"

#include <cstring>

bool mem_stream::read_at(std::uint32_t off, std::uint8_t* buf, std::size_t n) {
  reads_.push_back(off);
  if (fail_read_at == off || off + n > bytes_.size()) return false;
  std::memcpy(buf, bytes_.data() + off, n);
  return true;
}

bool mem_stream::write_at(std::uint32_t off, const std::uint8_t* buf, std::size_t n) {
  if (fail_write_at == off || off + n > bytes_.size()) return false;
  std::memcpy(bytes_.data() + off, buf, n);
  writes_.push_back(off);
  values_.push_back(word(off));
  if (corrupt_write_at == off) bytes_[off] ^= 1U;
  return true;
}

void mem_stream::reset(const std::vector<std::uint8_t>& bytes) {
  bytes_.assign(bytes.begin(), bytes.end());
  writes_.clear();
  values_.clear();
  reads_.clear();
  synced_ = false;
  fail_read_at.reset();
  fail_write_at.reset();
  corrupt_write_at.reset();
  fail_close = false;
}

bool mem_stream::close(bool sync) {
  synced_ = sync;
  return !fail_close;
}

std::uint32_t mem_stream::word(std::uint32_t off) const {
  return static_cast<std::uint32_t>(bytes_.at(off)) |
         static_cast<std::uint32_t>(bytes_.at(off + 1)) << 8 |
         static_cast<std::uint32_t>(bytes_.at(off + 2)) << 16 |
         static_cast<std::uint32_t>(bytes_.at(off + 3)) << 24;
}
