#include "app/TaskForm.h"

#include <QAction>
#include <QCloseEvent>
#include <QFontDialog>

#include "app/ManagerForm.h"

namespace quenby {

TTaskForm::TTaskForm(TManagerForm& manager) : QMainWindow(nullptr), Manager_(manager) {
  // Parentless: each task window has its own task bar entry; closing frees it.
  setAttribute(Qt::WA_DeleteOnClose);
  setFont(manager.font());
  Manager_.Register(this);
}

TTaskForm::~TTaskForm() {
  Manager_.Unregister(this);
}

void TTaskForm::ConnectMenus() {
  if (auto* item = findChild<QAction*>(QStringLiteral("mSaveWindowsAndExit")))
    connect(item, &QAction::triggered, &Manager_, &TManagerForm::SaveWindowsAndExit);
  if (auto* item = findChild<QAction*>(QStringLiteral("mExit")))
    connect(item, &QAction::triggered, this, &QWidget::close);
  if (auto* item = findChild<QAction*>(QStringLiteral("mFont")))
    connect(item, &QAction::triggered, this, &TTaskForm::ChooseFont);
}

void TTaskForm::ChooseFont() {
  bool confirmed = false;
  QFont chosen = QFontDialog::getFont(&confirmed, font(), this);
  if (!confirmed) return;
  // Only family and size are kept; pointSize() is -1 for pixel-sized fonts.
  Manager_.SetFontName(chosen.family());
  Manager_.SetFontSize(qRound(chosen.pointSizeF()));
}

void TTaskForm::closeEvent(QCloseEvent* event) {
  Manager_.WindowClosing(this);
  QMainWindow::closeEvent(event);
}

}  // namespace quenby
