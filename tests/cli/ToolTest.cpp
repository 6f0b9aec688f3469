// The quenby tool's arguments, exit codes and the files it writes.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <sstream>

#include "DbxFixture.h"
#include "TempDir.h"
#include "TestNames.h"
#include "cli/Tool.h"
#include "platform/LegacyCodePage.h"
#include "stores/DbxLayout.h"

namespace quenby::test {
namespace {

struct TRun {
  int Code;
  std::string Out, Err;
};

TRun RunQuenby(const std::vector<std::string>& args) {
  std::ostringstream out, err;
  const int code = cli::RunTool(args, out, err);
  return {code, out.str(), err.str()};
}

const std::string kInbox = std::string(QUENBY_TEST_DATA) + "/dbx/Inbox.dbx";

struct TUsageCase {
  std::string Name;
  std::vector<std::string> Args;
  int Code;
  std::string FirstErrorLine;  // empty: nothing on standard error
};

class ToolUsageTest : public ::testing::TestWithParam<TUsageCase> {};

TEST_P(ToolUsageTest, ExitCodeAndDiagnostic) {
  const TRun run = RunQuenby(GetParam().Args);
  EXPECT_EQ(run.Code, GetParam().Code);
  EXPECT_EQ(run.Err.substr(0, run.Err.find('\n')), GetParam().FirstErrorLine);
  if (run.Code == 2) {
    EXPECT_TRUE(run.Out.empty()) << "usage errors print nothing on standard output";
  }
}

const TUsageCase kUsageCases[] = {
    {"NoArguments", {}, 2, "quenby: no verb given"},
    {"UnknownVerb", {"list-all"}, 2, "quenby: unknown verb 'list-all'"},
    {"UnknownOption", {"folders", "--json", "x"}, 2, "quenby: unknown option '--json'"},
    {"MissingOperand", {"show", "x.dbx"}, 2, "quenby: missing operand"},
    {"TooManyOperands", {"dbx-records", "a", "b"}, 2, "quenby: too many operands"},
    {"NoKnownStoreKind",
     {"list", "/nonexistent/notes.txt"},
     1,
     "quenby: The file cannot be opened: /nonexistent/notes.txt (not a store of a known kind)"},
    {"UnknownField",
     {"list", kInbox, "--fields", "key,colour"},
     2,
     "quenby: unknown field 'colour'"},
    {"FolderOfAFolderFile",
     {"list", kInbox, "--folder", "Inbox"},
     2,
     "quenby: --folder needs a store folder, not a folder file"},
    {"JsonOnlyForList", {"show", kInbox, "2", "--json"}, 2, "quenby: unknown option '--json'"},
    {"ExportWithoutEml",
     {"export", "x.dbx"},
     2,
     "quenby: export needs either --eml DIR or --mbox FILE"},
    {"EmlWithoutFolder", {"export", "x.dbx", "--eml"}, 2, "quenby: --eml needs a value"},
    {"ToolHelp", {"--help"}, 0, ""},
    {"VerbHelp", {"show", "--help"}, 0, ""},
    {"Version", {"--version"}, 0, ""},
    {"MissingFile",
     {"dbx-records", "/nonexistent/Inbox.dbx"},
     1,
     "quenby: The file cannot be opened: /nonexistent/Inbox.dbx (No such file or directory)"},
    {"NoMessageWithKey",
     {"show", kInbox, "7"},
     1,
     "quenby: The file is damaged or of another kind: " + kInbox + " (no message with key 7)"},
    {"OptionsAfterDashDash", {"show", "--", kInbox, "2"}, 0, ""},
};

INSTANTIATE_TEST_SUITE_P(Tool, ToolUsageTest, ::testing::ValuesIn(kUsageCases), ByName());

TEST(Tool, VersionAndHelpGoToStandardOutput) {
  EXPECT_EQ(RunQuenby({"--version"}).Out, "quenby " QUENBY_VERSION "\n");
  EXPECT_TRUE(RunQuenby({"export", "--help"})
                  .Out.starts_with("usage: quenby export STORE (--eml DIR | --mbox FILE)"));
}

TEST(Tool, ExportWritesEveryTextAsShowPrintsIt) {
  // Two messages with the same subject and index must not overwrite each
  // other; a message without text is left out with a warning.
  TDbxWriter w(dbx::kTypeMessages);
  w.SetItemCount(3);
  w.SetRoot(0x3000);
  w.PutNode(0x3000, {{0x4000}, {0x4100}, {0x4200}});
  w.PutRecord(0x4000, {Direct(0x80, 5), Direct(0x84, 0x8000)});
  w.PutRecord(0x4100, {Direct(0x80, 5), Direct(0x84, 0x9000)});
  w.PutRecord(0x4200, {Direct(0x80, 6)});  // no text
  w.PutText(0x8000, "Subject: one\r\n\r\nfirst\r\n");
  w.PutText(0x9000, "Subject: One\r\n\r\n" + std::string(1000, 'x'));
  TTempDir dir;
  w.Save(dir.Path() + "f.dbx");
  const TRun run = RunQuenby({"export", dir.Path() + "f.dbx", "--eml", dir.Path() + "out"});
  EXPECT_EQ(run.Code, 0);
  EXPECT_EQ(run.Out, "");
  EXPECT_EQ(run.Err,
            "quenby: warning: " + dir.Path() + "f.dbx: The file is damaged or of another kind\n");
  std::vector<std::string> names;
  std::vector<std::size_t> sizes;
  for (const auto& e : std::filesystem::directory_iterator(dir.Path() + "out"))
    names.push_back(e.path().filename().string());
  std::sort(names.begin(), names.end());
  ASSERT_EQ(names.size(), 2u);
  EXPECT_TRUE(names[0].ends_with(".eml") && names[0] != names[1]) << names[0] << " " << names[1];
  for (const auto& name : names)
    sizes.push_back(std::filesystem::file_size(dir.Path() + "out/" + name));
  std::sort(sizes.begin(), sizes.end());
  EXPECT_EQ(sizes, (std::vector<std::size_t>{23, 1016}));
  const TRun shown = RunQuenby({"show", kInbox, "2"});
  const TRun exported = RunQuenby({"export", kInbox, "--eml", dir.Path() + "inbox"});
  ASSERT_EQ(exported.Code, 0) << exported.Err;
  std::ifstream file(dir.Path() + "inbox/Welcome to Outlook Express 62.eml", std::ios::binary);
  EXPECT_EQ(std::string(std::istreambuf_iterator<char>(file), {}), shown.Out);
}

TEST(Tool, FieldsAreDecodedAndEscaped) {
  // Folder names are legacy code page bytes; a tab or line end inside a
  // field must not break the table.
  SetLegacyCodePage("windows-1252");
  TDbxWriter w(dbx::kTypeFolders);
  w.SetItemCount(2);
  w.SetRoot(0x3000);
  w.PutNode(0x3000, {{0x4000}, {0x4100}});
  w.PutRecord(0x4000, {Direct(0x80, 8), Direct(0x81, 1), Stored(0x02, CString("Entw\xFCrfe")),
                       Stored(0x03, CString("Entw\xFCrfe.dbx"))});
  w.PutRecord(0x4100, {Direct(0x80, 9), Stored(0x02, CString("tab\there\nback\\slash")),
                       Stored(0x06, Dword(0))});
  TTempDir dir;
  w.Save(dir.Path() + "Folders.dbx");
  const TRun folders = RunQuenby({"folders", dir.Path()});
  EXPECT_EQ(folders.Out,
            "8\t1\tEntw\xC3\xBCrfe\tEntw\xC3\xBCrfe.dbx\n9\t0\ttab\\there\\nback\\\\slash\t\n");
  EXPECT_EQ(folders.Err, "");
  SetLegacyCodePage({});

  TDbxWriter m(dbx::kTypeMessages);
  m.SetItemCount(1);
  m.SetRoot(0x3000);
  m.PutNode(0x3000, {{0x4000}});
  m.PutRecord(0x4000,
              {Direct(0x80, 5), Direct(0x81, 0x4080), Stored(0x12, FileTime(0x01D7EF1328722FAC))});
  m.Save(dir.Path() + "m.dbx");
  EXPECT_EQ(RunQuenby({"dbx-records", dir.Path() + "m.dbx"}).Out,
            "index\tflags\tbody_offset\tsize\treceived\tcreated\n"
            "5\t0x4080\t0\t0\t2021-12-12T04:45:59Z\t\n");
}

TEST(Tool, ListShowsTheCollectionsFields) {
  TTempDir dir;
  {
    TDbxFileBuilder b(dir.Path() + "f.dbx");
    b.AddMessage(1,
                 "From: ann@example.org\r\nTo: Bob Ray <bob@example.org>\r\n"
                 "Subject: tab\there back\\slash\r\n folded\r\n"
                 "Date: Tue, 07 Jun 2005 08:09:11 +0200\r\n\r\nbody\r\n",
                 0x4080, 0);
    b.AddMessage(2, "Subject: plain\r\n\r\n", 0x20, 0);
    b.Finish();
  }
  // The date is the same instant whatever the local zone; the rows come in
  // the list view's default order, by subject.
  const char* const zones[] = {"UTC", "America/New_York", "Asia/Kolkata"};
  const std::string expected =
      "key\tdate\tfrom\tto\tsubject\tsize\tflags\n"
      "2\t\t\t\tplain\t18\tF\n"
      "1\t2005-06-07T06:09:11Z\tann@example.org\tBob Ray <bob@example.org>\t"
      "tab here back\\slash folded\t140\tAS\n";
  const std::string savedZone = std::getenv("TZ") ? std::getenv("TZ") : "";
  for (const char* zone : zones) {
    SCOPED_TRACE(zone);
    setenv("TZ", zone, 1);
    tzset();
    const TRun run = RunQuenby({"list", dir.Path() + "f.dbx"});
    EXPECT_EQ(run.Out, expected);
    EXPECT_EQ(run.Err, "");
  }
  savedZone.empty() ? unsetenv("TZ") : setenv("TZ", savedZone.c_str(), 1);
  tzset();
  EXPECT_EQ(
      RunQuenby({"list", dir.Path() + "f.dbx", "--json", "--fields", "subject,size,seen"}).Out,
      "{\"subject\":\"plain\",\"size\":18,\"seen\":0}\n"
      "{\"subject\":\"tab\\there back\\\\slash folded\",\"size\":140,\"seen\":1}\n");
  // The order of the list view: by one column, inverted on request.
  const struct {
    std::vector<std::string> Args;
    std::string Keys;
  } orders[] = {
      {{}, "key\n2\n1\n"},
      {{"--invert"}, "key\n1\n2\n"},
      {{"--sort", "size"}, "key\n2\n1\n"},
      {{"--sort", "Size", "--invert"}, "key\n1\n2\n"},
      {{"--sort", "fromemail"}, "key\n2\n1\n"},
      {{"--sort", "seen"}, "key\n1\n2\n"},
  };
  for (const auto& o : orders) {
    std::vector<std::string> args{"list", dir.Path() + "f.dbx", "--fields", "key"};
    args.insert(args.end(), o.Args.begin(), o.Args.end());
    EXPECT_EQ(RunQuenby(args).Out, o.Keys) << ::testing::PrintToString(o.Args);
  }
}

TEST(Tool, ExportIntoAFileFailsWithItsPath) {
  TTempDir dir;
  std::ofstream(dir.Path() + "taken") << "x";
  const TRun run = RunQuenby({"export", kInbox, "--eml", dir.Path() + "taken"});
  EXPECT_EQ(run.Code, 1);
  EXPECT_NE(run.Err.find(dir.Path() + "taken"), std::string::npos) << run.Err;
}

}  // namespace
}  // namespace quenby::test

namespace quenby::test {
namespace {

TEST(Tool, ExportOfAFolderOfMessageFilesCopiesEachFileAsItIs) {
  // Names equal but for case are two messages, and neither overwrites the
  // other in the export.
  TTempDir dir;
  std::filesystem::create_directory(dir.Path() + "in");
  const std::map<std::string, std::string> files = {
      {"m.eml", "Subject: same\n\nlower\n"},
      {"M.EML", "Subject: same\r\n\r\nupper\r\n"},
  };
  for (const auto& [name, text] : files) WriteAll(dir.Path() + "in/" + name, text);
  const TRun run = RunQuenby({"export", dir.Path() + "in", "--eml", dir.Path() + "out"});
  ASSERT_EQ(run.Code, 0) << run.Err;
  std::multiset<std::string> exported;
  for (const auto& e : std::filesystem::directory_iterator(dir.Path() + "out"))
    exported.insert(ReadAll(e.path().string()));
  EXPECT_EQ(exported, (std::multiset<std::string>{files.at("m.eml"), files.at("M.EML")}));

  const TRun mbox = RunQuenby({"export", dir.Path() + "in", "--mbox", dir.Path() + "all.mbox"});
  ASSERT_EQ(mbox.Code, 0) << mbox.Err;
  const std::string box = ReadAll(dir.Path() + "all.mbox");
  EXPECT_NE(box.find("\nlower\n"), std::string::npos) << box;
  EXPECT_NE(box.find("\r\nupper\r\n"), std::string::npos) << box;
}

}  // namespace
}  // namespace quenby::test
