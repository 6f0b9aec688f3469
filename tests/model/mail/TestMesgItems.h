#pragma once
// A store stand-in: each item keeps its message bytes in memory.
#include <string>

#include "model/Stream.h"
#include "model/mail/MesgItems.h"

namespace quenby::test {

class TTextMesgItem : public TMesgItem {
 public:
  TTextMesgItem(TMesgItems* owner, std::string text) : TMesgItem(owner), Text(std::move(text)) {}
  void SaveToStream(TStream& stream) const override {
    stream.WriteBuffer(Text.data(), static_cast<std::int64_t>(Text.size()));
  }
  std::string Text;
};

}  // namespace quenby::test
