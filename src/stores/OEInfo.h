#pragma once
// The records that TOEFile reports: one per folder of a folder list, one per
// message of a folder file. A fresh record has every field zero or empty.

#include <cstdint>
#include <string>

namespace quenby {

struct Toe5_FolderInfo {
  std::int32_t FolderId = 0;
  std::int32_t ParentId = 0;
  // 8-bit text in the code page of the Windows that wrote the store: kept
  // as bytes, decoded with LegacyToUtf8 where it is shown.
  std::string FolderName;
  std::string FolderFile;  // the folder's .dbx file, no path; empty if none
};

// Bits of OeFlags that the store maps onto item flags.
inline constexpr std::uint32_t kOeFlagRead = 0x80;
inline constexpr std::uint32_t kOeFlagFlagged = 0x20;
inline constexpr std::uint32_t kOeFlagAttachment = 0x4000;

struct Toe5_MessageInfo {
  std::int64_t MessageIndex = 0;  // the store's key for the message
  std::uint32_t OeFlags = 0;
  std::int64_t BodyOffset = 0;  // first text block; 0 or negative = no text
  std::int64_t MessageSize = 0;
  std::uint64_t ReceivedTime = 0;  // FILETIME: 100 ns units since 1601-01-01 UTC
  std::uint64_t CreatedTime = 0;
  std::int64_t RecordOffset = 0;
};

}  // namespace quenby
