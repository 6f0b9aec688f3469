// Fuzzes the .dbx reader: open, walk the index tree, copy every text.
#include <sys/mman.h>
#include <unistd.h>

#include <cstdint>
#include <string>

#include "model/FastMemoryStream.h"
#include "platform/Errors.h"
#include "stores/OEFile.h"

namespace {

// The reader opens files by name; an in-memory file keeps the disk out.
int InputFile() {
  static const int fd = ::memfd_create("dbx_fuzz", 0);
  return fd;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const int fd = InputFile();
  if (fd < 0 || ::ftruncate(fd, 0) != 0) return 0;
  if (size && ::pwrite(fd, data, size, 0) != static_cast<ssize_t>(size)) return 0;
  const std::string path = "/proc/self/fd/" + std::to_string(fd);
  try {
    quenby::TOEFile file;
    file.OpenFile(path);
    std::vector<std::int64_t> bodies;
    file.OnMessage = [&](std::unique_ptr<quenby::Toe5_MessageInfo> m) {
      bodies.push_back(m->BodyOffset);
    };
    file.OnFolder = [](std::unique_ptr<quenby::Toe5_FolderInfo>) {};
    file.ReadTree();
    quenby::TFastMemoryStream text(quenby::TFastMemoryStream::kMinBlockSize);
    for (const std::int64_t body : bodies) {
      text.Clear();
      text.SetPosition(0);
      file.ReadMessage(body, &text);
    }
  } catch (const quenby::EStreamError&) {
    // Refused files are an expected outcome.
  }
  return 0;
}
