#include "settings/History.h"

#include "platform/CaseFold.h"

namespace quenby {

THistory::THistory(IRegistry& registry, const std::string& programKey)
    : Registry_(registry), Key_(programKey + "\\History") {}

std::int32_t THistory::Count() const {
  for (std::int32_t i = kShown - 1; i >= 0; --i)
    if (!Get(i).empty()) return i + 1;
  return 0;
}

std::string THistory::Get(std::int32_t i) const {
  try {
    return Registry_.ReadString(Key_, ValueName(i)).value_or(std::string());
  } catch (const std::exception&) {
    return {};
  }
}

void THistory::Put(std::int32_t i, const std::string& text) {
  try {
    Registry_.WriteString(Key_, ValueName(i), text);
  } catch (const std::exception&) {
    // A history entry is a convenience; a failed save loses only it.
  }
}

std::int32_t THistory::Add(const std::string& text) {
  MoveToTop(ListName_, text);
  return 0;
}

void THistory::Insert(std::int32_t i, const std::string& text) {
  const std::int32_t count = Count();
  if (i < 0 || i > count) return;
  for (std::int32_t k = count - 1; k >= i; --k) Put(k + 1, Get(k));
  Put(i, text);
}

void THistory::Delete(std::int32_t i) {
  const std::int32_t count = Count();
  if (i < 0 || i >= count) return;
  for (std::int32_t k = i + 1; k < count; ++k) Put(k - 1, Get(k));
  Put(count - 1, {});
}

void THistory::Clear() {
  try {
    Registry_.DeleteKey(Key_);
  } catch (const std::exception&) {
  }
}

void THistory::MoveToTop(const std::string& name, const std::string& text) {
  ListName_ = name;
  const std::int32_t count = Count();
  for (std::int32_t k = 0; k < count; ++k) {
    if (!SameTextUtf8(Get(k), text)) continue;
    if (k == 0) return;
    Delete(k);
    break;
  }
  Insert(0, text);
}

}  // namespace quenby
