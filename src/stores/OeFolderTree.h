#pragma once
// The folder tree of an Outlook Express store, built from the records of its
// folder list: the root record ("Outlook Express", no file of its own) on
// top, the first six records after it (the special folders) first at their
// level in file order, every other level by name ignoring case. Records
// that never find their parent are left out.

#include <cstdint>
#include <memory>
#include <vector>

#include "stores/OEInfo.h"

namespace quenby {

struct TOeFolderNode {
  std::unique_ptr<Toe5_FolderInfo> Info;
  std::string Name;  // FolderName decoded from the legacy code page
  std::vector<TOeFolderNode> Children;
};

inline constexpr std::size_t kOeSpecialFolders = 6;

// Takes the records in file order. Without a root record the result has
// no Info (an empty tree).
TOeFolderNode BuildOeFolderTree(std::vector<std::unique_ptr<Toe5_FolderInfo>> records);

// The folder to select once the tree is built: the first with pendingId
// (depth first, in tree order) when pendingId > 0, else, or when no folder
// has that id, the first child of the top node's first child. Nil if none.
const TOeFolderNode* PendingOeFolder(const TOeFolderNode& tree, std::int32_t pendingId);

// The first node whose record has the id, depth first; nil if none.
const TOeFolderNode* FindOeFolder(const TOeFolderNode& tree, std::int32_t folderId);

}  // namespace quenby
