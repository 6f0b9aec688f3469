#include "cli/ToolStores.h"

#include "cli/MboxToolStore.h"
#include "cli/MesgFileToolStore.h"
#include "cli/OeToolStore.h"
#include "platform/Errors.h"
#include "platform/LegacyCodePage.h"
#include "settings/IniFile.h"
#include "settings/Options.h"
#include "settings/WideText.h"
#include "text/CharsetConvert.h"

namespace quenby::cli {
namespace {

const TToolStoreKind kKinds[] = {
    {"Outlook Express", AcceptsOeStore, OpenOeStore, ReportOeStore},
    {"Unix mailbox", AcceptsMailbox, OpenMailbox},
    // After the store folder: a folder holding a folder list is a store.
    {"message files", AcceptsMesgFileFolder, OpenMesgFileFolder, ReportMesgFileFolder},
};

// The tool runs with the program's defaults unless the line says otherwise;
// an options folder gives its stored AutoRus.
void ApplyOptions(const TCommandLine& line) {
  bool autoRus = line.AutoRus;
  if (!line.OptionsDir.empty()) {
    std::string file = line.OptionsDir;
    if (file.back() != '/') file += '/';
    file += "options.ini";
    const TIniFile options(file);
    autoRus = autoRus || options.ReadInteger("Options", "AutoRus", 0) != 0;
  }
  if (!line.LegacyCodePage.empty() && !IsConverterAvailable(line.LegacyCodePage))
    throw EUsage(line.Verb, "unknown code page '" + line.LegacyCodePage + "'");
  SetLegacyCodePage(line.LegacyCodePage);
  SetAutoRusEnabled(autoRus);
}

}  // namespace

std::span<const TToolStoreKind> ToolStoreKinds() {
  return kKinds;
}

void TToolStore::Report(const TCommandLine& line, TPrinter& printer) {
  if (Kind->Report) Kind->Report(*Items, line, printer);
  const std::u16string status = Items->StatusText();
  if (!status.empty() && status != ReportedStatus)
    printer.Warning(line.Input + ": " + Utf16ToUtf8(status));
  ReportedStatus = status;
}

TToolStore OpenToolStore(const TCommandLine& line, TPrinter& printer) {
  ApplyOptions(line);
  for (const TToolStoreKind& kind : ToolStoreKinds()) {
    if (!kind.Accepts(line)) continue;
    TToolStore store{kind.Open(line), &kind, {}};
    store.Report(line, printer);
    return store;
  }
  throw EStreamError(TStreamErrorKind::CannotOpen, line.Input, "not a store of a known kind");
}

}  // namespace quenby::cli
