#include "app/KindChooser.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "controls/MessageForm.h"
#include "settings/GlobStrings.h"
#include "settings/LanguageKeys.h"

namespace quenby {

namespace {

TKindChooserAnswerer& Answerer() {
  static TKindChooserAnswerer answerer;
  return answerer;
}

}  // namespace

TKindChooser::TKindChooser(QWidget* parent, TMesgExplKind preset, std::uint8_t availableKinds)
    : QDialog(parent) {
  setObjectName(QStringLiteral("KindChooser"));
  setWindowTitle(ToQString(LangText(lang::mesg_expl_type::Title)));
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(new QLabel(ToQString(LangText(lang::mesg_expl_type::Label)), this));
  for (int k = ekOutlook; k < kExplKindCount; ++k) {
    const auto kind = static_cast<TMesgExplKind>(k);
    auto* button =
        new QRadioButton(ToQString(SectionTextByName(k, lang::mesg_expl_type::kSection)), this);
    button->setEnabled(ExplKindOffered(kind, availableKinds));
    button->setChecked(kind == preset);
    layout->addWidget(button);
    Buttons_[static_cast<std::size_t>(k)] = button;
  }
  auto* buttons = new QDialogButtonBox(this);
  buttons->addButton(ToQString(OkText()), QDialogButtonBox::AcceptRole);
  buttons->addButton(ToQString(CancelText()), QDialogButtonBox::RejectRole);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  layout->addWidget(buttons);
}

QRadioButton* TKindChooser::Button(TMesgExplKind kind) const {
  if (kind <= ekNone || kind >= kExplKindCount) return nullptr;
  return Buttons_[static_cast<std::size_t>(kind)];
}

TMesgExplKind TKindChooser::Kind() const {
  for (int k = ekOutlook; k < kExplKindCount; ++k) {
    QRadioButton* button = Buttons_[static_cast<std::size_t>(k)];
    if (button->isChecked() && button->isEnabled()) return static_cast<TMesgExplKind>(k);
  }
  return ekNone;
}

TMesgExplKind ChooseExplorerKind(QWidget* parent, TMesgExplKind preset,
                                 std::uint8_t availableKinds) {
  TKindChooser chooser(parent, preset, availableKinds);
  if (Answerer()) return Answerer()(chooser);
  if (chooser.exec() != QDialog::Accepted) return preset;
  const TMesgExplKind chosen = chooser.Kind();
  return chosen == ekNone ? preset : chosen;
}

void SetKindChooserAnswerer(TKindChooserAnswerer answerer) {
  Answerer() = std::move(answerer);
}

}  // namespace quenby
