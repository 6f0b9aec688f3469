#include <gtest/gtest.h>

#include <fstream>

#include "DbxFixture.h"
#include "cli/ErrorText.h"
#include "settings/GlobStrings.h"

namespace quenby::cli {
namespace {

TEST(ErrorText, LanguageWordsWhenLoadedBuiltInOtherwise) {
  const EStreamError error(TStreamErrorKind::Read, "/m/Inbox.dbx", "short read", 96);
  SetGlobStrings(nullptr);
  EXPECT_EQ(StreamErrorText(error), "read error: /m/Inbox.dbx at offset 96 (short read)");
  // The stores' fixture folder: this executable links its helpers.
  const test::TTempDir dir;
  std::ofstream(dir.Path() + "l.ini") << "[Error]\n3=Lesefehler\n";
  LoadLanguage(dir.Path() + "l.ini");
  EXPECT_EQ(StreamErrorText(error), "Lesefehler: /m/Inbox.dbx at offset 96 (short read)");
  SetGlobStrings(nullptr);
}

}  // namespace
}  // namespace quenby::cli
