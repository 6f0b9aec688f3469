#include "app/CommonForm.h"

#include <QAction>
#include <QMenuBar>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QStatusBar>
#include <QTextBlock>
#include <QTextEdit>

#include "app/MailerApp.h"
#include "app/MesgPane.h"
#include "controls/FileError.h"
#include "controls/MenuTranslation.h"
#include "controls/MessageForm.h"
#include "model/mail/MesgItems.h"
#include "platform/Version.h"
#include "settings/FormatText.h"
#include "settings/GlobStrings.h"
#include "text/MimeMessage.h"

namespace quenby {

QString CaretPanelText(int line, int column) {
  return QString::asprintf("%6d:%3d", line, column);
}

TCommonForm::TCommonForm(TManagerForm& manager) : TTaskForm(manager) {
  Panel0_ = new QLabel(this);
  Panel0_->setObjectName(QStringLiteral("StatusPanel0"));
  Panel1_ = new QLabel(this);
  Panel1_->setObjectName(QStringLiteral("StatusPanel1"));
  Panel1_->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
  statusBar()->setObjectName(QStringLiteral("StatusBar"));
  statusBar()->addWidget(Panel0_, 1);
  statusBar()->addPermanentWidget(Panel1_);
}

void TCommonForm::InitCommonMenus() {
  TranslateMenu(menuBar());
  ConnectMenus();
  if (auto* item = findChild<QAction*>(QStringLiteral("mAbout")))
    connect(item, &QAction::triggered, this, &TCommonForm::ShowAbout);
}

void TCommonForm::UpdateStatusBar() {
  UpdateCaretPanel();
}

void TCommonForm::UpdateCaretPanel() {
  QWidget* focus = focusWidget();
  QTextCursor cursor;
  if (auto* edit = qobject_cast<QPlainTextEdit*>(focus))
    cursor = edit->textCursor();
  else if (auto* rich = qobject_cast<QTextEdit*>(focus))
    cursor = rich->textCursor();
  // The line is the paragraph: a wrapped paragraph stays one line, as in
  // the stored message.
  if (!ShowStatusBar() || cursor.isNull()) {
    Panel1_->clear();
    return;
  }
  Panel1_->setText(CaretPanelText(cursor.blockNumber() + 1, cursor.positionInBlock() + 1));
}

void TCommonForm::ActiveControlChanged(QWidget* control) {
  if (auto* edit = qobject_cast<QPlainTextEdit*>(control))
    connect(edit, &QPlainTextEdit::cursorPositionChanged, this, &TCommonForm::UpdateCaretPanel,
            Qt::UniqueConnection);
  else if (auto* rich = qobject_cast<QTextEdit*>(control))
    connect(rich, &QTextEdit::cursorPositionChanged, this, &TCommonForm::UpdateCaretPanel,
            Qt::UniqueConnection);
  UpdateCaretPanel();
}

bool TCommonForm::ShowItemInPane(TMesgItem* item, IMesgPane* pane) {
  if (!item || !pane) return true;
  TMimeMessage message;
  try {
    item->LoadMessage(message, false);
  } catch (...) {
    // The file is gone or the store changed: said, and the item stays unseen.
    ShowFailure(std::current_exception());
    return false;
  }
  pane->LoadMesg(message);
  item->BeginWrite();
  item->Flags |= mfSeen;
  item->EndWrite();
  return true;
}

void TCommonForm::ShowAbout() {
  const QString title = ToQString(SectionText(0, TLangSection::About));
  const QString version =
      ToQString(FormatText(SectionText(1, TLangSection::About), {TFormatArg(ProgramVersion())}));
  const QString label = ToQString(SectionText(2, TLangSection::About));
  QMessageBox::about(this, title,
                     QStringLiteral("<b>Quenby Mailer</b><br>%1<br><br>%2")
                         .arg(version.toHtmlEscaped(), label.toHtmlEscaped()));
}

}  // namespace quenby
