#pragma once
// TOEFile reads one Outlook Express .dbx file: it walks the file's index
// tree and reports every folder record (in a folder list) or message record
// (in a folder file), and copies a message's text, kept as a chain of
// fixed-size blocks, into a stream. It never writes to the file.
//
// Real archives are damaged or crafted: every read is bounded by the file's
// size, a node, record or text that does not hold together ends there, and
// the walk goes on. What was skipped is kept in Problems().

#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <unordered_set>
#include <vector>

#include "model/Stream.h"
#include "stores/OEInfo.h"
#include "stores/ReadOnlyFile.h"

namespace quenby::dbx {
class TDbxRecord;
}

namespace quenby {

enum class TDbxFileType { Messages, Folders };

// Something the reader skipped, and where.
struct TDbxProblem {
  std::int64_t Offset;
  std::string What;
};

class TOEFile {
 public:
  // Records are handed over to the handler. Records that do not decode are
  // not reported (they are counted in Problems()).
  std::function<void(std::unique_ptr<Toe5_FolderInfo>)> OnFolder;
  std::function<void(std::unique_ptr<Toe5_MessageInfo>)> OnMessage;

  explicit TOEFile(std::string storePath = {});
  virtual ~TOEFile() = default;
  TOEFile(const TOEFile&) = delete;
  TOEFile& operator=(const TOEFile&) = delete;

  // Opens the file and reads its header. The same name again only reopens
  // when the file changed on disk. Raises the "cannot open file" error, or
  // the stream error for a file that is not a folder or folder-list file
  // (an offline file, a POP3 id list, anything else).
  void OpenFile(const std::string& fullName);
  void CloseFile() noexcept;

  // Reports every record in tree order (nothing when ItemCount() < 1).
  void ReadTree();
  std::unique_ptr<Toe5_FolderInfo> ReadFolderInfo(std::int64_t offset);
  std::unique_ptr<Toe5_MessageInfo> ReadMessageInfo(std::int64_t offset);
  // Appends the text whose first block is at bodyOffset to stream; with
  // headersOnly, only up to and including the blank line after the headers.
  void ReadMessage(std::int64_t bodyOffset, TStream* stream, bool headersOnly = false);

  bool IsFoldersFile() const noexcept { return Type_ == TDbxFileType::Folders; }
  const std::string& FileName() const noexcept { return FileName_; }
  const std::string& StorePath() const noexcept { return StorePath_; }
  std::string FullName() const { return StorePath_ + FileName_; }
  std::int32_t ItemCount() const noexcept { return ItemCount_; }

  // The first problems since the last ClearProblems (at most
  // kMaxProblems are kept), and how many there were in all.
  static constexpr std::size_t kMaxProblems = 1000;
  const std::vector<TDbxProblem>& Problems() const noexcept { return Problems_; }
  std::int64_t ProblemCount() const noexcept { return ProblemCount_; }
  void ClearProblems() noexcept;

 protected:
  virtual void DoFolder(std::unique_ptr<Toe5_FolderInfo> info);
  virtual void DoMessage(std::unique_ptr<Toe5_MessageInfo> info);

 private:
  struct TEntry {
    std::int64_t Record;
    std::int64_t Child;
  };
  struct TFrame;

  // False when no file was named. checkChange reopens a file that changed.
  bool EnsureOpen(bool checkChange);
  void Reopen();
  void ReadHeader();
  bool LoadRecord(std::int64_t offset, dbx::TDbxRecord& record);
  std::int64_t FindRoot();
  void Walk(std::int64_t root);
  bool EnterNode(TFrame& frame);
  void ReportRecord(std::int64_t offset);
  // The bytes of [offset, offset + count) that the file holds, fewer at its
  // end; valid until the next call.
  std::span<const std::uint8_t> View(std::int64_t offset, std::int64_t count);
  void Problem(std::int64_t offset, std::string what);

  std::string StorePath_;
  std::string FileName_;
  TReadOnlyFile File_;
  TDbxFileType Type_ = TDbxFileType::Messages;
  std::int32_t ItemCount_ = 0;
  std::unordered_set<std::int64_t> Visited_;
  std::unordered_set<std::int64_t> Blocks_;
  std::vector<TDbxProblem> Problems_;
  std::int64_t ProblemCount_ = 0;
  // A window of the file: blocks and records lie close together, so one
  // read serves many of them.
  std::vector<std::uint8_t> Window_;
  std::int64_t WindowAt_ = 0;
  std::int64_t WindowLength_ = 0;
};

}  // namespace quenby
