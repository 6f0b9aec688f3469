#pragma once
// What a message list view needs of the drag-and-drop service: the
// clipboard, pasting, starting a drag and its data. The service itself is
// installed once by the program; until then the view offers none of the
// operations that need it.

#include "model/mail/MesgDrag.h"

namespace quenby {

class TMesgListView;

class IMesgDragService {
 public:
  virtual ~IMesgDragService() = default;
  // False while a drag or a paste is under way.
  virtual bool IsIdle() const = 0;
  // Receives the files of the next copy, cut or drag (PrepareDrag).
  virtual IMesgDragSink& DragSink() = 0;
  // The prepared files, as real files (message files) or written out first.
  virtual void CopyToClipboard(bool realFiles, bool move) = 0;
  virtual void StartDrag(TMesgListView& source, bool realFiles) = 0;
  // Whether the clipboard holds something the view's drop target accepts.
  virtual bool CanPaste(TMesgListView& target) = 0;
  virtual void Paste(TMesgListView& target) = 0;
  virtual void ClearDragData() = 0;
};

// Not owned; nullptr uninstalls. GUI thread.
void SetMesgDragService(IMesgDragService* service);
IMesgDragService* MesgDragService();

}  // namespace quenby
