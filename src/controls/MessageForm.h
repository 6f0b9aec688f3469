#pragma once
// The one message box of the program: an icon, the message as plain text
// (subjects and paths reach it, never markup), buttons whose texts come
// from the language file, proportions nudged towards 162:100, and Ctrl+C
// copying the whole box as text.
//
// Headless runs answer boxes without a person: SetMessageBoxAnswerer, or
// QUENBY_MESSAGE_BOX_ANSWER=default|cancel in the environment.

#include <QDialog>
#include <QString>
#include <functional>
#include <string>
#include <vector>

#include "settings/GlobStrings.h"

class QLabel;
class QPushButton;

namespace quenby {

enum class TMsgDlgType { Warning, Error, Information, Confirmation, Custom };

// In the fixed numbering of the language file's button texts.
enum class TMsgDlgBtn { Yes, No, Ok, Cancel, Abort, Retry, Ignore, All, NoToAll, YesToAll, Help };

enum TModalResult : int {
  mrNone = 0,
  mrOk = 1,
  mrCancel = 2,
  mrAbort = 3,
  mrRetry = 4,
  mrIgnore = 5,
  mrYes = 6,
  mrNo = 7,
  mrAll = 8,
  mrNoToAll = 9,
  mrYesToAll = 10,
};

class TTntMessageForm : public QDialog {
  Q_OBJECT

 public:
  TTntMessageForm(const QString& message, TMsgDlgType kind, const std::vector<TMsgDlgBtn>& buttons,
                  QWidget* parent = nullptr);

  QLabel* MessageLabel() const { return MessageLabel_; }
  QPushButton* Button(TMsgDlgBtn button) const;  // nullptr when not listed
  bool HasIcon() const { return HasIcon_; }
  // The result of Enter and of Escape or the close button.
  int DefaultResult() const { return DefaultResult_; }
  int CancelResult() const { return CancelResult_; }
  QString ClipboardText() const;

  void reject() override;  // Escape and the close button give the cancel result

 protected:
  void keyPressEvent(QKeyEvent* event) override;

 private:
  QLabel* MessageLabel_ = nullptr;
  std::vector<std::pair<TMsgDlgBtn, QPushButton*>> Buttons_;
  bool HasIcon_ = false;
  int DefaultResult_ = mrNone;
  int CancelResult_ = mrCancel;
};

// Answers every box instead of a person (tests); empty restores the
// ordinary modal box.
using TMessageBoxAnswerer = std::function<int(const TTntMessageForm&)>;
void SetMessageBoxAnswerer(TMessageBoxAnswerer answerer);

// left and top place the box when >= 0; with neither it is centred.
int MessageDialogPos(const QString& message, TMsgDlgType kind,
                     const std::vector<TMsgDlgBtn>& buttons, int top = -1, int left = -1);
int MessageDialog(const QString& message, TMsgDlgType kind, const std::vector<TMsgDlgBtn>& buttons);

void ShowError(const QString& message);
void ShowErrorById(std::int32_t id, TLangSection section);
// The "Error" text id and, on the next line, the detail (inserted as it
// is: a path's "/n" stays).
void ShowErrorDetail(std::int32_t id, const QString& detail);
void ShowInfo(const QString& message);
void ShowInfoById(std::int32_t id, TLangSection section);
int AskYesNoCancel(const QString& message);
int AskRetryIgnoreCancel(const QString& message);

inline QString ToQString(const std::u16string& text) {
  return QString::fromStdU16String(text);
}

}  // namespace quenby
