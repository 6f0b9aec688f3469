#include "controls/ShellOpen.h"

#include <QApplication>
#include <QInputDialog>
#include <QStringList>

#include "controls/MessageForm.h"
#include "platform/Shell.h"

namespace quenby {

namespace {

void ShowShellError(int code, const std::string& path) {
  ShowError(ToQString(ShellErrorText(code)) + QStringLiteral("\r\n") +
            QString::fromStdString(path));
}

}  // namespace

int ShellOpen(const std::string& path) {
  const int code = Shell().OpenDefault(path);
  if (code == kShellNoAssociation) return OpenWith(path);
  if (code < 32) ShowShellError(code, path);
  return code;
}

int OpenWith(const std::string& path) {
  const std::vector<TProgramChoice> programs = Shell().ProgramsFor(path);
  if (programs.empty()) {
    ShowShellError(kShellNoAssociation, path);
    return kShellNoAssociation;
  }
  QStringList names;
  for (const TProgramChoice& program : programs) names << QString::fromStdString(program.Name);
  bool chosen = false;
  const QString name = QInputDialog::getItem(
      QApplication::activeWindow(), QString::fromStdString(path), {}, names, 0, false, &chosen);
  if (!chosen) return kShellOk;  // the user changed their mind: nothing failed
  const int code =
      Shell().OpenWithProgram(programs[static_cast<std::size_t>(names.indexOf(name))].Id, path);
  if (code < 32) ShowShellError(code, path);
  return code;
}

}  // namespace quenby
