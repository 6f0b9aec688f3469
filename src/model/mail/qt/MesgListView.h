#pragma once
// The message list: a virtual list view over a message collection, with
// one header column per entry of its column list, unread rows in bold and
// drafts in italics, the sort settings it hands to the collection, and the
// edit operations (copy, cut, paste, delete, drag) through the
// drag-and-drop service.

#include <QPoint>

#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "controls/VirtualListView.h"
#include "model/mail/MailColumns.h"
#include "model/mail/MesgItems.h"
#include "model/mail/qt/MesgDragService.h"
#include "settings/Persistent.h"

namespace quenby {

class TFolderTreeView;

class TMesgListView : public TVirtualListView, public TPersistent, public IIniHooks {
  Q_OBJECT

 public:
  explicit TMesgListView(QWidget* parent = nullptr);
  ~TMesgListView() override;

  static const TClassInfo& StaticInfo();
  const TClassInfo* ClassInfo() const override { return &StaticInfo(); }
  std::u16string GetSectionName() const override { return u"MesgListView"; }
  // Reads or writes the columns and the collection's published
  // properties in the caller's section.
  void DefineIniProperties(TIniFiler& filer, bool reading) override;

  TMesgItems& MesgItems() const { return static_cast<TMesgItems&>(Items()); }
  // The window's collection, given the view's sort order before it loads;
  // nullptr gives an empty one.
  void SetItems(std::unique_ptr<TMesgItems> items);

  const TMailColumnsList& Columns() const { return MailColumns_; }
  void SetColumns(const TMailColumnsList& columns);
  TMessageSort MessageSort() const { return MessageSort_; }
  void SetMessageSort(TMessageSort value);
  bool InvertSort() const { return InvertSort_; }
  void SetInvertSort(bool value);
  TDateTimeDetails DateTimeDetails() const;
  void SetDateTimeDetails(TDateTimeDetails value);
  // The key of the selected message; setting selects it now and after the
  // next reload.
  std::string MesgName() const { return SelectedKey(); }
  void SetMesgName(const std::string& key);
  // Links the folder tree whose selected folder this list shows.
  void SetFolderTree(TFolderTreeView* tree);

  // Which store the window shows: 0 in memory, 1 message files, 2 Outlook
  // Express, 4 a mailbox.
  static constexpr std::uint8_t kMemoryStore = 0, kMessageFiles = 1, kOutlookExpress = 2,
                                kMailboxStore = 4;
  std::uint8_t StoreKind = kMemoryStore;
  // Outlook Express stores are read-only.
  bool Modifiable() const { return StoreKind != kOutlookExpress; }

  std::function<void(TMesgListView*, TMesgItem*)> OnSelectMesg;  // under the read lock
  std::function<void(TMesgListView*, TMesgItem*)> OnOpenMesg;

  bool CanCopy() const;
  bool CanCut() const;
  bool CanPaste();  // asks the service, which queries the drop target
  bool CanDelete() const;
  bool CanSelectAll() const;
  void Copy();
  void Cut();
  void Paste();
  // The selected messages; a failure is shown and ends the deletion, the
  // messages deleted so far staying deleted.
  void DeleteSelection();

  TDropTarget DropTargetQuerry() { return MesgItems().QueryDropTarget(); }
  // The items of the last copy, cut or drag, held until the drag is done.
  const std::vector<TItemRef<TMesgItem>>& DragList() const { return DragList_; }

 protected:
  QString ItemText(const TVirtItem* item, std::int32_t column) const override;
  QVariant RowFont(std::int32_t row) const override;
  void SelectItem(TVirtItem* item) override;
  void ItemActivated(std::int32_t row) override;
  void customEvent(QEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;

 private:
  void RebuildHeader();
  void HeaderDragged();
  void ApplySortOrder();
  std::vector<std::int32_t> SelectedRows() const;
  // Fills the service's sink and DragList from the selection.
  void PrepareDrag(IMesgDragService& service);
  void CopyOrCut(bool move);
  void DragDone(std::uint32_t first, std::uint32_t second);
  void AnnounceCurrent();

  TMailColumnsList MailColumns_;
  TMessageSort MessageSort_ = msSubject;
  bool InvertSort_ = false;
  std::vector<TItemRef<TMesgItem>> DragList_;
  QPoint PressPos_;
  bool PressOnRow_ = false;

  // Read by the measuring thread as well: the type of each header column
  // by its order tag, and the date format.
  mutable std::mutex CellLock_;
  std::vector<TMailColumnType> TypeOfTag_;
  TDateTimeDetails DateTimeDetails_ = ddDateAndTime;
};

}  // namespace quenby
