#include <gtest/gtest.h>

#include "TempDir.h"
#include "platform/Errors.h"
#include "stores/FileListing.h"
#include "stores/HeaderBlock.h"

namespace quenby {
namespace {

TEST(HeaderBlock, EndsAfterTheEmptyLineWhateverTheLineEnds) {
  const std::string longHeader = "X-Long: " + std::string(16384 - 10, 'x') + "\r\n";
  struct TCase {
    const char* Name;
    std::string File;
    std::string Headers;
  } cases[] = {
      {"lf", "A: 1\nB: 2\n\nbody\n\nmore", "A: 1\nB: 2\n\n"},
      {"crlf", "A: 1\r\n\r\nbody\r\n", "A: 1\r\n\r\n"},
      {"cr only", "A: 1\rB: 2\r\rbody\r", "A: 1\rB: 2\r\r"},
      {"no body", "A: 1\r\nB: 2\r\n", "A: 1\r\nB: 2\r\n"},
      // The empty line straddles the first read.
      {"across reads", longHeader + "\r\nbody", longHeader + "\r\n"},
  };
  test::TTempDir dir;
  for (const TCase& c : cases) {
    test::WriteAll(dir / "m.eml", c.File);
    EXPECT_EQ(ReadHeaderBlock(dir / "m.eml"), c.Headers) << c.Name;
  }
}

TEST(HeaderBlock, ACompoundDocumentOrAMissingFileIsAStreamError) {
  test::TTempDir dir;
  test::WriteAll(dir / "o.msg", std::string("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8) + "rest");
  const std::pair<std::string, TStreamErrorKind> cases[] = {
      {dir / "o.msg", TStreamErrorKind::Stream},
      {dir / "missing.eml", TStreamErrorKind::CannotOpen},
      {dir.Path(), TStreamErrorKind::CannotOpen},
  };
  for (const auto& [path, kind] : cases) {
    try {
      ReadHeaderBlock(path);
      ADD_FAILURE() << path;
    } catch (const EStreamError& e) {
      EXPECT_EQ(e.Kind(), kind) << path;
    }
  }
}

TEST(FileListing, MasksMatchIgnoringCase) {
  const std::pair<const char*, bool> cases[] = {
      {"a.eml", true},   {"B.EML", true}, {"c.Msg", true},      {".dot.eml", true},
      {"a.emlx", false}, {"eml", false},  {"a.eml.txt", false}, {"", false},
  };
  for (const auto& [name, match] : cases)
    EXPECT_EQ(MatchesMask(name, "*.eml;*.msg"), match) << name;
}

}  // namespace
}  // namespace quenby
