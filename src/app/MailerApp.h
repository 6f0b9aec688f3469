#pragma once
// The desktop program's application object and its start-up sequence.

#include <QApplication>
#include <exception>
#include <string>
#include <vector>

namespace quenby {

// Shows a failure that no handler caught; the user's cancel shows nothing.
void ShowFailure(std::exception_ptr failure);

// The last net: an exception escaping an event handler or slot is shown
// instead of ending the program.
class TMailerApplication : public QApplication {
  Q_OBJECT

 public:
  TMailerApplication(int& argc, char** argv);
  bool notify(QObject* receiver, QEvent* event) override;
};

struct TStartArgs {
  std::string OptionsDir;  // --options DIR
  std::string Path;        // a store to open
  std::string Screenshot;  // --screenshot FILE: save a picture and end
  bool Help = false;
  bool Version = false;
  std::string Error;  // bad usage
};

TStartArgs ParseStartArgs(const std::vector<std::string>& args);

// The whole run: single instance, application, options, options folder,
// manager and its windows, message loop; released in reverse. Returns the
// process's exit code.
int RunMailer(int argc, char** argv);

}  // namespace quenby
