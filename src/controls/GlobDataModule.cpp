#include "controls/GlobDataModule.h"

#include <QAction>
#include <QApplication>
#include <QWidget>

namespace quenby {

TGlobDataModule::TGlobDataModule(QObject* parent) : QObject(parent) {
  // A member connection: it ends with the module.
  connect(qApp, &QApplication::focusChanged, this, [this] { UpdateActions(); });
}

void TGlobDataModule::AddRoutedAction(QAction* action) {
  Actions_.push_back(action);
  connect(action, &QAction::triggered, this, [this, action] { Execute(action); });
  connect(action, &QObject::destroyed, this, [this, action] { std::erase(Actions_, action); });
}

IActionTarget* TGlobDataModule::TargetOf(QWidget* widget) {
  for (; widget; widget = widget->parentWidget())
    if (auto* target = dynamic_cast<IActionTarget*>(widget)) return target;
  return nullptr;
}

bool TGlobDataModule::Execute(QAction* action) const {
  IActionTarget* target = TargetOf(QApplication::focusWidget());
  return target && target->ExecuteAction(action);
}

void TGlobDataModule::UpdateActions() const {
  IActionTarget* target = TargetOf(QApplication::focusWidget());
  for (QAction* action : Actions_)
    if (!target || !target->UpdateAction(action)) action->setEnabled(false);
}

}  // namespace quenby
