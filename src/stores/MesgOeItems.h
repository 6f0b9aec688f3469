#pragma once
// The messages of one Outlook Express folder file. A folder loads on the
// collection's folder monitor: every message record becomes a TMesgOeItem,
// filled from a headers-only parse of its text and placed at its sorted
// position. The text stays in the file; each item remembers which file it
// came from and reads it again through that file when it is shown, saved
// or dragged, also while another folder loads.

#include <atomic>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "model/FastMemoryStream.h"
#include "model/mail/MesgItems.h"
#include "stores/OEFile.h"
#include "transfer/MonitorFolders.h"

namespace quenby {

// A folder file opened for reading message texts; shared by the items of
// one load and by the loader's header reads.
class TOeTextFile {
 public:
  explicit TOeTextFile(std::string path) : Path_(std::move(path)) {}
  const std::string& Path() const noexcept { return Path_; }
  void ReadMessage(std::int64_t bodyOffset, TStream& stream, bool headersOnly);
  // What the reads skipped since the last call.
  std::vector<TDbxProblem> TakeProblems();

 private:
  const std::string Path_;
  std::mutex Lock_;  // the reader keeps a window of the file
  TOEFile File_;
};

class TMesgOeItems;

class TMesgOeItem : public TMesgItem {
 public:
  TMesgOeItem(TMesgOeItems* owner, std::shared_ptr<TOeTextFile> file);

  // Keeps info and adds what it says to the fields: the mapped flags, Size
  // and DateReceived.
  void SetInfo(std::unique_ptr<Toe5_MessageInfo> info);
  const Toe5_MessageInfo* Info() const noexcept { return Info_.get(); }
  const std::string& FilePath() const noexcept { return File_->Path(); }

  std::string GetKey() const override;  // MessageIndex
  std::string GetFileName() const override;
  void LoadMessage(TMimeMessage& message, bool headersOnly) const override;
  void SaveToStream(TStream& stream) const override;

 private:
  const std::shared_ptr<TOeTextFile> File_;
  std::unique_ptr<Toe5_MessageInfo> Info_;  // set before the item is added
};

// The item flags that the record's OeFlags add.
TMesgFlags MesgFlagsFromOeFlags(std::uint32_t oeFlags);

class TMesgOeItems : public TMesgItems {
 public:
  TMesgOeItems();
  ~TMesgOeItems() override;

  // For an existing file: empties the list at once and loads the file on
  // the monitor, abandoning a load that runs. Another name changes nothing.
  void SetFile(const std::string& name);
  std::string FileName() const;
  bool Loading() const noexcept { return Loading_.load(); }

  // Reads the file into the list on the calling thread. A message that
  // fails is left out, with the status text; an error of the file itself
  // is raised.
  void ReadFile(const std::string& name);
  // What the reads skipped since the last call, in the file's structure
  // and in the texts read; only once the load has ended.
  std::vector<TDbxProblem> TakeProblems();

 private:
  void Load();
  void AddRecord(std::unique_ptr<Toe5_MessageInfo> info);
  void CheckPlan();

  mutable std::mutex NameLock_;
  std::string FileName_;
  std::atomic<bool> Loading_{false};
  // The loader's own: the walk, the texts of the load, one message's text.
  TOEFile OEFile_;
  std::shared_ptr<TOeTextFile> TextFile_;
  TFastMemoryStream BodyStream_{65536};
  TThreadRef Monitor_{nullptr};
};

}  // namespace quenby
