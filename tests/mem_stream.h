// An image held in memory behind the image I/O seam, with faults that a
// test can inject: a failed read or write at an offset, a write that stores
// a different value, a failed close.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "image/img_io.h"

class mem_stream : public img_stream {
 public:
  explicit mem_stream(std::vector<std::uint8_t> bytes) : bytes_(std::move(bytes)) {}

  // Starts again from `bytes` with no faults and empty logs, reusing the
  // memory (a fuzz harness runs many images of the same size).
  void reset(const std::vector<std::uint8_t>& bytes);

  bool read_at(std::uint32_t off, std::uint8_t* buf, std::size_t n) override;
  bool write_at(std::uint32_t off, const std::uint8_t* buf, std::size_t n) override;
  bool close(bool sync) override;
  std::string error_text() const override { return "injected fault"; }

  const std::vector<std::uint8_t>& bytes() const { return bytes_; }
  std::uint32_t word(std::uint32_t off) const;

  // Offsets of every word written, in order, and the values written there.
  const std::vector<std::uint32_t>& writes() const { return writes_; }
  const std::vector<std::uint32_t>& written_values() const { return values_; }
  // Offsets of every read asked for, failed ones included, in order.
  const std::vector<std::uint32_t>& reads() const { return reads_; }
  bool synced() const { return synced_; }

  std::optional<std::uint32_t> fail_read_at;
  std::optional<std::uint32_t> fail_write_at;
  std::optional<std::uint32_t> corrupt_write_at;  // stores the value with bit 0 flipped
  bool fail_close = false;

 private:
  std::vector<std::uint8_t> bytes_;
  std::vector<std::uint32_t> writes_;
  std::vector<std::uint32_t> values_;
  std::vector<std::uint32_t> reads_;
  bool synced_ = false;
};
