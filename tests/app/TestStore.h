#pragma once
// A store for explorer tests: each location names a list of messages kept
// in memory, loaded at once; a label stands for the folder tree.
#include <QLabel>
#include <map>
#include <string>
#include <vector>

#include "app/ExplorerStore.h"
#include "model/mail/TestMesgItems.h"
#include "text/MimeMessage.h"

namespace quenby::test {

class TKeyedMesgItem : public TTextMesgItem {
 public:
  TKeyedMesgItem(TMesgItems* owner, std::string key, std::string text)
      : TTextMesgItem(owner, std::move(text)), Key(std::move(key)) {}
  std::string GetKey() const override { return Key; }
  void LoadMessage(TMimeMessage& message, bool headersOnly) const override {
    if (Fail) throw std::runtime_error("the message is gone");
    TTextMesgItem::LoadMessage(message, headersOnly);
  }
  std::string Key;
  bool Fail = false;
};

class TTestCollection : public TMesgItems {
 public:
  std::string Location;
};

// Messages by location; "name" -> the message's bytes, in list order.
using TTestMailboxes = std::map<std::string, std::vector<std::pair<std::string, std::string>>>;

class TTestStore : public TExplorerStore {
 public:
  TTestStore(const TTestMailboxes& boxes, bool tree) : Boxes_(boxes), Tree_(tree) {}

  std::unique_ptr<TMesgItems> MakeCollection() override {
    return std::make_unique<TTestCollection>();
  }
  std::string LocationKey() const override { return "MBoxFileName"; }
  std::string Location(TMesgItems& items) const override {
    return static_cast<TTestCollection&>(items).Location;
  }
  TTreeChange SetLocation(TMesgItems& items, const std::string& path) override {
    auto& collection = static_cast<TTestCollection&>(items);
    collection.Location = path;
    collection.Clear();
    auto found = Boxes_.find(path);
    if (found == Boxes_.end()) return TTreeChange::Keep;
    collection.BeginUpdate();
    for (const auto& [key, text] : found->second) {
      auto* item = new TKeyedMesgItem(&collection, key, text);
      TMimeMessage message;
      message.Parse(text, true);
      item->FillFromMessage(message);
      collection.Add(item);
    }
    collection.EndUpdate();
    collection.SyncViewCount();
    collection.PostToView(WM_ITEMS_RESELECT);
    return TTreeChange::Keep;
  }
  bool Loading(TMesgItems&) const override { return LoadingNow; }
  // A digest's messages: here the digest itself, copied once.
  void AddDigest(TMesgItems& items, TMesgItem* digest) override {
    auto* copy = new TKeyedMesgItem(&items, "part", static_cast<TTextMesgItem*>(digest)->Text);
    TMimeMessage message;
    message.Parse(copy->Text, true);
    copy->FillFromMessage(message);
    items.Add(copy);
    items.SyncViewCount();
  }
  QWidget* MakeTree(QWidget* parent, TMesgItems&) override {
    return Tree_ ? new QLabel(QStringLiteral("tree"), parent) : nullptr;
  }
  QString SelectedFolderName(QWidget*) const override { return QStringLiteral("Inbox"); }
  std::u16string OpenFilterKey() const override { return u"mbx"; }
  TTreeChange OpenChosenFile(TMesgItems& items, const std::string& path, TOptions*) override {
    Chosen.push_back(path);
    return SetLocation(items, path);
  }

  std::vector<std::string> Chosen;
  bool LoadingNow = false;

 private:
  const TTestMailboxes& Boxes_;
  bool Tree_;
};

}  // namespace quenby::test
