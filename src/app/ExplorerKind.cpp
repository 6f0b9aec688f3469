#include "app/ExplorerKind.h"

#include <array>

#include "settings/Options.h"

namespace quenby {

namespace {

constexpr std::array<std::string_view, kExplKindCount> kNames = {
    "ekNone", "ekOutlook", "ekOfficeOutlook", "ekEudora", "ekUnixBox", "ekEmlFiles", "ekVirtual"};

}  // namespace

std::string_view ExplKindName(TMesgExplKind kind) {
  if (kind < 0 || kind >= kExplKindCount) return kNames[ekNone];
  return kNames[static_cast<std::size_t>(kind)];
}

std::optional<TMesgExplKind> ExplKindFromName(std::string_view name) {
  for (std::size_t i = 0; i < kNames.size(); ++i)
    if (kNames[i] == name) return static_cast<TMesgExplKind>(i);
  return std::nullopt;
}

std::int32_t ExplKindStoreKind(TMesgExplKind kind) {
  switch (kind) {
    case ekOutlook: return 2;
    case ekEudora:
    case ekUnixBox: return 4;
    case ekEmlFiles: return 1;
    case ekVirtual: return 0;
    default: return -1;
  }
}

bool ExplKindAcceptsDrops(TMesgExplKind kind) {
  return kind == ekEudora || kind == ekUnixBox || kind == ekEmlFiles || kind == ekVirtual;
}

bool ExplKindMayHaveTree(TMesgExplKind kind) {
  return kind == ekOutlook || kind == ekOfficeOutlook || kind == ekEmlFiles;
}

bool ExplKindOffered(TMesgExplKind kind, std::uint8_t availableKinds) {
  switch (kind) {
    case ekOfficeOutlook: return (availableKinds & kKindOfficeOutlook) != 0;
    case ekEudora: return (availableKinds & kKindEudora) != 0;
    case ekNone: return false;
    default: return true;
  }
}

}  // namespace quenby
