#include "cli/Help.h"

namespace quenby::cli {

std::string HelpText(TVerb verb) {
  switch (verb) {
    case TVerb::Folders:
      return "usage: quenby folders STORE\n"
             "\n"
             "Prints the folders of an Outlook Express store, one a line, tab-separated:\n"
             "id, parent id, name, file name. STORE is the store folder (its folders.dbx\n"
             "is found in any case) or a folder-list file. Folders without a file of\n"
             "their own have an empty file name.\n";
    case TVerb::DbxRecords:
      return "usage: quenby dbx-records FILE.dbx\n"
             "\n"
             "Prints the message records of a folder file: a header line, then one line\n"
             "per record, tab-separated: index (the message's key), flags, body offset,\n"
             "size, received and created time (ISO 8601, UTC; empty when unknown).\n";
    case TVerb::Show:
      return "usage: quenby show FILE.dbx KEY\n"
             "\n"
             "Writes the text of the message whose index is KEY, byte for byte, to\n"
             "standard output.\n";
    case TVerb::Export:
      return "usage: quenby export FILE.dbx --eml DIR\n"
             "\n"
             "Writes every message of a folder file into DIR (created if missing) as\n"
             "INDEX.eml; a second message with the same index gets INDEX-2.eml.\n";
    case TVerb::SplitDigest:
      return "usage: quenby split-digest FILE (--eml DIR | --mbox FILE)\n"
             "\n"
             "Cuts the digest message in FILE into its messages and prints their numbers\n"
             "and subjects, tab-separated. --eml writes each into DIR (created if missing)\n"
             "as NUMBER.eml; --mbox writes them all into one mailbox file. Reads digests\n"
             "of separator blocks, MIME digests and RFC 1153 text digests.\n";
    case TVerb::None: break;
  }
  return "usage: quenby VERB [OPTIONS] ARGS\n"
         "\n"
         "Reads the mail that other mail programs keep on disk.\n"
         "\n"
         "Verbs:\n"
         "  folders STORE              the folder tree of an Outlook Express store\n"
         "  dbx-records FILE.dbx       the raw message records of a folder file\n"
         "  show FILE.dbx KEY          one message's text\n"
         "  export FILE.dbx --eml DIR  every message as an .eml file\n"
         "  split-digest FILE (--eml DIR | --mbox FILE)\n"
         "                             the messages of a digest\n"
         "\n"
         "Options:\n"
         "  --help       this text, or a verb's (quenby VERB --help)\n"
         "  --version    the program's version\n"
         "\n"
         "Exit status: 0 on success, 1 on a failure (the error goes to standard error),\n"
         "2 on bad usage. Damaged records are skipped with a warning on standard error.\n";
}

}  // namespace quenby::cli
