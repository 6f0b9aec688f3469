#pragma once
// An in-memory stream made of fixed-size blocks. Growing adds blocks and
// never moves data, so very large messages are built without copying.
// Byte n lives at offset n % BlockSize of block n / BlockSize.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "model/Stream.h"

namespace quenby {

class TFastMemoryStream : public TStream {
 public:
  static constexpr std::int32_t kMinBlockSize = 4096;

  explicit TFastMemoryStream(std::int32_t blockSize = 65536);

  std::int64_t Read(void* buffer, std::int64_t count) override;
  // Raises the write error when the stream cannot hold the bytes.
  std::int64_t Write(const void* buffer, std::int64_t count) override;
  // The new position is not clamped to the size.
  std::int64_t Seek(std::int64_t offset, TSeekOrigin origin) override;
  std::int64_t Size() const override { return Size_; }
  // Bytes a growth adds read as zero.
  void SetSize(std::int64_t size) override;

  void Clear() { SetSize(0); }
  // Replaces the content with all of s; a short read of s is a read error.
  void LoadFromStream(TStream& s);
  // Writes all Size() bytes to s; Position is neither used nor changed.
  void SaveToStream(TStream& s) const;
  // Creates or truncates the file and writes the content into it.
  void SaveToFile(const std::string& path) const;

  // For a stream whose growth has ended: content that fits in one block
  // moves to a block of its own size, which becomes the block size.
  void ShrinkToFit();

  std::int32_t BlockSize() const { return BlockSize_; }
  std::size_t BlockCount() const { return Blocks_.size(); }
  std::uint8_t* Block(std::size_t i) const { return Blocks_[i].get(); }
  // The whole content as one string (for parsers that want contiguous bytes).
  std::string ToString() const;

 private:
  void ZeroRange(std::int64_t from, std::int64_t to);

  std::vector<std::unique_ptr<std::uint8_t[]>> Blocks_;
  std::int64_t Size_ = 0;
  std::int64_t Position_ = 0;
  std::int32_t BlockSize_;
};

}  // namespace quenby
