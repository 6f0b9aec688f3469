#pragma once
// The message pane as the explorer sees it: a widget that shows one parsed
// message. The window knows only IMesgPane, so a richer pane replaces the
// plain one without the window changing.

#include <QPlainTextEdit>
#include <QString>

namespace quenby {

class TMimeMessage;

class IMesgPane {
 public:
  virtual ~IMesgPane() = default;
  virtual QWidget* Widget() = 0;
  // message: the whole stored message, parsed.
  virtual void LoadMesg(const TMimeMessage& message) = 0;
  virtual void ClearMesg() = 0;
};

// The header fields From, To, Cc, Subject and Date, a blank line and the
// first text part decoded by its charset; lines as they are.
QString PlainMesgText(const TMimeMessage& message);

// Read-only plain text.
class TPlainMesgPane : public QPlainTextEdit, public IMesgPane {
  Q_OBJECT

 public:
  explicit TPlainMesgPane(QWidget* parent = nullptr);
  QWidget* Widget() override { return this; }
  void LoadMesg(const TMimeMessage& message) override;
  void ClearMesg() override { clear(); }
};

}  // namespace quenby
