#pragma once
// One data record of a .dbx file (a folder or a message record), decoded
// from the bytes read at its offset. Every property is checked against the
// record's data area: a value that lies outside it is dropped and noted,
// and the rest of the record is kept.

#include <cstdint>
#include <memory>
#include <span>
#include <string>

#include "stores/OEInfo.h"

namespace quenby::dbx {

class TDbxRecord {
 public:
  // bytes: what the file holds from the record's offset on (up to the
  // whole record). Fails (false, with the reason) when the record does not
  // point to itself or its length does not fit the bytes or its table.
  bool Parse(std::span<const std::uint8_t> bytes, std::int64_t at, std::string& problem);

  // The record's length field: bytes after the 12-byte header.
  static std::int64_t DeclaredLength(std::span<const std::uint8_t> header);

  // Decoders for the two kinds; problem receives the first dropped value.
  // A folder record without property 3 or 6 gives nullptr.
  std::unique_ptr<Toe5_FolderInfo> Folder(std::string& problem) const;
  std::unique_ptr<Toe5_MessageInfo> Message(std::string& problem) const;

 private:
  struct TValue {
    std::uint8_t Id;
    std::uint32_t Raw;  // the direct value, or the offset into the data area
  };
  TValue Property(std::size_t i) const;
  std::size_t PropertyCount() const { return Table_.size() / 4; }
  // Indirect values: false when the value does not fit in the data area.
  bool Number(std::uint32_t offset, int width, std::uint64_t& value) const;
  bool Text(std::uint32_t offset, std::string& value) const;
  void Note(std::string& problem, const TValue& v) const;

  std::span<const std::uint8_t> Table_;
  std::span<const std::uint8_t> Area_;
  std::int64_t At_ = 0;
};

}  // namespace quenby::dbx
