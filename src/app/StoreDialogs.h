#pragma once
// The file dialogs of the explorer window, behind a seam tests replace.

#include <QString>

class QWidget;

namespace quenby {

class IStoreDialogs {
 public:
  virtual ~IStoreDialogs() = default;
  // An empty result: cancelled. filter: Qt's "Name (*.a *.b)" form.
  virtual QString OpenFile(QWidget* parent, const QString& title, const QString& filter,
                           const QString& initial) = 0;
  virtual QString SaveFile(QWidget* parent, const QString& title, const QString& filter,
                           const QString& initial) = 0;
};

// Qt's own dialogs, which match the filter's patterns without regard to case.
class TQtStoreDialogs : public IStoreDialogs {
 public:
  QString OpenFile(QWidget* parent, const QString& title, const QString& filter,
                   const QString& initial) override;
  QString SaveFile(QWidget* parent, const QString& title, const QString& filter,
                   const QString& initial) override;
};

// The name an export writes: ".mbox" and ".mbx" (any case) stay, any other
// name gets ".mbox" appended, so that no part of the chosen name is lost.
QString MailboxExportName(const QString& chosen);

}  // namespace quenby
