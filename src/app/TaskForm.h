#pragma once
// A task window: an independent top-level window with its own task bar
// entry and a numbered caption, registered with the manager for as long as
// it lives. Derived windows name their class (the name options.ini stores)
// and add their own settings through DefineIniProperties.

#include <QMainWindow>
#include <QString>
#include <string>

class QStatusBar;
class QToolBar;

namespace quenby {

class TIniFiler;
class TManagerForm;

class TTaskForm : public QMainWindow {
  Q_OBJECT

 public:
  // Registers the window. Its caption is read only when the manager
  // renumbers: a derived window calls Manager().RenumberWindows() once its
  // caption is known (RestoreWindows does so at its end).
  explicit TTaskForm(TManagerForm& manager);
  ~TTaskForm() override;

  TManagerForm& Manager() const { return Manager_; }

  // The name under which the window class is registered and saved.
  virtual std::string ClassName() const = 0;
  virtual QString GetTaskCaption() const { return {}; }
  virtual TTaskForm* NewWindow() { return nullptr; }
  virtual bool IsSaved() const { return true; }
  // May the window close now (a window with unsaved work asks the user).
  virtual bool CanClose() { return true; }
  // The window's own keys after its geometry in its options.ini section.
  virtual void DefineIniProperties(TIniFiler& /*filer*/, bool /*reading*/) {}

  // Connects the menu items the window has by name (mSaveWindowsAndExit,
  // mExit, mFont) and sets up its bars; derived windows call it once their
  // menus and bars exist.
  void ConnectMenus();
  void ChooseFont();

  // The bars a derived window names "ToolBar" and "StatusBar"; the flags
  // stand also while a window has no such bar.
  bool ShowToolbar() const { return ShowToolbar_; }
  void SetShowToolbar(bool show);
  bool ShowStatusBar() const { return ShowStatusBar_; }
  void SetShowStatusBar(bool show);

  // The focused control inside this window, while it is the active one,
  // changed.
  virtual void ActiveControlChanged(QWidget* /*control*/) {}

 protected:
  // Refreshes the status texts; posted to the window when its status bar
  // is shown or hidden.
  virtual void UpdateStatus() {}

  bool event(QEvent* event) override;
  void changeEvent(QEvent* event) override;
  void closeEvent(QCloseEvent* event) override;

 private:
  QToolBar* ToolBar() const;
  QStatusBar* StatusBar() const;
  void FitStatusBar();

  TManagerForm& Manager_;
  bool ShowToolbar_ = false;
  bool ShowStatusBar_ = true;
};

// The status bar's height for a font of the given point size.
int StatusBarHeight(int fontPointSize);

}  // namespace quenby
