#pragma once
// Combo-box histories kept in the registry stand-in: entry i of a list is
// the value named ListName + i under the program's "History" key. A list
// shows entries 0 to 9; an entry pushed to 10 lingers unseen. Registry
// failures are ignored: reads give empty entries, writes are dropped.

#include <cstdint>
#include <string>

#include "platform/Registry.h"

namespace quenby {

class THistory {
 public:
  static constexpr std::int32_t kShown = 10;

  // programKey: "software\Tolvane\Quenby Mailer"; the lists live in its
  // "History" sub-key.
  THistory(IRegistry& registry, const std::string& programKey);

  const std::string& ListName() const { return ListName_; }
  void SetListName(std::string name) { ListName_ = std::move(name); }

  std::int32_t Count() const;
  std::string Get(std::int32_t i) const;
  void Put(std::int32_t i, const std::string& text);
  std::int32_t Add(const std::string& text);
  // Indexes below 0 are refused: they would name values like "List-1".
  void Insert(std::int32_t i, const std::string& text);
  void Delete(std::int32_t i);
  void Clear();  // every list
  void MoveToTop(const std::string& name, const std::string& text);

 private:
  std::string ValueName(std::int32_t i) const { return ListName_ + std::to_string(i); }

  IRegistry& Registry_;
  std::string Key_;
  std::string ListName_;
};

}  // namespace quenby
