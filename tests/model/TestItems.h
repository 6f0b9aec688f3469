#pragma once
// A sortable item collection for the list tests: items carry an int value,
// count their destructions, and the list finds by a key it keeps.
#include <atomic>
#include <vector>

#include "model/VirtItems.h"

namespace quenby::test {

class TIntItems;

class TIntItem : public TVirtItem {
 public:
  TIntItem(TIntItems* owner, int value, std::atomic<int>* destroyed = nullptr);
  ~TIntItem() override {
    if (Destroyed) Destroyed->fetch_add(1);
  }
  std::string GetKey() const override { return Key; }
  int Value;
  std::string Key;
  std::atomic<int>* Destroyed;
};

class TIntItems : public TVirtItems {
 public:
  int Key = 0;
  int CompareItems(const TSyncItem* a, const TSyncItem* b) const override {
    const int x = static_cast<const TIntItem*>(a)->Value,
              y = static_cast<const TIntItem*>(b)->Value;
    return x < y ? -1 : (x > y ? 1 : 0);
  }
  int CompareKey(std::int32_t i) const override {
    const int v = static_cast<const TIntItem*>(RawItems(i))->Value;
    return v < Key ? -1 : (v > Key ? 1 : 0);
  }
  std::vector<int> Values() const {
    std::vector<int> out;
    for (std::int32_t i = 0; i < Count(); ++i)
      out.push_back(static_cast<TIntItem*>(ItemAt(i))->Value);
    return out;
  }
  TIntItem* AddValue(int v, std::atomic<int>* destroyed = nullptr) {
    auto* item = new TIntItem(this, v, destroyed);
    Add(item);
    return item;
  }
};

inline TIntItem::TIntItem(TIntItems* owner, int value, std::atomic<int>* destroyed)
    : TVirtItem(owner), Value(value), Destroyed(destroyed) {}

}  // namespace quenby::test
