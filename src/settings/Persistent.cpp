#include "settings/Persistent.h"

#include "platform/Errors.h"
#include "settings/WideText.h"

namespace quenby {

namespace {

std::u16string ClassSection(const TPersistent& object) {
  const std::string name = object.ClassName();
  return Utf8ToUtf16(name.empty() ? name : name.substr(1));
}

}  // namespace

std::string TPersistent::ClassName() const {
  const TClassInfo* info = ClassInfo();
  return info ? info->ClassName() : std::string();
}

const TClassInfo& TIniPersistent::StaticInfo() {
  static const TClassInfo info("TIniPersistent", nullptr, {});
  return info;
}

std::u16string TIniPersistent::GetSectionName() const {
  return ClassSection(*this);
}

const TClassInfo& TComponent::StaticInfo() {
  static const TClassInfo info = TClassBuilder<TComponent>("TComponent", nullptr)
                                     .String("Name", &TComponent::Name)
                                     .NotStored()
                                     .Integer("Tag", &TComponent::Tag, 0)
                                     .Build(true);
  return info;
}

const TClassInfo& TIniComponent::StaticInfo() {
  static const TClassInfo info("TIniComponent", &TComponent::StaticInfo(), {});
  return info;
}

std::u16string TIniComponent::GetSectionName() const {
  return ClassSection(*this);
}

const TClassInfo& TIniCollectionItem::StaticInfo() {
  static const TClassInfo info = TClassBuilder<TIniCollectionItem>("TIniCollectionItem", nullptr)
                                     .String("ItemName", &TIniCollectionItem::ItemName)
                                     .Build();
  return info;
}

std::int64_t TIniCollectionItem::Index() const {
  return Collection_ ? Collection_->IndexOf(this) : -1;
}

TIniCollection::TIniCollection(TPersistent* owner, TItemFactory factory)
    : Owner_(owner), Factory_(std::move(factory)) {}

TIniCollection::~TIniCollection() = default;

const TClassInfo& TIniCollection::StaticInfo() {
  using B = TClassBuilder<TIniCollection>;
  static const TClassInfo info =
      B("TIniCollection", nullptr)
          .Integer(
              "DefaultItemIndex",
              B::Access(&TIniCollection::DefaultItemIndex, &TIniCollection::SetDefaultItemIndex), 0)
          .Build();
  return info;
}

TIniCollectionItem& TIniCollection::Items(std::int64_t i) const {
  if (i < 0 || i >= Count()) throw EListError(i);
  return *Items_[static_cast<std::size_t>(i)];
}

TIniCollectionItem& TIniCollection::Add() {
  Items_.push_back(Factory_ ? Factory_() : std::make_unique<TIniCollectionItem>());
  Items_.back()->Collection_ = this;
  return *Items_.back();
}

void TIniCollection::Delete(std::int64_t i) {
  TIniCollectionItem& item = Items(i);
  if (&item == DefaultItem_) DefaultItem_ = nullptr;
  Items_.erase(Items_.begin() + i);
}

void TIniCollection::Clear() {
  DefaultItem_ = nullptr;
  Items_.clear();
}

std::int64_t TIniCollection::IndexOf(const TIniCollectionItem* item) const {
  for (std::size_t i = 0; i < Items_.size(); ++i)
    if (Items_[i].get() == item) return static_cast<std::int64_t>(i);
  return -1;
}

std::int32_t TIniCollection::DefaultItemIndex() const {
  if (Items_.empty()) return 0;
  const std::int64_t index = DefaultItem_ ? IndexOf(DefaultItem_) : 0;
  return static_cast<std::int32_t>(index < 0 ? 0 : index);
}

void TIniCollection::SetDefaultItemIndex(std::int32_t index) {
  if (index == DefaultItemIndex() || index < 0 || index >= Count()) return;
  DefaultItem_ = Items_[static_cast<std::size_t>(index)].get();
}

}  // namespace quenby
