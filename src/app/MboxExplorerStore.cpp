#include "app/ExplorerStores.h"
#include "stores/MemMesgItems.h"
#include "stores/UnixMesgItems.h"

namespace quenby {

namespace {

class TMboxExplorerStore : public TExplorerStore {
 public:
  std::unique_ptr<TMesgItems> MakeCollection() override {
    return std::make_unique<TUnixMesgItems>();
  }
  std::string LocationKey() const override { return "MBoxFileName"; }
  std::string Location(TMesgItems& items) const override {
    return static_cast<TUnixMesgItems&>(items).MBoxFileName();
  }
  TTreeChange SetLocation(TMesgItems& items, const std::string& path) override {
    static_cast<TUnixMesgItems&>(items).SetMBoxFileName(path);
    return TTreeChange::Keep;
  }
  bool Loading(TMesgItems& items) const override {
    return static_cast<TUnixMesgItems&>(items).Loading();
  }
  std::u16string OpenFilterKey() const override { return u"mbx"; }
};

class TMemExplorerStore : public TExplorerStore {
 public:
  std::unique_ptr<TMesgItems> MakeCollection() override {
    return std::make_unique<TMemMesgItems>();
  }
  void AddDigest(TMesgItems& items, TMesgItem* digest) override {
    static_cast<TMemMesgItems&>(items).SplitDigest(digest);
  }
};

}  // namespace

std::unique_ptr<TExplorerStore> MakeMboxExplorerStore() {
  return std::make_unique<TMboxExplorerStore>();
}

std::unique_ptr<TExplorerStore> MakeMemExplorerStore() {
  return std::make_unique<TMemExplorerStore>();
}

}  // namespace quenby
