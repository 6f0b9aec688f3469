#pragma once
// The explorer-kind chooser: the six kinds as radio buttons named by the
// language section "MesgExplType", those the options lack disabled.

#include <QDialog>
#include <array>
#include <cstdint>
#include <functional>

#include "app/ExplorerKind.h"

class QRadioButton;

namespace quenby {

class TKindChooser : public QDialog {
  Q_OBJECT

 public:
  TKindChooser(QWidget* parent, TMesgExplKind preset, std::uint8_t availableKinds);
  TMesgExplKind Kind() const;
  QRadioButton* Button(TMesgExplKind kind) const;

 private:
  std::array<QRadioButton*, kExplKindCount> Buttons_{};
};

// OK: the chosen kind; cancel: preset.
TMesgExplKind ChooseExplorerKind(QWidget* parent, TMesgExplKind preset,
                                 std::uint8_t availableKinds);

// Tests answer the chooser instead of a user; empty restores the dialog.
using TKindChooserAnswerer = std::function<TMesgExplKind(const TKindChooser&)>;
void SetKindChooserAnswerer(TKindChooserAnswerer answerer);

}  // namespace quenby
