#include "controls/QtOptionsDialogs.h"

#include <QApplication>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>

#include "controls/FileError.h"
#include "controls/MessageForm.h"

namespace quenby {

// Before any language is loaded: the platform's own box, still plain text.
void TQtOptionsDialogs::ErrorBox(const std::u16string& text) {
  QMessageBox box(QMessageBox::Critical, QStringLiteral("Quenby Mailer"), ToQString(text),
                  QMessageBox::Ok, QApplication::activeWindow());
  box.setTextFormat(Qt::PlainText);
  box.exec();
}

void TQtOptionsDialogs::ShowError(const std::u16string& text) {
  quenby::ShowError(ToQString(text));
}

void TQtOptionsDialogs::ShowFileError(const std::string& path, std::exception_ptr failure) {
  quenby::ShowFileError(path, std::move(failure));
}

std::optional<std::string> TQtOptionsDialogs::OpenFile(const std::string& preset) {
  const QString file =
      QFileDialog::getOpenFileName(QApplication::activeWindow(), {}, QString::fromStdString(preset),
                                   QStringLiteral("All files (*)"));
  if (file.isEmpty()) return std::nullopt;
  return file.toStdString();
}

std::optional<std::string> TQtOptionsDialogs::BrowseForFolder(const std::u16string& title,
                                                              const std::string& preset) {
  const QString start = QFileInfo(QString::fromStdString(preset)).isDir()
                            ? QString::fromStdString(preset)
                            : QString();
  const QString folder = QFileDialog::getExistingDirectory(
      QApplication::activeWindow(), ToQString(title), start, QFileDialog::ShowDirsOnly);
  if (folder.isEmpty()) return std::nullopt;
  return folder.toStdString();
}

}  // namespace quenby
