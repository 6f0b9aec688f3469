#include "controls/MenuTranslation.h"

#include <QAction>
#include <QMenu>
#include <QVariant>
#include <QWidget>

#include "controls/MessageForm.h"
#include "settings/GlobStrings.h"

namespace quenby {

namespace {

QString ItemName(const QAction* action) {
  const QVariant property = action->property("itemName");
  if (property.isValid()) return property.toString();
  if (!action->objectName().isEmpty()) return action->objectName();
  return action->menu() ? action->menu()->objectName() : QString();
}

QAction* FindItem(const QWidget* menu, const QString& key) {
  for (QAction* action : menu->actions()) {
    if (ItemName(action).toUpper().contains(key)) return action;
    if (action->menu())
      if (QAction* found = FindItem(action->menu(), key)) return found;
  }
  return nullptr;
}

}  // namespace

void TranslateMenu(QWidget* menu) {
  if (!menu || !MenuTranslation()) return;
  const auto table = GlobStrings();
  const std::int64_t section = table->SectionIndex(TLangSection::Menu);
  if (section < 0) return;
  const TIniSection& s = table->Sections()[static_cast<std::size_t>(section)];
  // Named entries follow the numbered ones; sorting keeps the file's order
  // among equal keys only, so "in table order" is the table's sorted order.
  for (std::int64_t i = s.FirstEntry + s.NumberedCount; i < s.FirstEntry + s.EntryCount; ++i) {
    const TIniItem& entry = table->Entry(i);
    if (QAction* item = FindItem(menu, ToQString(entry.KeyName).toUpper()))
      item->setText(ToQString(entry.EntryText));
  }
}

}  // namespace quenby
