#include "app/TaskForm.h"

#include <QAction>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QFontDialog>
#include <QStatusBar>
#include <QToolBar>

#include "app/ManagerForm.h"
#include "model/ItemsView.h"

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
  SetShowToolbar(ShowToolbar_);
  if (QStatusBar* bar = StatusBar()) bar->setVisible(ShowStatusBar_);
  FitStatusBar();
}

void TTaskForm::ChooseFont() {
  bool confirmed = false;
  QFont chosen = QFontDialog::getFont(&confirmed, font(), this);
  if (!confirmed) return;
  // Only family and size are kept; pointSize() is -1 for pixel-sized fonts.
  Manager_.SetFontName(chosen.family());
  Manager_.SetFontSize(qRound(chosen.pointSizeF()));
}

int StatusBarHeight(int fontPointSize) {
  return (21 * fontPointSize + 4) / 8;
}

QToolBar* TTaskForm::ToolBar() const {
  return findChild<QToolBar*>(QStringLiteral("ToolBar"));
}

QStatusBar* TTaskForm::StatusBar() const {
  return findChild<QStatusBar*>(QStringLiteral("StatusBar"));
}

void TTaskForm::SetShowToolbar(bool show) {
  ShowToolbar_ = show;
  if (QToolBar* bar = ToolBar()) bar->setVisible(show);
}

void TTaskForm::SetShowStatusBar(bool show) {
  ShowStatusBar_ = show;
  if (QStatusBar* bar = StatusBar()) bar->setVisible(show);
  QCoreApplication::postEvent(this, new QEvent(static_cast<QEvent::Type>(WM_UPDATE_STATUS)));
}

void TTaskForm::FitStatusBar() {
  if (QStatusBar* bar = StatusBar())
    bar->setFixedHeight(StatusBarHeight(qRound(font().pointSizeF())));
}

bool TTaskForm::event(QEvent* event) {
  if (event->type() == static_cast<QEvent::Type>(WM_UPDATE_STATUS)) {
    UpdateStatus();
    return true;
  }
  return QMainWindow::event(event);
}

void TTaskForm::changeEvent(QEvent* event) {
  if (event->type() == QEvent::FontChange) FitStatusBar();
  QMainWindow::changeEvent(event);
}

void TTaskForm::closeEvent(QCloseEvent* event) {
  Manager_.WindowClosing(this);
  QMainWindow::closeEvent(event);
}

}  // namespace quenby
