#pragma once
// The stores that the collection verbs (list, show, export) read, one kind
// a row: the first kind that accepts the command line opens it.

#include <memory>
#include <span>
#include <string_view>

#include "cli/CommandLine.h"
#include "cli/Printer.h"
#include "model/mail/MesgItems.h"

namespace quenby::cli {

struct TToolStoreKind {
  std::string_view Name;
  bool (*Accepts)(const TCommandLine&);
  // The collection loaded to the end; raises EStreamError.
  std::unique_ptr<TMesgItems> (*Open)(const TCommandLine&);
  // Optional: prints, as warnings, what the store skipped since the last call.
  void (*Report)(TMesgItems&, const TCommandLine&, TPrinter&) = nullptr;
};

std::span<const TToolStoreKind> ToolStoreKinds();

// A collection opened by its kind.
struct TToolStore {
  std::unique_ptr<TMesgItems> Items;
  const TToolStoreKind* Kind;
  // The collection's status text (once) and the kind's own warnings.
  void Report(const TCommandLine& line, TPrinter& printer);
  std::u16string ReportedStatus;
};

// Sets the options the line names (or the program's defaults), then opens
// line.Input with the first kind that accepts it and reports what it
// skipped. Raises EStreamError, also for an input no kind accepts.
TToolStore OpenToolStore(const TCommandLine& line, TPrinter& printer);

}  // namespace quenby::cli
