#include "controls/MessageForm.h"

#include <QApplication>
#include <QClipboard>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QStyle>
#include <cstdlib>

#include "controls/MessageLayout.h"

namespace quenby {

namespace {

struct TButtonInfo {
  const lang::TLangKey* Key;
  int Result;
};

const TButtonInfo& InfoOf(TMsgDlgBtn button) {
  static const TButtonInfo kButtons[] = {
      {&lang::common::Yes, mrYes},       {&lang::common::No, mrNo},
      {&lang::common::Ok, mrOk},         {&lang::common::Cancel, mrCancel},
      {&lang::common::Abort, mrAbort},   {&lang::common::Retry, mrRetry},
      {&lang::common::Ignore, mrIgnore}, {&lang::common::All, mrAll},
      {&lang::common::NoAll, mrNoToAll}, {&lang::common::YesAll, mrYesToAll},
      {&lang::common::Help, mrNone}};
  return kButtons[static_cast<int>(button)];
}

QString CaptionOf(TMsgDlgType kind) {
  switch (kind) {
    case TMsgDlgType::Warning: return ToQString(LangText(lang::common::Warning));
    case TMsgDlgType::Error: return ToQString(LangText(lang::common::Error));
    case TMsgDlgType::Information: return ToQString(LangText(lang::common::Information));
    case TMsgDlgType::Confirmation: return ToQString(LangText(lang::common::Confirm));
    case TMsgDlgType::Custom: break;
  }
  return QApplication::applicationDisplayName();
}

QStyle::StandardPixmap IconOf(TMsgDlgType kind) {
  switch (kind) {
    case TMsgDlgType::Warning: return QStyle::SP_MessageBoxWarning;
    case TMsgDlgType::Error: return QStyle::SP_MessageBoxCritical;
    case TMsgDlgType::Information: return QStyle::SP_MessageBoxInformation;
    default: return QStyle::SP_MessageBoxQuestion;
  }
}

bool Listed(const std::vector<TMsgDlgBtn>& buttons, TMsgDlgBtn button) {
  return std::find(buttons.begin(), buttons.end(), button) != buttons.end();
}

QString WithoutAccelerators(QString text) {
  // "&&" is a literal ampersand; a single "&" marks the accelerator.
  text.replace(QStringLiteral("&&"), QStringLiteral("\x01"));
  text.remove(QLatin1Char('&'));
  text.replace(QLatin1Char('\x01'), QLatin1Char('&'));
  return text;
}

TMessageBoxAnswerer& Answerer() {
  static TMessageBoxAnswerer answerer;
  return answerer;
}

// The environment's answer for scripted runs: "default" or "cancel".
bool EnvironmentAnswer(const TTntMessageForm& form, int& result) {
  const char* answer = std::getenv("QUENBY_MESSAGE_BOX_ANSWER");
  if (!answer) return false;
  const QLatin1String text(answer);
  if (text == QLatin1String("default"))
    result = form.DefaultResult();
  else if (text == QLatin1String("cancel"))
    result = form.CancelResult();
  else
    return false;
  return true;
}

}  // namespace

TTntMessageForm::TTntMessageForm(const QString& message, TMsgDlgType kind,
                                 const std::vector<TMsgDlgBtn>& buttons, QWidget* parent)
    : QDialog(parent ? parent : QApplication::activeWindow()) {
  setObjectName(QStringLiteral("MessageForm"));
  const QWidget* main = parentWidget();
  setFont(main ? main->font() : QApplication::font("QMessageBox"));
  setLayoutDirection(QApplication::layoutDirection());
  setWindowTitle(CaptionOf(kind));
  HasIcon_ = kind != TMsgDlgType::Custom;

  const QFontMetrics metrics(font());
  const QScreen* screen = QApplication::primaryScreen();
  const int screenWidth = screen ? screen->geometry().width() : 800;
  const int textBox = MulDiv(100, screenWidth, 162);

  MessageLabel_ = new QLabel(this);
  MessageLabel_->setObjectName(QStringLiteral("Message"));
  MessageLabel_->setTextFormat(Qt::PlainText);
  MessageLabel_->setWordWrap(true);
  MessageLabel_->setText(message);
  const QRect text =
      metrics.boundingRect(QRect(0, 0, textBox, 0), Qt::TextWordWrap | Qt::TextExpandTabs, message);

  int widestButton = 0;
  for (const TMsgDlgBtn button : buttons) {
    auto* push = new QPushButton(ToQString(LangText(*InfoOf(button).Key)), this);
    push->setAutoDefault(false);
    widestButton =
        std::max(widestButton, metrics.horizontalAdvance(WithoutAccelerators(push->text())));
    Buttons_.emplace_back(button, push);
  }

  TMessageLayoutInput in;
  in.Char = AverageCharSize(metrics);
  in.TextWidth = text.width();
  // The label lays out like the metrics; its own height for that width
  // wins, so no line is ever cut.
  in.TextHeight = std::max(text.height(), MessageLabel_->heightForWidth(text.width()));
  in.Icon = HasIcon_;
  in.Buttons = static_cast<int>(buttons.size());
  in.ButtonTextWidth = widestButton;
  in.CaptionWidth = metrics.horizontalAdvance(windowTitle());
  const TMessageLayout l = LayOutMessage(in);
  setFixedSize(l.ClientWidth, l.ClientHeight);

  if (HasIcon_) {
    auto* image = new QLabel(this);
    image->setObjectName(QStringLiteral("Image"));
    image->setPixmap(
        style()->standardIcon(IconOf(kind), nullptr, this).pixmap(kIconSize, kIconSize));
    image->setGeometry(l.HMargin, l.VMargin, kIconSize, kIconSize);
  }
  int left = l.TextLeft;
  if (layoutDirection() == Qt::RightToLeft) left = l.ClientWidth - left - in.TextWidth;
  MessageLabel_->setGeometry(left, l.VMargin, in.TextWidth, in.TextHeight);

  DefaultResult_ = Listed(buttons, TMsgDlgBtn::Ok)    ? mrOk
                   : Listed(buttons, TMsgDlgBtn::Yes) ? mrYes
                                                      : mrRetry;
  // Closing the box means its cancel choice: Cancel where it has one,
  // else No, else OK.
  CancelResult_ = Listed(buttons, TMsgDlgBtn::Cancel) ? mrCancel
                  : Listed(buttons, TMsgDlgBtn::No)   ? mrNo
                                                      : mrOk;
  int x = l.ButtonsLeft;
  for (const auto& [button, push] : Buttons_) {
    push->setGeometry(x, l.ButtonsTop, l.ButtonWidth, l.ButtonHeight);
    x += l.ButtonWidth + l.ButtonSpacing;
    const int result = InfoOf(button).Result;
    if (result == DefaultResult_) {
      push->setDefault(true);
      push->setFocus();
    }
    // There is no help system to show a help context in.
    if (button != TMsgDlgBtn::Help)
      connect(push, &QPushButton::clicked, this, [this, result] { done(result); });
  }
}

QPushButton* TTntMessageForm::Button(TMsgDlgBtn button) const {
  for (const auto& [listed, push] : Buttons_)
    if (listed == button) return push;
  return nullptr;
}

QString TTntMessageForm::ClipboardText() const {
  const QString dashes = QString(27, QLatin1Char('-')) + QStringLiteral("\r\n");
  QString buttons;
  for (const auto& entry : Buttons_)
    buttons += WithoutAccelerators(entry.second->text()) + QStringLiteral("   ");
  const QString crlf = QStringLiteral("\r\n");
  return dashes + windowTitle() + crlf + dashes + MessageLabel_->text() + crlf + dashes + buttons +
         crlf + dashes;
}

void TTntMessageForm::reject() {
  done(CancelResult_);
}

void TTntMessageForm::keyPressEvent(QKeyEvent* event) {
  if (event->matches(QKeySequence::Copy)) {
    QApplication::beep();
    QApplication::clipboard()->setText(ClipboardText());
    return;
  }
  if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
    done(DefaultResult_);
    return;
  }
  QDialog::keyPressEvent(event);
}

void SetMessageBoxAnswerer(TMessageBoxAnswerer answerer) {
  Answerer() = std::move(answerer);
}

int MessageDialogPos(const QString& message, TMsgDlgType kind,
                     const std::vector<TMsgDlgBtn>& buttons, int top, int left) {
  TTntMessageForm form(message, kind, buttons);
  if (Answerer()) return Answerer()(form);
  if (int result = mrNone; EnvironmentAnswer(form, result)) return result;
  const QScreen* screen = QApplication::primaryScreen();
  const QRect area = screen ? screen->geometry() : QRect(0, 0, 800, 600);
  const int x = left >= 0 ? left : area.width() / 2 - form.width() / 2;
  const int y = top >= 0 ? top : area.height() / 2 - form.height() / 2;
  form.move(x, y);
  return form.exec();
}

int MessageDialog(const QString& message, TMsgDlgType kind,
                  const std::vector<TMsgDlgBtn>& buttons) {
  return MessageDialogPos(message, kind, buttons);
}

void ShowError(const QString& message) {
  QApplication::beep();
  MessageDialog(message, TMsgDlgType::Error, {TMsgDlgBtn::Ok});
}

void ShowErrorById(std::int32_t id, TLangSection section) {
  ShowError(ToQString(SectionText(id, section)));
}

void ShowErrorDetail(std::int32_t id, const QString& detail) {
  ShowError(ToQString(
      FormatText(u"%s/n%s", {SectionText(id, TLangSection::Error), detail.toStdU16String()})));
}

void ShowInfo(const QString& message) {
  QApplication::beep();
  MessageDialog(message, TMsgDlgType::Information, {TMsgDlgBtn::Ok});
}

void ShowInfoById(std::int32_t id, TLangSection section) {
  ShowInfo(ToQString(SectionText(id, section)));
}

int AskYesNoCancel(const QString& message) {
  QApplication::beep();
  return MessageDialog(message, TMsgDlgType::Confirmation,
                       {TMsgDlgBtn::Yes, TMsgDlgBtn::No, TMsgDlgBtn::Cancel});
}

int AskRetryIgnoreCancel(const QString& message) {
  QApplication::beep();
  return MessageDialog(message, TMsgDlgType::Error,
                       {TMsgDlgBtn::Retry, TMsgDlgBtn::Ignore, TMsgDlgBtn::Cancel});
}

}  // namespace quenby
