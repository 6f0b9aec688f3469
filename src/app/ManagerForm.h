#pragma once
// The hidden manager of the task windows: it numbers them, keeps their
// Window menus in step, shares one font among them, and saves and restores
// the whole set with the options in options.ini. It is never shown and
// never listed among the task windows.

#include <QPointer>
#include <QString>
#include <QWidget>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "settings/SafeFileWriter.h"

namespace quenby {

class TIniFiler;
class TPersistent;
class TTaskForm;

// "TaskForm\%2d": below 10 a blank follows the backslash.
std::string TaskFormSection(int number);

class TManagerForm : public QWidget {
  Q_OBJECT

 public:
  using TWindowFactory = std::function<TTaskForm*(TManagerForm&)>;

  // options: what is written before the windows (sections "Options" and
  // "SpeechOptions"); may be null.
  TManagerForm(std::string optionsFile, TPersistent* options);
  ~TManagerForm() override;

  const std::string& OptionsFile() const { return OptionsFile_; }
  // Window classes that RestoreWindows can create, by their saved name.
  void RegisterWindowClass(const std::string& className, TWindowFactory factory);
  bool CanShowStores() const { return !Classes_.empty(); }

  void Register(TTaskForm* window);
  void Unregister(TTaskForm* window);
  const std::vector<TTaskForm*>& TaskWindows() const { return TaskWindows_; }
  void RenumberWindows();

  // Failures are shown for the options file; false when the save failed.
  bool SaveWindows();
  void RestoreWindows();
  void SaveWindowsAndExit();
  // The session ends (log-off, SIGTERM): save everything once. A session
  // end that is cancelled later leaves the ordinary closing rules in force.
  void SessionEnd();
  // A task window is about to close: the last one saves the set first.
  void WindowClosing(TTaskForm* window);
  // The application is quitting: no window's close saves any more.
  void SetTerminating() { Terminating_ = true; }
  bool ClosingAll() const { return ClosingAll_; }
  // Tests fail the options file's write part-way through this seam.
  void SetWriteFunction(TWriteFunction write) { Write_ = std::move(write); }

  const QString& FontName() const { return FontName_; }
  int FontSize() const { return FontSize_; }
  void SetFontName(const QString& name);  // empty: ignored
  void SetFontSize(int size);             // 0 or less: ignored
  void ApplyFont();

  // The most recently active task window comes to the front (a second
  // start asked for it); nothing when no task window exists.
  void ActivateInstance();
  TTaskForm* LastActiveWindow() const;

 signals:
  // The last task window is gone: the program ends.
  void LastWindowClosed();

 private:
  void RebuildWindowMenu(TTaskForm* window);
  void WriteGeometry(QWidget* window, TIniFiler& filer);
  void ReadGeometry(QWidget* window, TIniFiler& filer);
  void RestoreOne(TIniFiler& filer, int number);
  void FocusChanged(QWidget* old, QWidget* now);

  std::string OptionsFile_;
  TPersistent* Options_;
  std::map<std::string, TWindowFactory> Classes_;
  std::vector<TTaskForm*> TaskWindows_;
  QPointer<TTaskForm> LastActive_;
  QString FontName_;
  int FontSize_ = 8;
  bool ClosingAll_ = false;
  bool Terminating_ = false;
  bool Destroying_ = false;
  TWriteFunction Write_;
};

}  // namespace quenby
