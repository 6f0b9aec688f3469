#pragma once
// Test-side writers of .dbx files. TDbxWriter places headers, nodes,
// records and text blocks at chosen offsets in memory, so a test can build
// exactly the damage it is about. TDbxFileBuilder streams a large folder
// file shaped as real ones are (header of 0x24BC bytes, nodes of 0x27C
// bytes with at most 51 entries, blocks of 0x210 bytes), which other .dbx
// readers accept too.

#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

namespace quenby::test {

struct TDbxProperty {
  std::uint8_t Id;
  std::uint32_t Value = 0;  // direct value, or data-area offset when Data is empty
  std::string Data;         // indirect value, placed in the data area
};

// Property helpers: ids below 0x80 take their value from the data area.
TDbxProperty Direct(std::uint8_t id, std::uint32_t value);
TDbxProperty Stored(std::uint8_t id, std::string data);
TDbxProperty AtOffset(std::uint8_t id, std::uint32_t offset);  // raw, may point anywhere
std::string Dword(std::uint32_t value);
std::string FileTime(std::uint64_t value);
std::string CString(std::string_view text);  // with its zero byte

struct TDbxEntry {
  std::int64_t Record = 0;
  std::int64_t Child = 0;
  std::uint32_t ChildCount = 0;  // records below Child
};

class TDbxWriter {
 public:
  // type: the dword at offset 4 (message file, folder list, others).
  explicit TDbxWriter(std::uint32_t type);

  void PutU32(std::int64_t at, std::uint32_t value);
  void PutBytes(std::int64_t at, std::string_view bytes);
  void SetRoot(std::int64_t node);  // at 0x30 and 0xE4, as real files have it
  void SetItemCount(std::int32_t count);

  // countField overrides the entry count stored in bits 8-31 of the dword at 16.
  void PutNode(std::int64_t at, const std::vector<TDbxEntry>& entries, std::int64_t child = 0,
               std::int64_t parent = 0, std::int64_t countField = -1);
  // lengthOverride replaces the record's length field. Returns the end offset.
  std::int64_t PutRecord(std::int64_t at, const std::vector<TDbxProperty>& properties,
                         std::int64_t lengthOverride = -1);
  void PutBlock(std::int64_t at, std::int64_t next, std::string_view data,
                std::int64_t lengthOverride = -1);
  // A chain of contiguous blocks holding text; returns the end offset.
  std::int64_t PutText(std::int64_t at, std::string_view text);

  void Truncate(std::int64_t size) { Bytes_.resize(static_cast<std::size_t>(size)); }
  const std::string& Bytes() const { return Bytes_; }
  void Save(const std::string& path) const;

 private:
  std::string Bytes_;
};

// Encoders shared by both writers.
std::string EncodeRecord(std::int64_t at, const std::vector<TDbxProperty>& properties,
                         std::int64_t lengthOverride = -1);
std::string EncodeNode(std::int64_t at, const std::vector<TDbxEntry>& entries, std::int64_t child,
                       std::int64_t parent, std::uint32_t childCount, std::int64_t countField = -1,
                       bool padToNodeSize = false);
std::string EncodeHeader(std::uint32_t type);

// Writes a message folder file front to back: texts and records as they
// come, then the index tree, then the header fields.
class TDbxFileBuilder {
 public:
  explicit TDbxFileBuilder(const std::string& path);
  ~TDbxFileBuilder();
  TDbxFileBuilder(const TDbxFileBuilder&) = delete;
  TDbxFileBuilder& operator=(const TDbxFileBuilder&) = delete;

  void AddMessage(std::uint32_t index, std::string_view text, std::uint32_t flags,
                  std::uint64_t receivedTime);
  // Writes the tree and the header; returns the file size.
  std::int64_t Finish();

 private:
  struct TTreeNode {
    std::vector<TDbxEntry> Entries;
    std::int64_t Child = 0;
    std::uint32_t ChildCount = 0;
    std::int64_t Parent = 0;
    std::int64_t At = 0;
  };
  std::size_t BuildTree(std::size_t lo, std::size_t hi, std::vector<TTreeNode>& nodes);
  void Append(std::string_view bytes);

  std::FILE* File_;
  std::string Path_;
  std::int64_t End_;
  std::vector<std::int64_t> Records_;
};

}  // namespace quenby::test
