#pragma once
// A Unix mailbox (.mbox, .mbx, Eudora's included) read whole into memory
// on a worker thread, and the mailbox writer. Items are keyed by the byte
// offset of their separator line, which stays the same across loads.

#include <string>
#include <vector>

#include "model/ExtThread.h"
#include "stores/MemMesgItems.h"

namespace quenby {

class TUnixMesgItems : public TMemMesgItems {
 public:
  TUnixMesgItems() = default;
  // A running load is broken off: nothing of it outlives the list.
  ~TUnixMesgItems() override;

  const std::string& MBoxFileName() const { return MBoxFileName_; }
  // Clears the list and loads the file on a worker thread. Ignored for a
  // file that does not exist and while a load runs.
  void SetMBoxFileName(const std::string& path);
  bool Loading() const { return LoadThread_.load() != nullptr; }

 private:
  TThreadRef LoadThread_{nullptr};
  std::string MBoxFileName_;  // under the write lock
};

// Adds every message of the mailbox to items, headers parsed, each item's
// text being every line followed by CR LF. Nothing for a missing file; a
// binary mailbox of the older kind raises the stream error. A message whose
// headers cannot be read is left out (HandleLoadError); any other error
// ends the load, keeping what was read. thread: checked for a break after
// each message (may be null).
void LoadMailbox(TMemMesgItems& items, const std::string& path, TExtThread* thread = nullptr);

// Raised by WriteMailbox for a mailbox list that is still loading; what()
// is the language file's text.
class EExportRefused : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Writes every item, in list order, as a mailbox file: "From sender date",
// the message, then an empty line unless the message ends with one; body
// lines that begin with "From " after any number of ">" get one more ">".
// The old file is kept as the ".~" backup and replaced through a temporary
// file, so a failure (EStreamError naming path) leaves it in place. Nothing
// for an empty path.
void WriteMailbox(const TMesgItems& items, const std::string& path);
// The same for items in the given order, which the caller keeps alive.
void WriteMailbox(const std::vector<const TMesgItem*>& items, const std::string& path);

}  // namespace quenby
