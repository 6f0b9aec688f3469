#pragma once
// A folder of message files (.eml, .msg) as a message list. The messages
// are the files: a folder monitor loads the folder and rescans it on
// changes, parsing only new or changed files, headers only.
//
// Two collections share the items: TMesgFileList, sorted by file name,
// owns them and runs the scans on the monitor's thread; TMesgFileItems is
// what the view shows, in message order, and never frees them. The items'
// fields are guarded by the display's lock (the display is their owner);
// the file list's lock guards its path and name order. When both are
// held, the file list's is taken first.

#include <sys/types.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <utility>

#include "model/ExtThread.h"
#include "model/mail/MesgItems.h"
#include "platform/Errors.h"
#include "stores/FileListing.h"

namespace quenby {

class TMesgFileItems;
class TMesgFileList;
class TMonitorFolder;

class TMesgFileItem : public TMesgItem {
 public:
  // owner: the display; the item is kept by the display's file list.
  // folder: the folder the scan that found the file listed, shared by its
  // items, so that a path change never points an item into another folder.
  TMesgFileItem(TMesgFileItems* owner, std::shared_ptr<const std::string> folder,
                std::string fileName);

  // The name on disk, in its own case; fixed for the item's life.
  const std::string& FileName() const { return FileName_; }
  std::string FullPath() const;

  // The listing's values; Changed when any of them differs from before.
  void InitFromListing(const TFileListing& entry);
  void UpdateFromListing(const TFileListing& entry);

  std::string GetKey() const override { return FileName_; }
  // The file name without its extension.
  std::string GetFileName() const override;
  // Copies the file: a TFastMemoryStream gets exactly the file, any other
  // stream has it appended. A file that is gone raises the "cannot open"
  // stream error, so that an export or a drag never writes it empty.
  void SaveToStream(TStream& stream) const override;

  // Guarded by the display's lock; written only on the monitor's thread.
  bool Found = false;
  bool Changed = false;
  std::int64_t FileSize = 0;
  std::uint32_t Attributes = 0;
  TFileTime CreationTime = 0;
  TFileTime WriteTime = 0;
  std::int32_t DisplayIndex = -1;  // -1 while not shown

 private:
  const std::shared_ptr<const std::string> Folder_;  // with trailing separator
  const std::string FileName_;
};

class TMesgFileItems : public TMesgItems {
 public:
  explicit TMesgFileItems(std::chrono::milliseconds settleTime = std::chrono::milliseconds(300));
  ~TMesgFileItems() override;

  // The folder, as given (without trailing separator), or the nearest
  // existing folder above it.
  std::string Path() const;
  // Loads the folder in full. OnPathChange is fired on the main thread
  // only, with the value as given.
  void SetPath(const std::string& value);
  std::function<void(TMesgFileItems&, const std::string&)> OnPathChange;
  // Called on the loading thread for each file left out (the status text
  // holds only the last); set it before loading.
  std::function<void(const EStreamError&)> OnFileError;
  // Lists and parses the folder on the calling thread, without watching it
  // (for the command-line tool); the items are in place on return.
  void LoadFolder(const std::string& path);

  TMesgFileList& FileList() { return *FileList_; }

  void Insert(std::int32_t i, TObject* p) override;
  void Sort() override;
  std::int32_t Reposition(std::int32_t i) override;
  // The item's DisplayIndex when the display holds it there, else -1.
  std::int32_t IndexOf(const TObject* p) const override;

  // Moves the item's file to the trash; the item goes with the next
  // rescan. A failed move becomes the status text ("cannot delete").
  void DeleteMessage(std::int32_t i) override;
  TDropTarget QueryDropTarget() override;
  void Refresh() override;
  void SuspendRefresh() override;
  void ResumeRefresh() override;

  // Monitor thread: the headers of the item's file into its fields.
  void ParseFile(TMesgFileItem& item);
  void Renumber(std::int32_t from);
  // Removes a shown item from the display (it stays in the file list).
  void Withdraw(TMesgFileItem& item);

 protected:
  // The display never frees its items.
  void Notify(TObject* p, TListNotification action) override;

 private:
  std::unique_ptr<TMesgFileList> FileList_;
};

class TMesgFileList : public TMesgItems {
 public:
  static constexpr const char* kDefaultMask = "*.eml;*.msg";

  TMesgFileList(TMesgFileItems& display,
                std::chrono::milliseconds settleTime = std::chrono::milliseconds(300));
  ~TMesgFileList() override;

  TMesgFileItems& Display() { return Display_; }
  std::string Path() const;
  // Sets the path (the nearest existing folder above it when it is gone)
  // and asks the monitor for a full reload.
  void SetPath(const std::string& value);
  // Change-triggered rescans are skipped while suspended.
  void SetSuspended(bool value);
  bool Suspended() const;
  void RequestRescan();

  // Monitor jobs: the whole folder again, and a rescan after changes.
  void FullScan(TMonitorFolder& monitor);
  void Rescan(TMonitorFolder& monitor);
  void LoadNow(const std::string& path);

  // Both collections; items are freed.
  void Clear() override;
  int CompareItems(const TSyncItem* a, const TSyncItem* b) const override;
  int CompareKey(std::int32_t i) const override;

 private:
  TMonitorFolder& Monitor() const;
  bool FindExistingParent();
  // Clears both lists and loads the folder (or its nearest existing
  // parent); watches it when watch is set.
  void Load(TMonitorFolder* watch);
  void ScanFolder(const std::string& folder);
  void AddFile(const std::shared_ptr<const std::string>& folder, const TFileListing& entry);
  void ResetMarks();
  void RemoveVanished();
  void ParseChanged();
  void CheckPlan() const;

  TMesgFileItems& Display_;
  std::string Path_;       // guarded by the list's lock
  std::string SearchKey_;  // the loading thread's only
  std::atomic<bool> Suspended_{false};
  std::pair<dev_t, ino_t> Watched_{0, 0};  // the watched folder; monitor thread only
  TThreadRef Monitor_{nullptr};
};

}  // namespace quenby
