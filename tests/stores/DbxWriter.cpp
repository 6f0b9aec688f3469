#include "DbxWriter.h"

#include <algorithm>
#include <fstream>
#include <stdexcept>

#include "stores/DbxLayout.h"

namespace quenby::test {

using namespace quenby::dbx;

TDbxProperty Direct(std::uint8_t id, std::uint32_t value) {
  return {id, value, {}};
}
TDbxProperty Stored(std::uint8_t id, std::string data) {
  return {id, 0, std::move(data)};
}
TDbxProperty AtOffset(std::uint8_t id, std::uint32_t offset) {
  return {id, offset, {}};
}

std::string Dword(std::uint32_t value) {
  std::string out(4, '\0');
  for (int i = 0; i < 4; ++i) out[i] = static_cast<char>(value >> (8 * i));
  return out;
}

std::string FileTime(std::uint64_t value) {
  return Dword(static_cast<std::uint32_t>(value)) + Dword(static_cast<std::uint32_t>(value >> 32));
}

std::string CString(std::string_view text) {
  return std::string(text) + '\0';
}

std::string EncodeHeader(std::uint32_t type) {
  std::string header(kFileHeaderSize, '\0');
  header.replace(0, 4, Dword(kMagic));
  header.replace(4, 4, Dword(type));
  // The class id and version that real message and folder files carry.
  static const unsigned char kClass[] = {0x66, 0xE3, 0xD1, 0x11, 0x9A, 0x4E, 0x00,
                                         0xC0, 0x4F, 0xA3, 0x09, 0xD4, 0x05, 0x00,
                                         0x00, 0x00, 0x05, 0x00, 0x00, 0x00};
  header.replace(8, sizeof kClass, reinterpret_cast<const char*>(kClass), sizeof kClass);
  header.replace(0x1C, 4, Dword(type == kTypeFolders ? 0x108 : 0x618));
  return header;
}

std::string EncodeRecord(std::int64_t at, const std::vector<TDbxProperty>& properties,
                         std::int64_t lengthOverride) {
  std::string table, area;
  for (const auto& p : properties) {
    std::uint32_t value = p.Value;
    if (!p.Data.empty()) {
      value = static_cast<std::uint32_t>(area.size());
      area += p.Data;
    }
    table += Dword(p.Id | value << 8);
  }
  const std::int64_t length =
      lengthOverride >= 0 ? lengthOverride : std::int64_t(table.size() + area.size());
  std::string out =
      Dword(static_cast<std::uint32_t>(at)) + Dword(static_cast<std::uint32_t>(length));
  out += static_cast<char>(length & 0xFF);  // object length, not read
  out += static_cast<char>((length >> 8) & 0xFF);
  out += static_cast<char>(properties.size());
  out += '\1';  // change counter
  return out + table + area;
}

std::string EncodeNode(std::int64_t at, const std::vector<TDbxEntry>& entries, std::int64_t child,
                       std::int64_t parent, std::uint32_t childCount, std::int64_t countField,
                       bool padToNodeSize) {
  const std::int64_t count = countField >= 0 ? countField : std::int64_t(entries.size());
  std::string out = Dword(static_cast<std::uint32_t>(at)) + Dword(0) +
                    Dword(static_cast<std::uint32_t>(child)) +
                    Dword(static_cast<std::uint32_t>(parent)) +
                    Dword(static_cast<std::uint32_t>(count << 8)) + Dword(childCount);
  for (const auto& e : entries)
    out += Dword(static_cast<std::uint32_t>(e.Record)) +
           Dword(static_cast<std::uint32_t>(e.Child)) + Dword(e.ChildCount);
  if (padToNodeSize && std::int64_t(out.size()) < kNodeSize) out.resize(kNodeSize, '\0');
  return out;
}

TDbxWriter::TDbxWriter(std::uint32_t type) : Bytes_(EncodeHeader(type)) {}

void TDbxWriter::PutBytes(std::int64_t at, std::string_view bytes) {
  const auto end = static_cast<std::size_t>(at) + bytes.size();
  if (Bytes_.size() < end) Bytes_.resize(end, '\0');
  Bytes_.replace(static_cast<std::size_t>(at), bytes.size(), bytes);
}

void TDbxWriter::PutU32(std::int64_t at, std::uint32_t value) {
  PutBytes(at, Dword(value));
}

void TDbxWriter::SetRoot(std::int64_t node) {
  PutU32(kRootAt, static_cast<std::uint32_t>(node));
  PutU32(kRootCopyAt, static_cast<std::uint32_t>(node));
}

void TDbxWriter::SetItemCount(std::int32_t count) {
  PutU32(kItemCountAt, static_cast<std::uint32_t>(count));
}

void TDbxWriter::PutNode(std::int64_t at, const std::vector<TDbxEntry>& entries, std::int64_t child,
                         std::int64_t parent, std::int64_t countField) {
  PutBytes(at, EncodeNode(at, entries, child, parent, 0, countField));
}

std::int64_t TDbxWriter::PutRecord(std::int64_t at, const std::vector<TDbxProperty>& properties,
                                   std::int64_t lengthOverride) {
  const std::string bytes = EncodeRecord(at, properties, lengthOverride);
  PutBytes(at, bytes);
  return at + std::int64_t(bytes.size());
}

void TDbxWriter::PutBlock(std::int64_t at, std::int64_t next, std::string_view data,
                          std::int64_t lengthOverride) {
  const std::int64_t length = lengthOverride >= 0 ? lengthOverride : std::int64_t(data.size());
  std::string block = Dword(static_cast<std::uint32_t>(at)) + Dword(kBlockDataSize) +
                      Dword(static_cast<std::uint32_t>(length)) +
                      Dword(static_cast<std::uint32_t>(next));
  block += data;
  block.resize(kBlockSize, '\0');
  PutBytes(at, block);
}

std::int64_t TDbxWriter::PutText(std::int64_t at, std::string_view text) {
  do {
    const auto piece = text.substr(0, kBlockDataSize);
    text.remove_prefix(piece.size());
    PutBlock(at, text.empty() ? 0 : at + kBlockSize, piece);
    at += kBlockSize;
  } while (!text.empty());
  return at;
}

void TDbxWriter::Save(const std::string& path) const {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(Bytes_.data(), std::streamsize(Bytes_.size()));
  if (!out) throw std::runtime_error("cannot write " + path);
}

TDbxFileBuilder::TDbxFileBuilder(const std::string& path)
    : File_(std::fopen(path.c_str(), "wb")), Path_(path), End_(0) {
  if (!File_) throw std::runtime_error("cannot create " + path);
  Append(EncodeHeader(kTypeMessages));
}

TDbxFileBuilder::~TDbxFileBuilder() {
  if (File_) std::fclose(File_);
}

void TDbxFileBuilder::Append(std::string_view bytes) {
  if (std::fwrite(bytes.data(), 1, bytes.size(), File_) != bytes.size())
    throw std::runtime_error("cannot write " + Path_);
  End_ += std::int64_t(bytes.size());
}

void TDbxFileBuilder::AddMessage(std::uint32_t index, std::string_view text, std::uint32_t flags,
                                 std::uint64_t receivedTime) {
  const std::int64_t body = End_;
  const std::int64_t size = std::int64_t(text.size());
  std::string blocks;
  std::int64_t at = body;
  do {
    const auto piece = text.substr(0, kBlockDataSize);
    text.remove_prefix(piece.size());
    std::string block = Dword(static_cast<std::uint32_t>(at)) + Dword(kBlockDataSize) +
                        Dword(static_cast<std::uint32_t>(piece.size())) +
                        Dword(static_cast<std::uint32_t>(text.empty() ? 0 : at + kBlockSize));
    block += piece;
    block.resize(kBlockSize, '\0');
    blocks += block;
    at += kBlockSize;
  } while (!text.empty());
  Append(blocks);
  std::vector<TDbxProperty> properties{Direct(0x80, index), Direct(0x81, flags)};
  // Direct values have 24 bits: texts beyond 16 MiB are pointed to from the data area.
  if (body < (1 << 24))
    properties.push_back(Direct(0x84, static_cast<std::uint32_t>(body)));
  else
    properties.push_back(Stored(0x04, Dword(static_cast<std::uint32_t>(body))));
  properties.push_back(
      Direct(0x91, static_cast<std::uint32_t>(std::min<std::int64_t>(size, 0xFFFFFF))));
  properties.push_back(Stored(0x12, FileTime(receivedTime)));
  properties.push_back(Stored(0x02, FileTime(receivedTime)));
  Records_.push_back(End_);
  Append(EncodeRecord(End_, properties));
}

std::size_t TDbxFileBuilder::BuildTree(std::size_t lo, std::size_t hi,
                                       std::vector<TTreeNode>& nodes) {
  const std::size_t self = nodes.size();
  nodes.emplace_back();
  const std::size_t count = hi - lo;
  const std::size_t entries = std::min<std::size_t>(count, kNodeMaxEntries);
  // The records that do not fit as entries go evenly into the children
  // before the first entry and after each entry.
  const std::size_t below = count - entries, children = entries + 1;
  std::size_t next = lo;
  const auto child = [&](std::size_t k, std::int64_t& link, std::uint32_t& linkCount) {
    const std::size_t take = below / children + (k < below % children ? 1 : 0);
    if (take == 0) return;
    const std::size_t made = BuildTree(next, next + take, nodes);
    nodes[made].Parent = std::int64_t(self);  // an index until offsets are known
    link = -std::int64_t(made) - 1;
    linkCount = static_cast<std::uint32_t>(take);
    next += take;
  };
  std::int64_t first = 0;
  std::uint32_t firstCount = 0;
  child(0, first, firstCount);
  nodes[self].Child = first;
  nodes[self].ChildCount = firstCount;
  for (std::size_t k = 1; k <= entries; ++k) {
    TDbxEntry entry{Records_[next++]};
    child(k, entry.Child, entry.ChildCount);
    nodes[self].Entries.push_back(entry);
  }
  return self;
}

std::int64_t TDbxFileBuilder::Finish() {
  std::vector<TTreeNode> nodes;
  if (!Records_.empty()) BuildTree(0, Records_.size(), nodes);
  for (std::size_t i = 0; i < nodes.size(); ++i) nodes[i].At = End_ + std::int64_t(i) * kNodeSize;
  const auto resolve = [&](std::int64_t link) {
    return link < 0 ? nodes[std::size_t(-link - 1)].At : 0;
  };
  for (std::size_t i = 0; i < nodes.size(); ++i) {
    auto& n = nodes[i];
    for (auto& e : n.Entries) e.Child = resolve(e.Child);
    const std::int64_t parent = i == 0 ? 0 : nodes[std::size_t(n.Parent)].At;
    Append(EncodeNode(n.At, n.Entries, resolve(n.Child), parent, n.ChildCount, -1, true));
  }
  const std::int64_t root = nodes.empty() ? 0 : nodes[0].At;
  const auto patch = [&](std::int64_t at, std::uint32_t value) {
    const std::string bytes = Dword(value);
    if (std::fseek(File_, long(at), SEEK_SET) != 0 || std::fwrite(bytes.data(), 1, 4, File_) != 4)
      throw std::runtime_error("cannot write " + Path_);
  };
  patch(kRootAt, static_cast<std::uint32_t>(root));
  patch(kRootCopyAt, static_cast<std::uint32_t>(root));
  patch(kItemCountAt, static_cast<std::uint32_t>(Records_.size()));
  patch(0x7C, static_cast<std::uint32_t>(End_));
  if (std::fclose(File_) != 0) throw std::runtime_error("cannot write " + Path_);
  File_ = nullptr;
  return End_;
}

}  // namespace quenby::test
