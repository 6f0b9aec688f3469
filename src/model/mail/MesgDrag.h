#pragma once
// The drag data of a message list, without the toolkit: the collection fills
// it, the drag source of the Qt side offers it as files.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "model/FastMemoryStream.h"
#include "platform/FileTimes.h"

namespace quenby {

class TMesgItem;

struct TDragFile {
  const TMesgItem* Item = nullptr;            // the item the file was made from
  std::string Name;                           // UTF-8, unique within one drag, with ".eml"
  std::unique_ptr<TFastMemoryStream> Stream;  // the stored message, rewound
  TFileTime Creation = 0;
  TFileTime LastWrite = 0;
  std::int64_t Size = 0;
};

class IMesgDragSink {
 public:
  virtual ~IMesgDragSink() = default;
  // Called once per drag, before the first file.
  virtual void Clear() = 0;
  virtual void AddFile(TDragFile file) = 0;
};

// Longest base name before the running number and ".eml", in bytes: a name
// stays within the 255 bytes file systems allow.
inline constexpr std::size_t kMaxDragBaseBytes = 200;

// The names of one drag from the items' base names: empty ones become
// "no subject", long ones are cut at a character boundary, repeats (ignoring
// case) get the first free "%s%.3d" from 2 that no name of the set uses, and
// every name gets ".eml".
std::vector<std::string> UniqueDragNames(std::vector<std::string> names);

}  // namespace quenby
