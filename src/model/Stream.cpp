#include "model/Stream.h"

#include "platform/Errors.h"

namespace quenby {

void TStream::ReadBuffer(void* buffer, std::int64_t count) {
  if (count != 0 && Read(buffer, count) != count)
    throw EStreamError(TStreamErrorKind::Read, {}, "short read", Position());
}

void TStream::WriteBuffer(const void* buffer, std::int64_t count) {
  if (count != 0 && Write(buffer, count) != count)
    throw EStreamError(TStreamErrorKind::Write, {}, "short write", Position());
}

}  // namespace quenby
