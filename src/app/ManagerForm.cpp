#include "app/ManagerForm.h"

#include <QAction>
#include <QApplication>
#include <QGuiApplication>
#include <QMenu>
#include <QScreen>
#include <algorithm>
#include <cstdio>

#include "app/TaskForm.h"
#include "controls/FileError.h"
#include "settings/IniFiler.h"
#include "settings/Persistent.h"

namespace quenby {

namespace {

constexpr const char* kManagerSection = "TaskForm\\ManagerForm";
// A damaged FormsCount must not make the restore walk forever.
constexpr std::int64_t kMaxSavedWindows = 1000;

QString MenuText(QString text) {
  // A caption with "&" (a subject, a folder) must not become a mnemonic.
  return text.replace(QLatin1Char('&'), QStringLiteral("&&"));
}

void BringToFront(QWidget* window) {
  if (window->isMinimized()) window->showNormal();
  window->raise();
  window->activateWindow();
}

}  // namespace

std::string TaskFormSection(int number) {
  char name[32];
  std::snprintf(name, sizeof name, "TaskForm\\%2d", number);
  return name;
}

TManagerForm::TManagerForm(std::string optionsFile, TPersistent* options)
    : OptionsFile_(std::move(optionsFile)), Options_(options) {
  setObjectName(QStringLiteral("ManagerForm"));
  // Until a size is saved the desktop's own font size stands: the old
  // default of 8 points would shrink the program on Linux desktops.
  if (const int size = qRound(font().pointSizeF()); size > 0) FontSize_ = size;
  if (auto* app = qobject_cast<QApplication*>(QCoreApplication::instance()))
    connect(app, &QApplication::focusChanged, this, &TManagerForm::FocusChanged);
}

TManagerForm::~TManagerForm() {
  Destroying_ = true;
  // Windows outliving the manager must not call back into it.
  for (TTaskForm* window : std::vector<TTaskForm*>(TaskWindows_)) delete window;
}

void TManagerForm::RegisterWindowClass(const std::string& className, TWindowFactory factory) {
  Classes_[className] = std::move(factory);
}

void TManagerForm::Register(TTaskForm* window) {
  if (Destroying_ || !window) return;
  if (std::find(TaskWindows_.begin(), TaskWindows_.end(), window) != TaskWindows_.end()) return;
  TaskWindows_.push_back(window);
  RenumberWindows();
}

void TManagerForm::Unregister(TTaskForm* window) {
  if (Destroying_) return;
  auto found = std::find(TaskWindows_.begin(), TaskWindows_.end(), window);
  if (found == TaskWindows_.end()) return;
  TaskWindows_.erase(found);
  if (!TaskWindows_.empty())
    RenumberWindows();
  else
    emit LastWindowClosed();
}

void TManagerForm::RenumberWindows() {
  for (std::size_t i = 0; i < TaskWindows_.size(); ++i)
    TaskWindows_[i]->setWindowTitle(
        QStringLiteral("Quenby Mailer %1: %2").arg(i + 1).arg(TaskWindows_[i]->GetTaskCaption()));
  for (TTaskForm* window : TaskWindows_) RebuildWindowMenu(window);
}

void TManagerForm::RebuildWindowMenu(TTaskForm* window) {
  auto* menu = window->findChild<QMenu*>(QStringLiteral("WindowMenu"));
  if (!menu) return;
  QList<QAction*> items = menu->actions();
  while (items.size() > static_cast<qsizetype>(TaskWindows_.size())) {
    QAction* last = items.takeLast();
    menu->removeAction(last);
    delete last;
  }
  while (items.size() < static_cast<qsizetype>(TaskWindows_.size())) {
    auto* item = menu->addAction(QString());
    connect(item, &QAction::triggered, this, [this, item] {
      // The item refers to its window by a guarded pointer: a window
      // closed meanwhile is simply not raised.
      auto* target = qobject_cast<TTaskForm*>(item->data().value<QObject*>());
      if (!target ||
          std::find(TaskWindows_.begin(), TaskWindows_.end(), target) == TaskWindows_.end())
        return;
      BringToFront(target);
    });
    items.append(item);
  }
  for (std::size_t i = 0; i < TaskWindows_.size(); ++i) {
    items[static_cast<qsizetype>(i)]->setText(
        MenuText(QStringLiteral("%1. %2").arg(i + 1).arg(TaskWindows_[i]->GetTaskCaption())));
    items[static_cast<qsizetype>(i)]->setData(
        QVariant::fromValue(static_cast<QObject*>(TaskWindows_[i])));
  }
}

void TManagerForm::WriteGeometry(QWidget* window, TIniFiler& filer) {
  // Left and Top are the frame's position, the sizes the client area's:
  // pos() and size(), never geometry(), or windows drift by the frame.
  filer.IniFile().WriteInteger(filer.Section(), "Left", window->pos().x());
  filer.IniFile().WriteInteger(filer.Section(), "Top", window->pos().y());
  filer.IniFile().WriteInteger(filer.Section(), "ClientWidth", window->width());
  filer.IniFile().WriteInteger(filer.Section(), "ClientHeight", window->height());
  if (auto* task = qobject_cast<TTaskForm*>(window)) task->DefineIniProperties(filer, false);
}

void TManagerForm::ReadGeometry(QWidget* window, TIniFiler& filer) {
  const TIniFile& file = filer.IniFile();
  const std::string& section = filer.Section();
  int left = static_cast<int>(file.ReadInteger(section, "Left", window->pos().x()));
  int top = static_cast<int>(file.ReadInteger(section, "Top", window->pos().y()));
  int width = static_cast<int>(std::clamp<std::int64_t>(
      file.ReadInteger(section, "ClientWidth", window->width()), 1, 100000));
  int height = static_cast<int>(std::clamp<std::int64_t>(
      file.ReadInteger(section, "ClientHeight", window->height()), 1, 100000));
  // A window saved on a monitor that is gone comes back on the screen.
  if (QScreen* screen = QGuiApplication::primaryScreen()) {
    QRect area = screen->availableGeometry();
    width = std::min(width, area.width());
    height = std::min(height, area.height());
    left = std::clamp(left, area.left(), std::max(area.left(), area.right() - width + 1));
    top = std::clamp(top, area.top(), std::max(area.top(), area.bottom() - height + 1));
  }
  window->move(left, top);
  window->resize(width, height);
  if (auto* task = qobject_cast<TTaskForm*>(window)) task->DefineIniProperties(filer, true);
}

bool TManagerForm::SaveWindows() {
  // The file is built whole in memory and replaces the old one in one
  // rename, the old one kept as the ".~" backup: a failed save leaves the
  // previous options.ini intact, never a partial or missing one.
  try {
    TIniFiler filer(OptionsFile_, TIniFilerMode::Rewrite);
    if (Write_) filer.IniFile().SetWriteFunction(Write_);
    if (Options_) filer.WriteObject(Options_);
    filer.SetSection(kManagerSection);
    WriteGeometry(this, filer);
    filer.WriteValue("FontName", FontName_.toStdString());
    filer.IniFile().WriteInteger(kManagerSection, "FontSize", FontSize_);
    int saved = 0;
    for (TTaskForm* window : TaskWindows_) {
      if (!window->IsSaved()) continue;
      filer.SetSection(TaskFormSection(saved));
      filer.WriteValue("ClassName", window->ClassName());
      WriteGeometry(window, filer);
      ++saved;
    }
    filer.IniFile().WriteInteger(kManagerSection, "FormsCount", saved);
    filer.UpdateFile();
    return true;
  } catch (...) {
    ShowFileError(OptionsFile_, std::current_exception());
    return false;
  }
}

void TManagerForm::RestoreOne(TIniFiler& filer, int number) {
  filer.SetSection(TaskFormSection(number));
  auto found = Classes_.find(filer.ReadValue("ClassName"));
  if (found == Classes_.end()) return;  // a class this build lacks: skipped silently
  QPointer<TTaskForm> window = found->second(*this);
  if (!window) return;
  try {
    window->show();
    ReadGeometry(window, filer);
  } catch (...) {
    // The window that failed goes; the others still restore, and the next
    // save keeps them.
    delete window.data();
    throw;
  }
}

void TManagerForm::RestoreWindows() {
  try {
    TIniFiler filer(OptionsFile_);
    if (Options_) filer.ReadObject(Options_);
    filer.SetSection(kManagerSection);
    ReadGeometry(this, filer);
    hide();
    SetFontName(QString::fromStdString(filer.ReadValue("FontName")));
    SetFontSize(static_cast<int>(std::clamp<std::int64_t>(
        filer.IniFile().ReadInteger(kManagerSection, "FontSize", FontSize_), 0, 1000)));
    const std::int64_t count =
        std::min(filer.IniFile().ReadInteger(kManagerSection, "FormsCount", 0), kMaxSavedWindows);
    for (int i = 0; i < count; ++i) {
      try {
        RestoreOne(filer, i);
      } catch (...) {
        ShowFileError(OptionsFile_, std::current_exception());
      }
    }
  } catch (...) {
    ShowFileError(OptionsFile_, std::current_exception());
  }
  RenumberWindows();
}

void TManagerForm::SaveWindowsAndExit() {
  ClosingAll_ = true;
  SaveWindows();
  // Each close unregisters its window: walk a guarded copy, last first.
  std::vector<QPointer<TTaskForm>> windows(TaskWindows_.begin(), TaskWindows_.end());
  for (auto it = windows.rbegin(); it != windows.rend(); ++it) {
    if (!*it) continue;
    if (!(*it)->CanClose()) {
      ClosingAll_ = false;
      return;
    }
    (*it)->close();
  }
}

void TManagerForm::SessionEnd() {
  ClosingAll_ = true;
  SaveWindows();
  // Linux lets a logout be cancelled after the save; the windows then go
  // on by the ordinary rules. A real end quits and sets Terminating.
  ClosingAll_ = false;
}

void TManagerForm::WindowClosing(TTaskForm* window) {
  if (ClosingAll_ || Terminating_ || TaskWindows_.empty()) return;
  if (TaskWindows_.size() == 1 && TaskWindows_.front() == window) SaveWindows();
}

void TManagerForm::SetFontName(const QString& name) {
  if (name.isEmpty()) return;
  FontName_ = name;
  ApplyFont();
}

void TManagerForm::SetFontSize(int size) {
  if (size <= 0) return;
  FontSize_ = size;
  ApplyFont();
}

void TManagerForm::ApplyFont() {
  QFont font = this->font();
  if (!FontName_.isEmpty()) font.setFamily(FontName_);
  font.setPointSize(FontSize_);
  setFont(font);
  for (TTaskForm* window : TaskWindows_)
    if (!window->isModal()) window->setFont(font);
}

TTaskForm* TManagerForm::LastActiveWindow() const {
  if (LastActive_ &&
      std::find(TaskWindows_.begin(), TaskWindows_.end(), LastActive_.data()) != TaskWindows_.end())
    return LastActive_;
  return TaskWindows_.empty() ? nullptr : TaskWindows_.back();
}

void TManagerForm::ActivateInstance() {
  if (TTaskForm* window = LastActiveWindow()) BringToFront(window);
}

void TManagerForm::FocusChanged(QWidget* /*old*/, QWidget* now) {
  if (!now) return;
  auto* window = qobject_cast<TTaskForm*>(now->window());
  if (!window || std::find(TaskWindows_.begin(), TaskWindows_.end(), window) == TaskWindows_.end())
    return;
  LastActive_ = window;
  if (QApplication::activeWindow() == window) window->ActiveControlChanged(now);
}

}  // namespace quenby
