#include "app/MailerApp.h"

#include <cstdio>
#include <memory>

#include "app/ManagerForm.h"
#include "app/SessionSignals.h"
#include "app/SingleInstance.h"
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
    "Usage: quenby-mailer [--options DIR] [PATH]\n"
    "  PATH           a store to open: a .dbx file or store folder, a mailbox,\n"
    "                 or a folder of message files\n"
    "  --options DIR  the folder of the program's settings\n"
    "  --help         this text\n"
    "  --version      the program's version\n";

void ShowNoStoreWindow(const std::string& path) {
  QString text = ToQString(LangText(lang::startup::NoStoreWindow));
  if (!path.empty()) text += QStringLiteral("\n") + QString::fromStdString(path);
  ShowInfo(text);
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

    instance.Listen();
    auto manager = std::make_unique<TManagerForm>(options->OptionsFile(), options.get());
    QObject::connect(manager.get(), &TManagerForm::LastWindowClosed, &app, &QCoreApplication::quit,
                     Qt::QueuedConnection);
    QObject::connect(&app, &QCoreApplication::aboutToQuit, manager.get(),
                     &TManagerForm::SetTerminating);
    QObject::connect(&instance, &TSingleInstance::ActivateRequested, manager.get(),
                     &TManagerForm::ActivateInstance);
    QObject::connect(&instance, &TSingleInstance::OpenRequested, manager.get(),
                     [&](const QString& path) {
                       manager->ActivateInstance();
                       ShowNoStoreWindow(path.toStdString());
                     });
    QObject::connect(&app, &QGuiApplication::commitDataRequest, manager.get(),
                     [&](QSessionManager&) { manager->SessionEnd(); });
    TSessionSignals sessionSignals([&] {
      manager->SessionEnd();
      app.quit();
    });

    manager->RestoreWindows();
    if (manager->TaskWindows().empty()) {
      // No window class can show a store yet: say so rather than leave an
      // invisible process behind.
      if (!manager->CanShowStores()) {
        ShowNoStoreWindow(args.Path);
        return 0;
      }
    } else if (!args.Path.empty()) {
      ShowNoStoreWindow(args.Path);
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
