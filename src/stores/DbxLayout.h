#pragma once
// Byte layout of Outlook Express .dbx files. All numbers are little-endian;
// offsets are absolute file positions unless a name says otherwise.

#include <cstdint>
#include <cstring>

namespace quenby::dbx {

// File header.
inline constexpr std::uint32_t kMagic = 0xFE12ADCF;         // bytes CF AD 12 FE at 0
inline constexpr std::uint32_t kTypeMessages = 0x6F74FDC5;  // C5 FD 74 6F at 4
inline constexpr std::uint32_t kTypeFolders = 0x6F74FDC6;   // C6 FD 74 6F
inline constexpr std::uint32_t kTypePop3Uidl = 0x6F74FDC7;  // C7 FD 74 6F
inline constexpr std::uint32_t kTypeOffline = 0x26FE9D30;   // 30 9D FE 26
inline constexpr std::int64_t kTypeAt = 4;
inline constexpr std::int64_t kRootAt = 0x30;
inline constexpr std::int64_t kItemCountAt = 0xC4;
// Real files repeat the root here; used when 0x30 does not hold a node.
inline constexpr std::int64_t kRootCopyAt = 0xE4;
inline constexpr std::int64_t kHeaderReadSize = kRootCopyAt + 4;
// What the writing program reserves for the header; records start after it.
inline constexpr std::int64_t kFileHeaderSize = 0x24BC;

// Index tree node: 24-byte header, then 12-byte entries.
inline constexpr std::int64_t kNodeHeaderSize = 24;
inline constexpr std::int64_t kNodeChildAt = 8;
inline constexpr std::int64_t kNodeParentAt = 12;
inline constexpr std::int64_t kNodeCountAt = 16;  // entry count in bits 8-31
inline constexpr std::int64_t kNodeEntrySize = 12;
// The writing program's node size: at most 51 entries.
inline constexpr std::int64_t kNodeSize = 0x27C;
inline constexpr std::int64_t kNodeMaxEntries = 51;

// Data record: 12-byte header, property table of 4-byte entries, data area.
inline constexpr std::int64_t kRecordHeaderSize = 12;
inline constexpr std::int64_t kRecordLengthAt = 4;
inline constexpr std::int64_t kRecordCountAt = 10;
inline constexpr std::uint8_t kDirectBit = 0x80;

// Message text block: 16-byte header, up to 512 data bytes.
inline constexpr std::int64_t kBlockHeaderSize = 16;
inline constexpr std::int64_t kBlockDataSize = 512;
inline constexpr std::int64_t kBlockSize = kBlockHeaderSize + kBlockDataSize;
inline constexpr std::int64_t kBlockLengthAt = 8;
inline constexpr std::int64_t kBlockNextAt = 12;

inline std::uint32_t U32(const std::uint8_t* p) {
  return std::uint32_t(p[0]) | std::uint32_t(p[1]) << 8 | std::uint32_t(p[2]) << 16 |
         std::uint32_t(p[3]) << 24;
}

// Offsets in the file are signed: 0 or negative means "none".
inline std::int64_t Offset32(const std::uint8_t* p) {
  return static_cast<std::int32_t>(U32(p));
}

inline std::uint64_t U64(const std::uint8_t* p) {
  return std::uint64_t(U32(p)) | std::uint64_t(U32(p + 4)) << 32;
}

}  // namespace quenby::dbx
