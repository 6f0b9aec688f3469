#pragma once
// The persistable objects the INI filer walks: the root TPersistent, the
// optional section and extra-property hooks (IIniHooks), and the INI bases
// TIniPersistent, TIniComponent, TIniCollection and TIniCollectionItem.

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "settings/PropInfo.h"

namespace quenby {

class TIniFiler;

class TPersistent {
 public:
  virtual ~TPersistent() = default;
  // The published properties, or nullptr for a class that publishes none:
  // the filer then skips the object, hook included.
  virtual const TClassInfo* ClassInfo() const { return nullptr; }
  std::string ClassName() const;  // empty without ClassInfo
};

// What a persistable class may add to the generic walk. Windows, which
// derive from neither INI base, implement it beside their widget base.
class IIniHooks {
 public:
  virtual ~IIniHooks() = default;
  virtual std::u16string GetSectionName() const = 0;
  // Reads when reading is true, else writes; the filer's Section is the
  // object's own when called.
  virtual void DefineIniProperties(TIniFiler& filer, bool reading) = 0;
};

class TIniPersistent : public TPersistent, public IIniHooks {
 public:
  static const TClassInfo& StaticInfo();
  const TClassInfo* ClassInfo() const override { return &StaticInfo(); }
  std::u16string GetSectionName() const override;  // the class name without its first character
  void DefineIniProperties(TIniFiler&, bool) override {}
};

// Publishes Name (not stored) and Tag (default 0), the filer skips Tag.
// Components here are owned by whoever creates them.
class TComponent : public TPersistent {
 public:
  static const TClassInfo& StaticInfo();
  const TClassInfo* ClassInfo() const override { return &StaticInfo(); }
  std::string Name;
  std::int32_t Tag = 0;
};

class TIniComponent : public TComponent, public IIniHooks {
 public:
  static const TClassInfo& StaticInfo();
  const TClassInfo* ClassInfo() const override { return &StaticInfo(); }
  std::u16string GetSectionName() const override;
  void DefineIniProperties(TIniFiler&, bool) override {}
};

class TIniCollection;

class TIniCollectionItem : public TPersistent {
 public:
  static const TClassInfo& StaticInfo();  // ItemName
  const TClassInfo* ClassInfo() const override { return &StaticInfo(); }
  TIniCollection* Collection() const { return Collection_; }
  std::int64_t Index() const;  // -1 without a collection
  std::string ItemName;

 private:
  friend class TIniCollection;
  TIniCollection* Collection_ = nullptr;
};

class TIniCollection : public TPersistent {
 public:
  using TItemFactory = std::function<std::unique_ptr<TIniCollectionItem>()>;
  // owner: the object whose published property holds this collection (its
  // name is the collection's section); may be nullptr.
  TIniCollection(TPersistent* owner, TItemFactory factory);
  ~TIniCollection() override;

  static const TClassInfo& StaticInfo();  // DefaultItemIndex (default 0)
  const TClassInfo* ClassInfo() const override { return &StaticInfo(); }

  TPersistent* Owner() const { return Owner_; }
  std::int64_t Count() const { return static_cast<std::int64_t>(Items_.size()); }
  TIniCollectionItem& Items(std::int64_t i) const;  // EListError outside 0..Count-1
  TIniCollectionItem& Add();
  void Delete(std::int64_t i);
  void Clear();
  std::int64_t IndexOf(const TIniCollectionItem* item) const;

  TIniCollectionItem* DefaultItem() const { return DefaultItem_; }
  void SetDefaultItem(TIniCollectionItem* item) { DefaultItem_ = item; }
  // 0 when empty; else the default item's index, or the first item's.
  std::int32_t DefaultItemIndex() const;
  void SetDefaultItemIndex(std::int32_t index);  // ignored outside 0..Count-1

 private:
  TPersistent* Owner_;
  TItemFactory Factory_;
  std::vector<std::unique_ptr<TIniCollectionItem>> Items_;
  TIniCollectionItem* DefaultItem_ = nullptr;
};

}  // namespace quenby
