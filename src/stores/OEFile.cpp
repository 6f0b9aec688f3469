#include "stores/OEFile.h"

#include <algorithm>

#include "platform/Errors.h"
#include "stores/DbxLayout.h"
#include "stores/DbxRecord.h"

namespace quenby {

using namespace dbx;

namespace {

// Large enough for a node, a record or several text blocks in one read,
// small enough that a scattered file does not copy much it never uses.
constexpr std::int64_t kWindowSize = 32 * 1024;

// The first read of a record; longer records are read again whole.
constexpr std::int64_t kRecordGuess = 512;

std::string TypeProblem(std::uint32_t type) {
  switch (type) {
    case kTypeOffline: return "an offline file, not a mail folder or folder list";
    case kTypePop3Uidl: return "a POP3 id list, not a mail folder or folder list";
    default: return "unknown .dbx file type";
  }
}

}  // namespace

// One node on the walk's explicit stack: a crafted chain of fresh nodes
// would otherwise recurse once per node.
struct TOEFile::TFrame {
  explicit TFrame(std::int64_t node) : Node(node) {}
  std::int64_t Node;
  int Stage = 0;  // 0 enter, 1 parent walked, 2 child walked, then entries
  std::int64_t Parent = 0;
  std::int64_t Child = 0;
  std::vector<TEntry> Entries;
  std::size_t Next = 0;
};

TOEFile::TOEFile(std::string storePath) : StorePath_(std::move(storePath)) {}

void TOEFile::OpenFile(const std::string& fullName) {
  if (fullName == FullName() && File_.IsOpen() && !File_.ChangedOnDisk()) return;
  if (fullName != FullName()) {
    // The folder part keeps its trailing '/' ("/" for a file at the root).
    const std::size_t slash = fullName.rfind('/');
    StorePath_ = slash == std::string::npos ? std::string() : fullName.substr(0, slash + 1);
    FileName_ = fullName.substr(slash == std::string::npos ? 0 : slash + 1);
  }
  Reopen();
}

void TOEFile::CloseFile() noexcept {
  File_.Close();
  WindowLength_ = 0;
}

void TOEFile::Reopen() {
  CloseFile();
  ItemCount_ = 0;
  File_.Open(FullName());
  try {
    ReadHeader();
  } catch (...) {
    CloseFile();
    throw;
  }
}

bool TOEFile::EnsureOpen(bool checkChange) {
  if (FileName_.empty()) return false;
  if (!File_.IsOpen() || (checkChange && File_.ChangedOnDisk())) Reopen();
  return true;
}

void TOEFile::ReadHeader() {
  const auto header = View(0, kHeaderReadSize);
  if (header.size() < 8 || U32(header.data()) != kMagic)
    throw EStreamError(TStreamErrorKind::Stream, FullName(), "not an Outlook Express .dbx file", 0);
  const std::uint32_t type = U32(header.data() + kTypeAt);
  if (type != kTypeMessages && type != kTypeFolders)
    throw EStreamError(TStreamErrorKind::Stream, FullName(), TypeProblem(type), kTypeAt);
  if (std::int64_t(header.size()) < kItemCountAt + 4)
    throw EStreamError(TStreamErrorKind::Stream, FullName(), "file header cut short",
                       std::int64_t(header.size()));
  // The type decides the kind of records; real folder lists are named
  // "folders.dbx" in any case, and the name alone could lie.
  Type_ = type == kTypeFolders ? TDbxFileType::Folders : TDbxFileType::Messages;
  ItemCount_ = static_cast<std::int32_t>(U32(header.data() + kItemCountAt));
}

std::span<const std::uint8_t> TOEFile::View(std::int64_t offset, std::int64_t count) {
  const std::int64_t size = File_.Size();
  if (offset < 0 || offset >= size || count <= 0) return {};
  count = std::min(count, size - offset);
  if (offset >= WindowAt_ && offset + count <= WindowAt_ + WindowLength_)
    return {Window_.data() + (offset - WindowAt_), static_cast<std::size_t>(count)};
  const std::int64_t want = std::min(std::max(count, kWindowSize), size - offset);
  if (std::int64_t(Window_.size()) < want) {
    Window_.resize(static_cast<std::size_t>(want));
  } else if (want <= kWindowSize && Window_.size() > std::size_t(4 * kWindowSize)) {
    // A long record (or a crafted length) made the window grow: give it back.
    Window_.resize(static_cast<std::size_t>(kWindowSize));
    Window_.shrink_to_fit();
  }
  WindowLength_ = 0;
  const std::int64_t got = File_.ReadAt(offset, Window_.data(), want);
  WindowAt_ = offset;
  WindowLength_ = got;
  return {Window_.data(), static_cast<std::size_t>(std::min(count, got))};
}

void TOEFile::Problem(std::int64_t offset, std::string what) {
  if (Problems_.size() < kMaxProblems) Problems_.push_back({offset, std::move(what)});
  ++ProblemCount_;
}

void TOEFile::ClearProblems() noexcept {
  Problems_.clear();
  ProblemCount_ = 0;
}

void TOEFile::ReadTree() {
  if (!EnsureOpen(true) || ItemCount_ < 1) return;
  const std::int64_t root = FindRoot();
  Visited_.clear();
  if (root > 0) Walk(root);
  Visited_.clear();
}

std::int64_t TOEFile::FindRoot() {
  // The node a header field points to, if it points to itself.
  const auto nodeAt = [this](std::int64_t at) -> std::int64_t {
    const auto field = View(at, 4);
    const std::int64_t node = field.size() == 4 ? Offset32(field.data()) : 0;
    if (node <= 0) return 0;
    const auto self = View(node, 4);
    return self.size() == 4 && Offset32(self.data()) == node ? node : 0;
  };
  for (const std::int64_t at : {kRootAt, kRootCopyAt})
    if (const std::int64_t node = nodeAt(at)) return node;
  Problem(kRootAt, "no index tree root at 0x30 or 0xE4");
  return 0;
}

bool TOEFile::EnterNode(TFrame& frame) {
  const std::int64_t p = frame.Node;
  Visited_.insert(p);
  auto node = View(p, kNodeSize);
  if (std::int64_t(node.size()) < kNodeHeaderSize) {
    Problem(p, "index node cut short by the end of the file");
    return false;
  }
  if (Offset32(node.data()) != p) {
    Problem(p, "index node does not point to itself");
    return false;
  }
  frame.Child = Offset32(node.data() + kNodeChildAt);
  frame.Parent = Offset32(node.data() + kNodeParentAt);
  std::int64_t count = U32(node.data() + kNodeCountAt) >> 8;
  const std::int64_t room = (File_.Size() - p - kNodeHeaderSize) / kNodeEntrySize;
  if (count > room) {
    Problem(p, "index node claims " + std::to_string(count) + " entries, the file holds at most " +
                   std::to_string(room));
    count = room;
  }
  if (count <= 0) return true;
  // All entries in one piece, before any record of the node is decoded.
  const auto entries = View(p + kNodeHeaderSize, count * kNodeEntrySize);
  count = std::int64_t(entries.size()) / kNodeEntrySize;
  frame.Entries.reserve(static_cast<std::size_t>(count));
  for (std::int64_t i = 0; i < count; ++i) {
    const std::uint8_t* e = entries.data() + i * kNodeEntrySize;
    frame.Entries.push_back({Offset32(e), Offset32(e + 4)});
  }
  return true;
}

void TOEFile::Walk(std::int64_t root) {
  // Parent first, then the child before the first entry, then each entry
  // and the child after it. From the root the parent is already visited,
  // so records come in the tree's sorted order.
  std::vector<TFrame> stack;
  stack.emplace_back(root);
  const auto descend = [&](std::int64_t node) {
    if (node > 0 && !Visited_.contains(node)) stack.emplace_back(node);
  };
  while (!stack.empty()) {
    TFrame& top = stack.back();
    switch (top.Stage) {
      case 0:
        if (!EnterNode(top)) {
          stack.pop_back();
          break;
        }
        top.Stage = 1;
        descend(top.Parent);
        break;
      case 1:
        top.Stage = 2;
        descend(top.Child);
        break;
      default: {
        if (top.Next == top.Entries.size()) {
          stack.pop_back();
          break;
        }
        const TEntry entry = top.Entries[top.Next++];
        if (entry.Record > 0) ReportRecord(entry.Record);
        descend(entry.Child);  // may reallocate the stack: top is not used after this
        break;
      }
    }
  }
}

void TOEFile::ReportRecord(std::int64_t offset) {
  if (IsFoldersFile()) {
    if (auto info = ReadFolderInfo(offset)) DoFolder(std::move(info));
  } else if (auto info = ReadMessageInfo(offset)) {
    DoMessage(std::move(info));
  }
}

bool TOEFile::LoadRecord(std::int64_t offset, TDbxRecord& record) {
  auto bytes = View(offset, kRecordGuess);
  if (bytes.size() >= std::size_t(kRecordHeaderSize) && Offset32(bytes.data()) == offset) {
    const std::int64_t whole = kRecordHeaderSize + TDbxRecord::DeclaredLength(bytes);
    if (whole > std::int64_t(bytes.size()) && whole <= File_.Size() - offset)
      bytes = View(offset, whole);
  }
  std::string problem;
  if (record.Parse(bytes, offset, problem)) return true;
  Problem(offset, std::move(problem));
  return false;
}

std::unique_ptr<Toe5_FolderInfo> TOEFile::ReadFolderInfo(std::int64_t offset) {
  TDbxRecord record;
  if (!EnsureOpen(false) || !LoadRecord(offset, record)) return nullptr;
  std::string problem;
  auto info = record.Folder(problem);
  if (!problem.empty()) Problem(offset, std::move(problem));
  return info;
}

std::unique_ptr<Toe5_MessageInfo> TOEFile::ReadMessageInfo(std::int64_t offset) {
  TDbxRecord record;
  if (!EnsureOpen(false) || !LoadRecord(offset, record)) return nullptr;
  std::string problem;
  auto info = record.Message(problem);
  if (!problem.empty()) Problem(offset, std::move(problem));
  return info;
}

void TOEFile::ReadMessage(std::int64_t bodyOffset, TStream* stream, bool headersOnly) {
  if (!stream || bodyOffset <= 0 || !EnsureOpen(false) || ItemCount_ <= 0) return;
  Blocks_.clear();
  int lineEnds = 1;  // line feeds in a row, carriage returns aside; the text begins a line
  for (std::int64_t at = bodyOffset;;) {
    if (!Blocks_.insert(at).second) {
      Problem(at, "text block chain comes back to a block already read");
      return;
    }
    const auto block = View(at, kBlockSize);
    if (std::int64_t(block.size()) < kBlockHeaderSize) {
      Problem(at, "text block cut short by the end of the file");
      return;
    }
    if (Offset32(block.data()) != at) {
      Problem(at, "text block does not point to itself");
      return;
    }
    const std::int64_t length = U32(block.data() + kBlockLengthAt);
    if (length > kBlockDataSize) {
      Problem(at, "text block holds " + std::to_string(length) + " bytes, more than 512");
      return;
    }
    if (kBlockHeaderSize + length > std::int64_t(block.size())) {
      Problem(at, "text block cut short by the end of the file");
      return;
    }
    const std::uint8_t* data = block.data() + kBlockHeaderSize;
    if (headersOnly) {
      for (std::int64_t i = 0; i < length; ++i) {
        if (data[i] == '\n')
          ++lineEnds;
        else if (data[i] != '\r')
          lineEnds = 0;
        if (lineEnds == 2) {
          stream->WriteBuffer(data, i + 1);
          return;
        }
      }
    }
    stream->WriteBuffer(data, length);
    const std::int64_t next = Offset32(block.data() + kBlockNextAt);
    if (next == 0) return;
    if (next < 0) {
      Problem(at, "text block links to a negative offset");
      return;
    }
    at = next;
  }
}

void TOEFile::DoFolder(std::unique_ptr<Toe5_FolderInfo> info) {
  if (OnFolder) OnFolder(std::move(info));
}

void TOEFile::DoMessage(std::unique_ptr<Toe5_MessageInfo> info) {
  if (OnMessage) OnMessage(std::move(info));
}

}  // namespace quenby
