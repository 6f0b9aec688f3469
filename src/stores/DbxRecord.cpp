#include "stores/DbxRecord.h"

#include <algorithm>
#include <cstdio>

#include "stores/DbxLayout.h"

namespace quenby::dbx {

namespace {

// Ids by their low seven bits; bit 7 only says whether the value is stored
// directly. Real files hold both forms of the same index (0x84 and 0x04 for
// the text pointer, 0x81 and 0x01 for flags and for a folder's parent).
enum : std::uint8_t {
  kIdIndex = 0x00,
  kIdFlagsOrParent = 0x01,
  kIdCreatedOrName = 0x02,
  kIdFolderFile = 0x03,
  kIdBody = 0x04,
  kIdFolderMarker = 0x06,
  kIdSize = 0x11,
  kIdReceived = 0x12,
};

std::string Hex(std::uint32_t v) {
  char text[16];
  std::snprintf(text, sizeof text, "0x%02X", v);
  return text;
}

}  // namespace

std::int64_t TDbxRecord::DeclaredLength(std::span<const std::uint8_t> header) {
  return U32(header.data() + kRecordLengthAt);
}

bool TDbxRecord::Parse(std::span<const std::uint8_t> bytes, std::int64_t at, std::string& problem) {
  At_ = at;
  if (std::int64_t(bytes.size()) < kRecordHeaderSize) {
    problem = "record cut short by the end of the file";
    return false;
  }
  if (Offset32(bytes.data()) != at) {
    problem = "record does not point to itself";
    return false;
  }
  const std::int64_t length = DeclaredLength(bytes);
  const std::int64_t tableSize = 4 * std::int64_t(bytes[kRecordCountAt]);
  if (length < tableSize) {
    problem = "record length " + std::to_string(length) + " shorter than its property table";
    return false;
  }
  if (kRecordHeaderSize + length > std::int64_t(bytes.size())) {
    problem = "record length " + std::to_string(length) + " runs past the end of the file";
    return false;
  }
  Table_ = bytes.subspan(kRecordHeaderSize, tableSize);
  Area_ = bytes.subspan(kRecordHeaderSize + tableSize, length - tableSize);
  return true;
}

TDbxRecord::TValue TDbxRecord::Property(std::size_t i) const {
  const std::uint32_t entry = U32(Table_.data() + 4 * i);
  return {static_cast<std::uint8_t>(entry & 0xFF), entry >> 8};
}

bool TDbxRecord::Number(std::uint32_t offset, int width, std::uint64_t& value) const {
  if (std::uint64_t(offset) + width > Area_.size()) return false;
  value = 0;
  for (int i = width - 1; i >= 0; --i) value = value << 8 | Area_[offset + i];
  return true;
}

bool TDbxRecord::Text(std::uint32_t offset, std::string& value) const {
  if (offset >= Area_.size()) return false;
  // A string ends at its zero byte, or at the end of the area without one.
  const auto begin = Area_.begin() + offset;
  value.assign(begin, std::find(begin, Area_.end(), std::uint8_t{0}));
  return true;
}

void TDbxRecord::Note(std::string& problem, const TValue& v) const {
  if (problem.empty())
    problem = "property " + Hex(v.Id) + " points outside the record's data (offset " +
              std::to_string(v.Raw) + " of " + std::to_string(Area_.size()) + ")";
}

std::unique_ptr<Toe5_FolderInfo> TDbxRecord::Folder(std::string& problem) const {
  bool isFolder = false;
  for (std::size_t i = 0; i < PropertyCount(); ++i) {
    const std::uint8_t id = Property(i).Id;
    isFolder = isFolder || id == kIdFolderFile || id == kIdFolderMarker;
  }
  if (!isFolder) return nullptr;
  auto info = std::make_unique<Toe5_FolderInfo>();
  for (std::size_t i = 0; i < PropertyCount(); ++i) {
    const TValue v = Property(i);
    const bool direct = v.Id & kDirectBit;
    const std::uint8_t index = v.Id & ~kDirectBit;
    std::uint64_t number = v.Raw;
    bool ok = true;
    switch (index) {
      case kIdIndex:
      case kIdFlagsOrParent:
        ok = direct || Number(v.Raw, 4, number);
        if (ok) (index == kIdIndex ? info->FolderId : info->ParentId) = std::int32_t(number);
        break;
      case kIdCreatedOrName:
        if (!direct) ok = Text(v.Raw, info->FolderName);
        break;
      case kIdFolderFile:
        if (!direct) ok = Text(v.Raw, info->FolderFile);
        break;
      default: break;
    }
    if (!ok) Note(problem, v);
  }
  return info;
}

std::unique_ptr<Toe5_MessageInfo> TDbxRecord::Message(std::string& problem) const {
  auto info = std::make_unique<Toe5_MessageInfo>();
  info->RecordOffset = At_;
  for (std::size_t i = 0; i < PropertyCount(); ++i) {
    const TValue v = Property(i);
    const bool direct = v.Id & kDirectBit;
    const std::uint8_t index = v.Id & ~kDirectBit;
    std::uint64_t number = v.Raw;
    // A direct value is the number itself; a stored one is `width` bytes
    // in the data area.
    const auto value = [&](int width) { return direct || Number(v.Raw, width, number); };
    bool ok = true;
    switch (index) {
      case kIdIndex:
        if ((ok = value(4))) info->MessageIndex = std::int64_t(number);
        break;
      case kIdFlagsOrParent:
        // Stored flags keep three bytes, like the direct form.
        if ((ok = value(3))) info->OeFlags = std::uint32_t(number);
        break;
      case kIdBody:
        if ((ok = value(4))) info->BodyOffset = std::int32_t(number);
        break;
      case kIdSize:
        // Sizes of 16 MiB and more do not fit the direct form.
        if ((ok = value(4))) info->MessageSize = std::int64_t(number);
        break;
      case kIdReceived:
      case kIdCreatedOrName:
        if (direct) break;
        ok = Number(v.Raw, 8, number);
        if (ok) (index == kIdReceived ? info->ReceivedTime : info->CreatedTime) = number;
        break;
      default: break;
    }
    if (!ok) Note(problem, v);
  }
  return info;
}

}  // namespace quenby::dbx
