#include "model/FastMemoryStream.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <limits>
#include <new>

#include "platform/Errors.h"

namespace quenby {

TFastMemoryStream::TFastMemoryStream(std::int32_t blockSize)
    : BlockSize_(std::max(blockSize, kMinBlockSize)) {}

std::int64_t TFastMemoryStream::Read(void* buffer, std::int64_t count) {
  if (Position_ < 0 || count < 0 || Position_ >= Size_) return 0;
  const std::int64_t n = std::min(count, Size_ - Position_);
  auto* out = static_cast<std::uint8_t*>(buffer);
  for (std::int64_t done = 0; done < n;) {
    const std::int64_t pos = Position_ + done;
    const std::int64_t offset = pos % BlockSize_;
    const std::int64_t chunk = std::min(n - done, BlockSize_ - offset);
    std::memcpy(out + done, Blocks_[static_cast<std::size_t>(pos / BlockSize_)].get() + offset,
                static_cast<std::size_t>(chunk));
    done += chunk;
  }
  Position_ += n;
  return n;
}

std::int64_t TFastMemoryStream::Write(const void* buffer, std::int64_t count) {
  if (Position_ < 0 || count <= 0) return 0;
  if (count > std::numeric_limits<std::int64_t>::max() - Position_)
    throw EStreamError(TStreamErrorKind::Write, {}, "stream size out of range", Position_);
  const std::int64_t end = Position_ + count;
  if (end > Size_) SetSize(end);
  const auto* in = static_cast<const std::uint8_t*>(buffer);
  for (std::int64_t done = 0; done < count;) {
    const std::int64_t pos = Position_ + done;
    const std::int64_t offset = pos % BlockSize_;
    const std::int64_t chunk = std::min(count - done, BlockSize_ - offset);
    std::memcpy(Blocks_[static_cast<std::size_t>(pos / BlockSize_)].get() + offset, in + done,
                static_cast<std::size_t>(chunk));
    done += chunk;
  }
  Position_ = end;
  return count;
}

std::int64_t TFastMemoryStream::Seek(std::int64_t offset, TSeekOrigin origin) {
  switch (origin) {
    case TSeekOrigin::Beginning: Position_ = offset; break;
    case TSeekOrigin::Current: Position_ += offset; break;
    case TSeekOrigin::End: Position_ = Size_ + offset; break;
  }
  return Position_;
}

void TFastMemoryStream::ShrinkToFit() {
  if (Blocks_.size() != 1 || Size_ >= BlockSize_) return;
  std::unique_ptr<std::uint8_t[]> block(new std::uint8_t[static_cast<std::size_t>(Size_)]);
  std::memcpy(block.get(), Blocks_[0].get(), static_cast<std::size_t>(Size_));
  Blocks_[0] = std::move(block);
  BlockSize_ = static_cast<std::int32_t>(Size_);
}

void TFastMemoryStream::SetSize(std::int64_t size) {
  if (size < 0) size = 0;
  const auto blocks = static_cast<std::size_t>((size + BlockSize_ - 1) / BlockSize_);
  const std::int64_t oldSize = Size_;
  try {
    if (blocks < Blocks_.size()) {
      Blocks_.resize(blocks);
    } else {
      Blocks_.reserve(blocks);
      while (Blocks_.size() < blocks)
        Blocks_.emplace_back(new std::uint8_t[static_cast<std::size_t>(BlockSize_)]);
    }
  } catch (const std::bad_alloc&) {
    throw EStreamError(TStreamErrorKind::Write, {}, "out of memory", size);
  }
  Size_ = size;
  // Bytes that a growth exposes are zeroed: a gap left by seeking past the
  // end, or old bytes of a shrunk and regrown block, must never reach a
  // saved or dragged file.
  if (size > oldSize) ZeroRange(oldSize, size);
  if (size == 0) Position_ = 0;
}

void TFastMemoryStream::ZeroRange(std::int64_t from, std::int64_t to) {
  while (from < to) {
    const std::int64_t offset = from % BlockSize_;
    const std::int64_t chunk = std::min(to - from, BlockSize_ - offset);
    std::memset(Blocks_[static_cast<std::size_t>(from / BlockSize_)].get() + offset, 0,
                static_cast<std::size_t>(chunk));
    from += chunk;
  }
}

void TFastMemoryStream::LoadFromStream(TStream& s) {
  s.Seek(0, TSeekOrigin::Beginning);
  Position_ = 0;
  SetSize(s.Size());
  for (std::int64_t done = 0; done < Size_;) {
    const std::int64_t chunk = std::min<std::int64_t>(BlockSize_, Size_ - done);
    s.ReadBuffer(Blocks_[static_cast<std::size_t>(done / BlockSize_)].get(), chunk);
    done += chunk;
  }
}

void TFastMemoryStream::SaveToStream(TStream& s) const {
  for (std::int64_t done = 0; done < Size_;) {
    const std::int64_t chunk = std::min<std::int64_t>(BlockSize_, Size_ - done);
    s.WriteBuffer(Blocks_[static_cast<std::size_t>(done / BlockSize_)].get(), chunk);
    done += chunk;
  }
}

void TFastMemoryStream::SaveToFile(const std::string& path) const {
  const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
  if (fd < 0) throw EStreamError(TStreamErrorKind::CannotCreate, path, std::strerror(errno));
  for (std::int64_t done = 0; done < Size_;) {
    const std::int64_t offset = done % BlockSize_;
    const std::int64_t chunk = std::min<std::int64_t>(BlockSize_ - offset, Size_ - done);
    const ssize_t n =
        ::write(fd, Blocks_[static_cast<std::size_t>(done / BlockSize_)].get() + offset,
                static_cast<std::size_t>(chunk));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      const int error = errno;
      ::close(fd);
      throw EStreamError(TStreamErrorKind::Write, path, std::strerror(error), done);
    }
    done += n;
  }
  if (::close(fd) != 0) throw EStreamError(TStreamErrorKind::Write, path, std::strerror(errno));
}

std::string TFastMemoryStream::ToString() const {
  std::string text;
  text.reserve(static_cast<std::size_t>(Size_));
  for (std::int64_t done = 0; done < Size_;) {
    const std::int64_t chunk = std::min<std::int64_t>(BlockSize_, Size_ - done);
    text.append(
        reinterpret_cast<const char*>(Blocks_[static_cast<std::size_t>(done / BlockSize_)].get()),
        static_cast<std::size_t>(chunk));
    done += chunk;
  }
  return text;
}

}  // namespace quenby
