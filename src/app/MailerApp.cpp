#include "app/MailerApp.h"

#include <QTemporaryDir>
#include <cstdio>
#include <cstdlib>
#include <memory>

#include "app/KindChooser.h"
#include "app/ManagerForm.h"
#include "app/Screenshot.h"
#include "app/SessionSignals.h"
#include "app/SingleInstance.h"
#include "app/StoreDialogs.h"
#include "app/TriForm.h"
#include "controls/FileError.h"
#include "controls/MessageForm.h"
#include "controls/QtOptionsDialogs.h"
#include "platform/Errors.h"
#include "platform/Version.h"
#include "settings/AtcDictionary.h"
#include "settings/GlobStrings.h"
#include "settings/IniRegistry.h"
#include "settings/LanguageKeys.h"
#include "settings/Options.h"
#include "stores/FindStoreRoot.h"

namespace quenby {

namespace {

constexpr const char* kUsage =
    "Usage: quenby-mailer [--options DIR] [--screenshot FILE] [PATH]\n"
    "  PATH           a store to open: a .dbx file or store folder, a mailbox,\n"
    "                 or a folder of message files\n"
    "  --options DIR  the folder of the program's settings\n"
    "  --screenshot FILE  without a display: open PATH, wait for its first\n"
    "                 message, save the window as a PNG picture and end\n"
    "  --help         this text\n"
    "  --version      the program's version\n";

void ShowNoStoreWindow(const std::string& path) {
  QString text = ToQString(LangText(lang::startup::NoStoreWindow));
  if (!path.empty()) text += QStringLiteral("\n") + QString::fromStdString(path);
  ShowInfo(text);
}

// Opens path in a new explorer of the fitting kind.
TTriForm* OpenPath(TManagerForm& manager, const TExplorerContext& context,
                   const std::string& path) {
  TTriForm* window = NewExplorer(manager, context, ExplKindOfPath(path));
  window->OpenLocation(path);
  return window;
}

// Offscreen, with settings of its own in a temporary folder unless given,
// and without the single instance: a picture run never disturbs the
// user's running program or saved windows.
int RunScreenshot(int argc, char** argv, const TStartArgs& args) {
  setenv("QT_QPA_PLATFORM", "offscreen", 1);
  TMailerApplication app(argc, argv);
  app.setQuitOnLastWindowClosed(false);
  try {
    QTemporaryDir scratch;
    TIniRegistry registry;
    TQtOptionsDialogs dialogs;
    TOptionsFactories factories;
    factories.StoreRoot = [&registry] { return FindStoreRoot(registry); };
    auto options = std::make_unique<TOptions>(registry, dialogs, std::move(factories));
    if (!options->LocateOptionsFolder(args.OptionsDir.empty() ? scratch.path().toStdString()
                                                              : args.OptionsDir))
      return 1;
    TQtStoreDialogs storeDialogs;
    const TExplorerContext context = BuiltInExplorerContext(options.get(), &storeDialogs);
    auto manager = std::make_unique<TManagerForm>(options->OptionsFile(), options.get());
    TTriForm* window = args.Path.empty() ? NewExplorer(*manager, context, ekOutlook)
                                         : OpenPath(*manager, context, args.Path);
    const std::string failure = SaveWindowPicture(*window, args.Screenshot);
    manager->SetTerminating();
    manager.reset();
    if (!failure.empty()) {
      std::fprintf(stderr, "quenby-mailer: %s\n", failure.c_str());
      return 1;
    }
    return 0;
  } catch (const std::exception& error) {
    std::fprintf(stderr, "quenby-mailer: %s\n", error.what());
    return 1;
  }
}

}  // namespace

void ShowFailure(std::exception_ptr failure) {
  try {
    std::rethrow_exception(failure);
  } catch (const ECancelled&) {
  } catch (const EStreamError& error) {
    // Worded by its language text, with the file it concerns.
    ShowFileError(error.Path(), std::current_exception());
  } catch (const std::exception& error) {
    ShowError(QString::fromUtf8(error.what()));
  } catch (...) {
    ShowError(QStringLiteral("Unknown failure"));
  }
}

TMailerApplication::TMailerApplication(int& argc, char** argv) : QApplication(argc, argv) {}

bool TMailerApplication::notify(QObject* receiver, QEvent* event) {
  try {
    return QApplication::notify(receiver, event);
  } catch (...) {
    ShowFailure(std::current_exception());
    return false;
  }
}

TStartArgs ParseStartArgs(const std::vector<std::string>& args) {
  TStartArgs result;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (arg == "--help" || arg == "-h") {
      result.Help = true;
    } else if (arg == "--version") {
      result.Version = true;
    } else if (arg == "--options") {
      if (i + 1 == args.size()) {
        result.Error = "--options needs a folder";
        return result;
      }
      result.OptionsDir = args[++i];
    } else if (arg == "--screenshot") {
      if (i + 1 == args.size()) {
        result.Error = "--screenshot needs a file";
        return result;
      }
      result.Screenshot = args[++i];
    } else if (arg.starts_with("--options=")) {
      result.OptionsDir = arg.substr(10);
    } else if (arg.starts_with("-") && arg != "-") {
      result.Error = "unknown option " + arg;
      return result;
    } else if (result.Path.empty()) {
      result.Path = arg;
    } else {
      result.Error = "only one PATH may be given";
      return result;
    }
  }
  return result;
}

int RunMailer(int argc, char** argv) {
  const TStartArgs args = ParseStartArgs(std::vector<std::string>(argv + 1, argv + argc));
  if (!args.Error.empty()) {
    std::fprintf(stderr, "quenby-mailer: %s\n%s", args.Error.c_str(), kUsage);
    return 2;
  }
  if (args.Help || args.Version) {
    if (args.Help) std::fputs(kUsage, stdout);
    if (args.Version) std::printf("quenby-mailer %s\n", ProgramVersion().c_str());
    return 0;
  }

  if (!args.Screenshot.empty()) return RunScreenshot(argc, argv, args);

  TSingleInstance instance;
  const bool first = instance.TryBecomeFirst();
  TMailerApplication app(argc, argv);
  if (!first) {
    // A later start asks the first to come forward (or open the path) and
    // ends without a window or a message, also when the first is still
    // starting and does not answer.
    instance.SendToFirst(args.Path.empty() ? QString() : QString::fromStdString(args.Path));
    return 0;
  }
  // The manager ends the program explicitly, after the last task window.
  app.setQuitOnLastWindowClosed(false);

  try {
    TIniRegistry registry;
    TQtOptionsDialogs dialogs;
    TOptionsFactories factories;
    factories.StoreRoot = [&registry] { return FindStoreRoot(registry); };
    auto options = std::make_unique<TOptions>(registry, dialogs, std::move(factories));
    if (!options->LocateOptionsFolder(args.OptionsDir)) return 0;
    // Without its dictionary the program still runs: the filter finds nothing.
    GuardedFileCall(options->DictionaryFile(), [&] { PrepareAtcDictionary(*options); });

    // Caught from before the socket listens, so that a start seen by a later
    // one can always be ended cleanly; handled once the loop runs.
    std::unique_ptr<TManagerForm> manager;
    TSessionSignals sessionSignals([&] {
      if (manager) manager->SessionEnd();
      app.quit();
    });
    instance.Listen();
    manager = std::make_unique<TManagerForm>(options->OptionsFile(), options.get());
    TQtStoreDialogs storeDialogs;
    const TExplorerContext context = BuiltInExplorerContext(options.get(), &storeDialogs);
    RegisterExplorer(*manager, context);
    QObject::connect(manager.get(), &TManagerForm::LastWindowClosed, &app, &QCoreApplication::quit,
                     Qt::QueuedConnection);
    QObject::connect(&app, &QCoreApplication::aboutToQuit, manager.get(),
                     &TManagerForm::SetTerminating);
    QObject::connect(&instance, &TSingleInstance::ActivateRequested, manager.get(),
                     &TManagerForm::ActivateInstance);
    QObject::connect(&instance, &TSingleInstance::OpenRequested, manager.get(),
                     [&](const QString& path) {
                       if (manager->CanShowStores())
                         OpenPath(*manager, context, path.toStdString())->activateWindow();
                       else
                         ShowNoStoreWindow(path.toStdString());
                     });
    QObject::connect(&app, &QGuiApplication::commitDataRequest, manager.get(),
                     [&](QSessionManager&) { manager->SessionEnd(); });

    manager->RestoreWindows();
    if (!manager->CanShowStores()) {
      // No window class can show a store: say so rather than leave an
      // invisible process behind.
      if (manager->TaskWindows().empty()) {
        ShowNoStoreWindow(args.Path);
        return 0;
      }
      if (!args.Path.empty()) ShowNoStoreWindow(args.Path);
    } else if (!args.Path.empty()) {
      OpenPath(*manager, context, args.Path);
    } else if (manager->TaskWindows().empty()) {
      // Cancelling the chooser opens the Outlook Express kind.
      NewExplorer(*manager, context,
                  ChooseExplorerKind(nullptr, ekOutlook, options->AvailableKinds()));
    }
    const int code = app.exec();
    // Windows first, then the manager, then the options, before the
    // application object.
    manager.reset();
    options.reset();
    return code;
  } catch (...) {
    ShowFailure(std::current_exception());
    return 1;
  }
}

}  // namespace quenby
