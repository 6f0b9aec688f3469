#pragma once
// The explorer kinds: which store a window explores. Stored in options.ini
// by name ("ekNone" .. "ekVirtual"); the ordinals match the language
// section "MesgExplType" and the bits of TOptions::AvailableKinds.

#include <cstdint>
#include <optional>
#include <string_view>

namespace quenby {

enum TMesgExplKind : std::int32_t {
  ekNone,
  ekOutlook,
  ekOfficeOutlook,
  ekEudora,
  ekUnixBox,
  ekEmlFiles,
  ekVirtual,
};
inline constexpr std::int32_t kExplKindCount = ekVirtual + 1;

std::string_view ExplKindName(TMesgExplKind kind);
// Exact names only; anything else is no kind.
std::optional<TMesgExplKind> ExplKindFromName(std::string_view name);

// What the list knows of its store: 0 memory, 1 message files, 2 Outlook
// Express, 4 mailbox; -1 leaves the list's own value (no store).
std::int32_t ExplKindStoreKind(TMesgExplKind kind);
// The list takes dropped messages.
bool ExplKindAcceptsDrops(TMesgExplKind kind);
// The views dialog offers a folder tree.
bool ExplKindMayHaveTree(TMesgExplKind kind);
// The chooser's item for kind is enabled by these available-kind bits.
bool ExplKindOffered(TMesgExplKind kind, std::uint8_t availableKinds);

}  // namespace quenby
