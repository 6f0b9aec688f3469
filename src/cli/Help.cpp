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
    case TVerb::List:
      return "usage: quenby list STORE [--folder NAME] [--fields F,...] [--json]\n"
             "                  [--sort COLUMN] [--invert] [STORE OPTIONS]\n"
             "\n"
             "Prints the messages of a store as the message list holds them: a header\n"
             "line, then one line per message, tab-separated (tabs and line breaks in a\n"
             "field become spaces). Fields: key, date (sent, ISO 8601 in UTC), from, to\n"
             "(\"Name <address>\" or the address), subject, size, flags (A attachment,\n"
             "R answered, F flagged, D draft, S seen). --json prints JSON lines.\n"
             "\n"
             "STORE is a folder file (FILE.dbx), a store folder with --folder NAME, or\n"
             "a folder of message files (.eml, .msg; the key is the file name).\n"
             "Store options, also for show and export:\n"
             "  --options DIR            an options folder whose settings apply\n"
             "  --autorus                recode Russian text in unknown charsets\n"
             "  --legacy-codepage NAME   the code page of texts without a charset\n";
    case TVerb::Show:
      return "usage: quenby show STORE KEY [--folder NAME] [STORE OPTIONS]\n"
             "\n"
             "Writes the text of the message whose key is KEY (the key field of quenby\n"
             "list), byte for byte, to standard output.\n";
    case TVerb::Export:
      return "usage: quenby export STORE (--eml DIR | --mbox FILE) [--folder NAME] [STORE "
             "OPTIONS]\n"
             "\n"
             "Writes every message of the store into DIR (created if missing) as an\n"
             ".eml file named after its subject and key; repeated names get a number.\n"
             "--mbox FILE writes them all, in the list's order, into one mailbox file\n"
             "(an old file is kept as its \".~\" backup).\n";
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
         "  list STORE                 the messages of a store\n"
         "  show STORE KEY             one message's text\n"
         "  export STORE (--eml DIR | --mbox FILE)\n"
         "                             every message as an .eml file, or a mailbox\n"
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
