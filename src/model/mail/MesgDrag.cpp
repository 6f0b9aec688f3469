#include "model/mail/MesgDrag.h"

#include <cstdio>
#include <unordered_set>

#include "settings/WideText.h"

namespace quenby {
namespace {

// The longest prefix of at most limit bytes that does not split a UTF-8
// sequence.
std::size_t Utf8Prefix(const std::string& text, std::size_t limit) {
  if (text.size() <= limit) return text.size();
  std::size_t cut = limit;
  while (cut > 0 && (static_cast<unsigned char>(text[cut]) & 0xC0) == 0x80) --cut;
  return cut;
}

}  // namespace

std::vector<std::string> UniqueDragNames(std::vector<std::string> names) {
  std::unordered_set<std::string> taken;
  for (std::string& name : names) {
    if (name.empty()) name = "no subject";
    name.resize(Utf8Prefix(name, kMaxDragBaseBytes));
    taken.insert(FoldKey(name));
  }
  // A name already given out in this drag; the first of equal names keeps
  // its own, later ones take a number no name of the set uses.
  std::unordered_set<std::string> given;
  for (std::string& name : names) {
    std::string key = FoldKey(name);
    if (given.insert(key).second) continue;
    for (int n = 2;; ++n) {
      char number[16];
      std::snprintf(number, sizeof number, "%.3d", n);
      std::string candidate = name + number;
      std::string candidateKey = FoldKey(candidate);
      if (taken.insert(candidateKey).second) {
        given.insert(std::move(candidateKey));
        name = std::move(candidate);
        break;
      }
    }
  }
  for (std::string& name : names) name += ".eml";
  return names;
}

}  // namespace quenby
