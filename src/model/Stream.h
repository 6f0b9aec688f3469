#pragma once
// The abstract byte stream of the core: 64-bit sizes and positions.

#include <cstdint>

#include "model/SyncList.h"

namespace quenby {

enum class TSeekOrigin : int { Beginning = 0, Current = 1, End = 2 };

class TStream : public TObject {
 public:
  // Read and Write return the number of bytes moved (0 for nothing).
  virtual std::int64_t Read(void* buffer, std::int64_t count) = 0;
  virtual std::int64_t Write(const void* buffer, std::int64_t count) = 0;
  virtual std::int64_t Seek(std::int64_t offset, TSeekOrigin origin) = 0;
  virtual std::int64_t Size() const = 0;
  virtual void SetSize(std::int64_t size) = 0;

  std::int64_t Position() { return Seek(0, TSeekOrigin::Current); }
  void SetPosition(std::int64_t position) { Seek(position, TSeekOrigin::Beginning); }

  // Whole-buffer transfers: a short read or write raises EStreamError.
  void ReadBuffer(void* buffer, std::int64_t count);
  void WriteBuffer(const void* buffer, std::int64_t count);
};

}  // namespace quenby
