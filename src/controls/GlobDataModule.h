#pragma once
// The data module base: shared actions that no window handled are offered
// to the control that has the focus. Qt has no application-wide action
// handlers, so the module does it: Execute walks from the focus widget up
// to the first IActionTarget that takes the action, and the enabled state
// is refreshed when the focus moves.

#include <QObject>
#include <vector>

#include "settings/Options.h"

class QAction;
class QWidget;

namespace quenby {

class IActionTarget {
 public:
  virtual ~IActionTarget() = default;
  // True when the control executed (or updated) the action.
  virtual bool ExecuteAction(QAction* action) = 0;
  virtual bool UpdateAction(QAction* action) = 0;
};

class TGlobDataModule : public QObject, public TOptionsCompanion {
  Q_OBJECT

 public:
  explicit TGlobDataModule(QObject* parent = nullptr);

  // The action is routed to the focused control when triggered.
  void AddRoutedAction(QAction* action);
  bool Execute(QAction* action) const;
  void UpdateActions() const;

 private:
  static IActionTarget* TargetOf(QWidget* widget);
  std::vector<QAction*> Actions_;
};

}  // namespace quenby
