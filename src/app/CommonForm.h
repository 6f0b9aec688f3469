#pragma once
// The base of the mail windows: the shared menus (options, filters, help,
// About), the translated main menu, the status bar's caret panel, and
// showing a message item in a message pane.

#include <QLabel>
#include <QString>

#include "app/TaskForm.h"

namespace quenby {

class IMesgPane;
class TMesgItem;

// Panel text: the line right-aligned in six places, a colon, the column
// in three (both counted from 1).
QString CaretPanelText(int line, int column);

class TCommonForm : public TTaskForm {
  Q_OBJECT

 public:
  explicit TCommonForm(TManagerForm& manager);

  // Parses the item's stored message into the pane and marks the item seen.
  // A message that cannot be read is reported and stays unseen; false then.
  // Nothing (true) when either is missing.
  static bool ShowItemInPane(TMesgItem* item, IMesgPane* pane);

  virtual void UpdateStatusBar();
  void UpdateCaretPanel();

  QLabel* StatusPanel(int index) const { return index == 0 ? Panel0_ : Panel1_; }
  void ActiveControlChanged(QWidget* control) override;

 protected:
  // Once the derived window's menus exist: translates them and connects
  // the shared items it finds by name.
  void InitCommonMenus();
  void UpdateStatus() override { UpdateStatusBar(); }

 private:
  void ShowAbout();

  QLabel* Panel0_ = nullptr;
  QLabel* Panel1_ = nullptr;
};

}  // namespace quenby
