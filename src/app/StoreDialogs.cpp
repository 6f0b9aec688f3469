#include "app/StoreDialogs.h"

#include <QFileDialog>
#include <QFileInfo>

namespace quenby {

QString TQtStoreDialogs::OpenFile(QWidget* parent, const QString& title, const QString& filter,
                                  const QString& initial) {
  return QFileDialog::getOpenFileName(parent, title, initial, filter, nullptr,
                                      QFileDialog::DontUseNativeDialog);
}

QString TQtStoreDialogs::SaveFile(QWidget* parent, const QString& title, const QString& filter,
                                  const QString& initial) {
  return QFileDialog::getSaveFileName(parent, title, initial, filter, nullptr,
                                      QFileDialog::DontUseNativeDialog);
}

QString MailboxExportName(const QString& chosen) {
  const QString suffix = QFileInfo(chosen).suffix().toLower();
  if (suffix == QLatin1String("mbox") || suffix == QLatin1String("mbx")) return chosen;
  return chosen + QStringLiteral(".mbox");
}

}  // namespace quenby
