// TOEFile over synthetic files: the walk of the index tree, the records and
// the block chains, on sound files and on damaged or crafted ones. Damage
// must end only the node, record or text it hits; the rest still arrives.
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>

#include "DbxFixture.h"
#include "TestNames.h"
#include "stores/DbxLayout.h"

namespace quenby::test {
namespace {

constexpr std::int64_t kRoot = 0x3000, kNodeA = 0x3400, kNodeB = 0x3800;
constexpr std::int64_t kRec1 = 0x4000, kRec2 = 0x4100, kRec3 = 0x4200;
constexpr std::int64_t kBody = 0x8000, kBody2 = kBody + dbx::kBlockSize;

using TBuild = std::function<void(TDbxWriter&)>;

void Message(TDbxWriter& w, std::int64_t at, std::uint32_t index) {
  w.PutRecord(at, {Direct(0x80, index)});
}

// A message file whose root node holds the three standard records.
void ThreeRecords(TDbxWriter& w) {
  w.SetItemCount(3);
  w.SetRoot(kRoot);
  Message(w, kRec1, 1);
  Message(w, kRec2, 2);
  Message(w, kRec3, 3);
  w.PutNode(kRoot, {{kRec1}, {kRec2}, {kRec3}});
}

class DbxFileTest : public ::testing::Test {
 protected:
  TOEFile& Open(const TDbxWriter& w, const std::string& name = "Test.dbx") {
    w.Save(Dir.Path() + name);
    File.OpenFile(Dir.Path() + name);
    return File;
  }
  TTempDir Dir;
  TOEFile File;
};

// The index tree walk: what is reported, in which order, what is skipped.
struct TTreeCase {
  std::string Name;
  TBuild Build;
  std::vector<std::int64_t> Indexes;
  std::vector<std::string> Problems;
};

class DbxTreeTest : public DbxFileTest, public ::testing::WithParamInterface<TTreeCase> {};

TEST_P(DbxTreeTest, ReportsRecordsInTreeOrder) {
  TDbxWriter w(dbx::kTypeMessages);
  GetParam().Build(w);
  const TDbxRead read = ReadAll(Open(w));
  std::vector<std::int64_t> indexes;
  for (const auto& m : read.Messages) indexes.push_back(m.MessageIndex);
  EXPECT_EQ(indexes, GetParam().Indexes);
  EXPECT_EQ(read.Problems, GetParam().Problems);
}

const TTreeCase kTreeCases[] = {
    {"OneNode", ThreeRecords, {1, 2, 3}, {}},
    {"ItemCountZeroReportsNothing",
     [](TDbxWriter& w) {
       ThreeRecords(w);
       w.SetItemCount(0);
     },
     {},
     {}},
    {"ChildrenBeforeAndAfterEntries",
     [](TDbxWriter& w) {
       ThreeRecords(w);
       w.PutNode(kRoot, {{kRec2, kNodeB}}, kNodeA);
       w.PutNode(kNodeA, {{kRec1}}, 0, kRoot);
       w.PutNode(kNodeB, {{kRec3}}, 0, kRoot);
     },
     {1, 2, 3},
     {}},
    {"NodeIsItsOwnParentAndChild",
     [](TDbxWriter& w) {
       ThreeRecords(w);
       w.PutNode(kRoot, {{kRec1, kRoot}}, kRoot, kRoot);
     },
     {1},
     {}},
    {"LinksBackToVisitedNodes",
     [](TDbxWriter& w) {
       ThreeRecords(w);
       w.PutNode(kRoot, {{kRec2, kNodeB}}, kNodeA);
       w.PutNode(kNodeA, {{kRec1, kRoot}}, kRoot, kRoot);
       w.PutNode(kNodeB, {{kRec3, kNodeA}}, kNodeB, kRoot);
     },
     {1, 2, 3},
     {}},
    {"RootOnlyAt0xE4",
     [](TDbxWriter& w) {
       ThreeRecords(w);
       w.PutU32(dbx::kRootAt, 0x1234);
     },
     {1, 2, 3},
     {}},
    {"NoRoot",
     [](TDbxWriter& w) {
       ThreeRecords(w);
       w.SetRoot(0);
     },
     {},
     {"48: no index tree root at 0x30 or 0xE4"}},
    {"ChildNodeNotPointingToItselfIsSkipped",
     [](TDbxWriter& w) {
       ThreeRecords(w);
       w.PutNode(kRoot, {{kRec1, kNodeA}, {kRec3}});
       w.PutNode(kNodeA, {{kRec2}});
       w.PutU32(kNodeA, 0);
     },
     {1, 3},
     {"13312: index node does not point to itself"}},
    {"RecordNotPointingToItselfIsSkipped",
     [](TDbxWriter& w) {
       ThreeRecords(w);
       w.PutU32(kRec2, kRec1);
     },
     {1, 3},
     {"16640: record does not point to itself"}},
    {"HugeEntryCountIsBoundedByTheFile",
     [](TDbxWriter& w) {
       ThreeRecords(w);
       const std::int64_t end = 0x5000;
       w.SetRoot(end);
       w.PutNode(end, {{kRec1}, {kRec2}}, 0, 0, 0xFFFFFF);
     },
     {1, 2},
     {"20480: index node claims 16777215 entries, the file holds at most 2"}},
    {"HugeRecordLength",
     [](TDbxWriter& w) {
       ThreeRecords(w);
       w.PutRecord(kRec2, {Direct(0x80, 2)}, 0x7FFFFFFF);
     },
     {1, 3},
     {"16640: record length 2147483647 runs past the end of the file"}},
    {"NegativeRecordLength",
     [](TDbxWriter& w) {
       ThreeRecords(w);
       w.PutRecord(kRec2, {Direct(0x80, 2)}, 0xFFFFFFF0);
     },
     {1, 3},
     {"16640: record length 4294967280 runs past the end of the file"}},
    {"RecordLengthShorterThanItsTable",
     [](TDbxWriter& w) {
       ThreeRecords(w);
       w.PutRecord(kRec2, {Direct(0x80, 2), Direct(0x81, 0)}, 4);
     },
     {1, 3},
     {"16640: record length 4 shorter than its property table"}},
    {"FileEndsInsideARecord",
     [](TDbxWriter& w) {
       ThreeRecords(w);
       w.Truncate(kRec3 + 6);
     },
     {1, 2},
     {"16896: record cut short by the end of the file"}},
    {"FileEndsInsideTheEntries",
     [](TDbxWriter& w) {
       ThreeRecords(w);
       w.SetRoot(0x5000);
       w.PutNode(0x5000, {{kRec1}, {kRec2}});
       w.Truncate(0x5000 + 24 + 12 + 5);
     },
     {1},
     {"20480: index node claims 2 entries, the file holds at most 1"}},
};

INSTANTIATE_TEST_SUITE_P(Dbx, DbxTreeTest, ::testing::ValuesIn(kTreeCases), ByName());

TEST_F(DbxFileTest, DeepChainOfChildNodesIsWalkedWithoutRecursion) {
  // Each node is the child of the one before: a recursive walk would use
  // one stack frame per node.
  constexpr int kDepth = 50'000;
  TDbxWriter w(dbx::kTypeMessages);
  w.SetItemCount(1);
  w.SetRoot(kRoot);
  Message(w, kRec1, 1);
  for (int i = 0; i < kDepth; ++i) {
    const std::int64_t at = kBody + std::int64_t(i) * 36;
    w.PutNode(at, {{kRec1}}, i + 1 < kDepth ? at + 36 : 0);
  }
  w.SetRoot(kBody);
  const TDbxRead read = ReadAll(Open(w));
  EXPECT_EQ(read.Messages.size(), std::size_t(kDepth));
  EXPECT_TRUE(read.Problems.empty());
}

// Texts: the block chain from a body offset.
struct TTextCase {
  std::string Name;
  TBuild Build;
  std::string Text;
  std::vector<std::string> Problems;
};

class DbxTextTest : public DbxFileTest, public ::testing::WithParamInterface<TTextCase> {};

const std::string kA(512, 'a'), kB(512, 'b'), kC(100, 'c');

TEST_P(DbxTextTest, CopiesTheBlockChain) {
  TDbxWriter w(dbx::kTypeMessages);
  ThreeRecords(w);
  GetParam().Build(w);
  TOEFile& file = Open(w);
  EXPECT_EQ(ReadText(file, kBody), GetParam().Text);
  std::vector<std::string> problems;
  for (const auto& p : file.Problems())
    problems.push_back(std::to_string(p.Offset) + ": " + p.What);
  EXPECT_EQ(problems, GetParam().Problems);
}

const TTextCase kTextCases[] = {
    {"ThreeBlocksGive1124Bytes",
     [](TDbxWriter& w) { w.PutText(kBody, kA + kB + kC); },
     kA + kB + kC,
     {}},
    {"ItemCountZeroCopiesNothing",
     [](TDbxWriter& w) {
       w.PutText(kBody, kA);
       w.SetItemCount(0);
     },
     "",
     {}},
    {"BlockNotPointingToItselfEndsTheText",
     [](TDbxWriter& w) {
       w.PutText(kBody, kA + kB + kC);
       w.PutU32(kBody2, 7);
     },
     kA,
     {"33296: text block does not point to itself"}},
    {"BlockLengthAbove512",
     [](TDbxWriter& w) {
       w.PutBlock(kBody, kBody2, kA);
       w.PutBlock(kBody2, 0, kB, 600);
     },
     kA,
     {"33296: text block holds 600 bytes, more than 512"}},
    {"ChainComingBackEnds",
     [](TDbxWriter& w) {
       w.PutBlock(kBody, kBody2, kA);
       w.PutBlock(kBody2, kBody, kB);
     },
     kA + kB,
     {"32768: text block chain comes back to a block already read"}},
    {"BlockLinkingToItself",
     [](TDbxWriter& w) { w.PutBlock(kBody, kBody, kA); },
     kA,
     {"32768: text block chain comes back to a block already read"}},
    {"NegativeNextOffset",
     [](TDbxWriter& w) { w.PutBlock(kBody, -16, kA); },
     kA,
     {"32768: text block links to a negative offset"}},
    {"FileEndsInsideABlock",
     [](TDbxWriter& w) {
       w.PutText(kBody, kA + kB);
       w.Truncate(kBody2 + 100);
     },
     kA,
     {"33296: text block cut short by the end of the file"}},
};

INSTANTIATE_TEST_SUITE_P(Dbx, DbxTextTest, ::testing::ValuesIn(kTextCases), ByName());

// Decoding one record's properties.
struct TRecordCase {
  std::string Name;
  std::uint32_t Type;
  std::vector<TDbxProperty> Properties;
  std::string Summary;  // of the reported record, or "none"
  std::string Problem;
};

std::string Summary(const TDbxRead& read) {
  if (!read.Messages.empty()) {
    const auto& m = read.Messages.front();
    char text[200];
    std::snprintf(
        text, sizeof text, "index=%lld flags=0x%X body=%lld size=%lld received=%llu created=%llu",
        static_cast<long long>(m.MessageIndex), m.OeFlags, static_cast<long long>(m.BodyOffset),
        static_cast<long long>(m.MessageSize), static_cast<unsigned long long>(m.ReceivedTime),
        static_cast<unsigned long long>(m.CreatedTime));
    return text;
  }
  if (!read.Folders.empty()) {
    const auto& f = read.Folders.front();
    return "id=" + std::to_string(f.FolderId) + " parent=" + std::to_string(f.ParentId) +
           " name=" + f.FolderName + " file=" + f.FolderFile;
  }
  return "none";
}

class DbxRecordTest : public DbxFileTest, public ::testing::WithParamInterface<TRecordCase> {};

TEST_P(DbxRecordTest, DecodesProperties) {
  TDbxWriter w(GetParam().Type);
  w.SetItemCount(1);
  w.SetRoot(kRoot);
  w.PutNode(kRoot, {{kRec1}});
  w.PutRecord(kRec1, GetParam().Properties);
  const TDbxRead read = ReadAll(Open(w));
  EXPECT_EQ(Summary(read), GetParam().Summary);
  EXPECT_EQ(read.Problems.empty() ? "" : read.Problems.front(), GetParam().Problem);
}

const std::string kT1 = FileTime(0x01D7EF1328722FAC), kT2 = FileTime(1);

const TRecordCase kRecordCases[] = {
    {"MessageFields",
     dbx::kTypeMessages,
     {Direct(0x80, 7), Direct(0x81, 0x4080), Direct(0x84, 0x8000), Direct(0x91, 1124),
      Stored(0x12, kT1), Stored(0x02, kT2)},
     "index=7 flags=0x4080 body=32768 size=1124 received=132837579592708012 created=1",
     ""},
    {"FlagsStoredThenDirectTakesTheLater",
     dbx::kTypeMessages,
     {Stored(0x01, std::string("\x00\x40\x00", 3)), Direct(0x81, 0x80)},
     "index=0 flags=0x80 body=0 size=0 received=0 created=0",
     ""},
    {"FlagsDirectThenStoredTakesTheLater",
     dbx::kTypeMessages,
     {Direct(0x81, 0x80), Stored(0x01, std::string("\x20\x40\x01\xFF", 4))},
     "index=0 flags=0x14020 body=0 size=0 received=0 created=0",
     ""},
    {"BodyOffsetAndSizeStoredIndirectly",
     dbx::kTypeMessages,
     {Stored(0x04, Dword(0x12345678)), Stored(0x11, Dword(20'000'000))},
     "index=0 flags=0x0 body=305419896 size=20000000 received=0 created=0",
     ""},
    {"PropertyOffsetOutsideTheDataArea",
     dbx::kTypeMessages,
     {Direct(0x80, 7), AtOffset(0x04, 1000)},
     "index=7 flags=0x0 body=0 size=0 received=0 created=0",
     "16384: property 0x04 points outside the record's data (offset 1000 of 0)"},
    {"NumberRunningPastTheDataArea",
     dbx::kTypeMessages,
     {Direct(0x80, 7), Stored(0x12, "\x01\x02\x03")},
     "index=7 flags=0x0 body=0 size=0 received=0 created=0",
     "16384: property 0x12 points outside the record's data (offset 0 of 3)"},
    {"FolderWithFile",
     dbx::kTypeFolders,
     {Direct(0x80, 4), Direct(0x81, 1), Stored(0x02, CString("Inbox")),
      Stored(0x03, CString("Inbox.dbx"))},
     "id=4 parent=1 name=Inbox file=Inbox.dbx",
     ""},
    {"FolderWithProperty6",
     dbx::kTypeFolders,
     {Direct(0x80, 9), Stored(0x02, CString("Hotmail")), Stored(0x06, Dword(0))},
     "id=9 parent=0 name=Hotmail file=",
     ""},
    {"FolderWithout3Or6IsDropped",
     dbx::kTypeFolders,
     {Direct(0x80, 6), Direct(0x81, 1), Stored(0x02, CString("Sent Items"))},
     "none",
     ""},
    {"ParentStoredIndirectly",
     dbx::kTypeFolders,
     {Stored(0x01, Dword(0xFFFFFFFF)), Stored(0x02, CString("Outlook Express")),
      Stored(0x06, Dword(0))},
     "id=0 parent=-1 name=Outlook Express file=",
     ""},
    {"NameWithoutZeroEndsWithTheArea",
     dbx::kTypeFolders,
     {Direct(0x80, 4), Stored(0x03, CString("Inbox.dbx")), Stored(0x02, "Inbox")},
     "id=4 parent=0 name=Inbox file=Inbox.dbx",
     ""},
};

INSTANTIATE_TEST_SUITE_P(Dbx, DbxRecordTest, ::testing::ValuesIn(kRecordCases), ByName());

// Files that are not mail folders or folder lists are refused when opened.
struct TRefusedCase {
  std::string Name;
  TBuild Build;
  std::string Detail;
  std::int64_t Offset;
};

class DbxRefusedTest : public DbxFileTest, public ::testing::WithParamInterface<TRefusedCase> {};

TEST_P(DbxRefusedTest, RaisesTheStreamError) {
  TDbxWriter w(dbx::kTypeMessages);
  ThreeRecords(w);
  GetParam().Build(w);
  w.Save(Dir.Path() + "x.dbx");
  try {
    File.OpenFile(Dir.Path() + "x.dbx");
    FAIL() << "opened";
  } catch (const EStreamError& e) {
    EXPECT_EQ(e.Kind(), TStreamErrorKind::Stream);
    EXPECT_EQ(e.Detail(), GetParam().Detail);
    EXPECT_EQ(e.Offset(), GetParam().Offset);
    EXPECT_EQ(e.Path(), Dir.Path() + "x.dbx");
  }
}

const TRefusedCase kRefusedCases[] = {
    {"OfflineFile", [](TDbxWriter& w) { w.PutU32(4, dbx::kTypeOffline); },
     "an offline file, not a mail folder or folder list", 4},
    {"Pop3IdList", [](TDbxWriter& w) { w.PutU32(4, dbx::kTypePop3Uidl); },
     "a POP3 id list, not a mail folder or folder list", 4},
    {"UnknownType", [](TDbxWriter& w) { w.PutU32(4, 0x12345678); }, "unknown .dbx file type", 4},
    {"NoSignature", [](TDbxWriter& w) { w.PutU32(0, 0x46524F4D); },
     "not an Outlook Express .dbx file", 0},
    {"EmptyFile", [](TDbxWriter& w) { w.Truncate(0); }, "not an Outlook Express .dbx file", 0},
    {"HeaderCutShort", [](TDbxWriter& w) { w.Truncate(0x40); }, "file header cut short", 0x40},
};

INSTANTIATE_TEST_SUITE_P(Dbx, DbxRefusedTest, ::testing::ValuesIn(kRefusedCases), ByName());

TEST_P(DbxRefusedTest, RefusedFileStaysRefused) {
  TDbxWriter w(dbx::kTypeMessages);
  ThreeRecords(w);
  GetParam().Build(w);
  w.Save(Dir.Path() + "x.dbx");
  EXPECT_THROW(File.OpenFile(Dir.Path() + "x.dbx"), EStreamError);
  EXPECT_THROW(File.ReadTree(), EStreamError);
}

TEST_F(DbxFileTest, MissingFileCannotBeOpened) {
  try {
    File.OpenFile(Dir.Path() + "Inbox.dbx");
    FAIL() << "opened";
  } catch (const EStreamError& e) {
    EXPECT_EQ(e.Kind(), TStreamErrorKind::CannotOpen);
    EXPECT_EQ(e.Path(), Dir.Path() + "Inbox.dbx");
  }
}

TEST_F(DbxFileTest, SplitsTheNameIntoStorePathAndFileName) {
  TDbxWriter w(dbx::kTypeFolders);
  TOEFile& file = Open(w, "FOLDERS.DBX");
  EXPECT_EQ(file.StorePath(), Dir.Path());
  EXPECT_EQ(file.FileName(), "FOLDERS.DBX");
  EXPECT_TRUE(file.IsFoldersFile());
}

TEST_F(DbxFileTest, ReopensAFileThatChangedOnDisk) {
  // Linux has no deny-write sharing: the mail program may replace the
  // file while it is open here, and the old descriptor keeps the old inode.
  TDbxWriter w(dbx::kTypeMessages);
  ThreeRecords(w);
  w.PutNode(kRoot, {{kRec1}});
  w.SetItemCount(1);
  EXPECT_EQ(ReadAll(Open(w)).Messages.size(), 1u);
  ThreeRecords(w);
  w.Save(Dir.Path() + "new.dbx");
  std::filesystem::rename(Dir.Path() + "new.dbx", Dir.Path() + "Test.dbx");
  File.OpenFile(Dir.Path() + "Test.dbx");
  EXPECT_EQ(File.ItemCount(), 3);
  EXPECT_EQ(ReadAll(File).Messages.size(), 3u);
}

TEST_F(DbxFileTest, TextsCanBeReadWhileTheTreeIsWalked) {
  // The store copies each message's text from inside OnMessage.
  TDbxWriter w(dbx::kTypeMessages);
  ThreeRecords(w);
  w.PutNode(kRoot, {{kRec1, kNodeA}, {kRec3}});
  w.PutNode(kNodeA, {{kRec2}}, 0, kRoot);
  const std::string texts[] = {kA + kC, kB, kC + kA + kB};
  const std::int64_t records[] = {kRec1, kRec2, kRec3};
  std::int64_t at = kBody;
  for (int i = 0; i < 3; ++i) {
    w.PutRecord(records[i], {Direct(0x80, i + 1), Direct(0x84, std::uint32_t(at))});
    at = w.PutText(at, texts[i]);
  }
  TOEFile& file = Open(w);
  std::vector<std::string> read;
  file.OnMessage = [&](std::unique_ptr<Toe5_MessageInfo> m) {
    read.push_back(ReadText(file, m->BodyOffset));
  };
  file.ReadTree();
  EXPECT_EQ(read, (std::vector<std::string>{texts[0], texts[1], texts[2]}));
  EXPECT_EQ(ProblemsText(file), "");
}

TEST_F(DbxFileTest, ReadsAfterCloseReopenTheFile) {
  TDbxWriter w(dbx::kTypeMessages);
  ThreeRecords(w);
  w.PutText(kBody, kC);
  TOEFile& file = Open(w);
  file.CloseFile();
  EXPECT_EQ(ReadText(file, kBody), kC);
  file.CloseFile();
  EXPECT_EQ(ReadAll(file).Messages.size(), 3u);
}

}  // namespace
}  // namespace quenby::test
