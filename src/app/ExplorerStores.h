#pragma once
// The stores of this build, one factory each.

#include <memory>

#include "app/ExplorerStore.h"

namespace quenby {

// Outlook Express: a store folder with its folder tree, or one .dbx file.
std::unique_ptr<TExplorerStore> MakeOeExplorerStore();
// A folder of message files beside the directory tree.
std::unique_ptr<TExplorerStore> MakeEmlExplorerStore();
// A Unix or Eudora mailbox file.
std::unique_ptr<TExplorerStore> MakeMboxExplorerStore();
// Messages held in memory: dropped, pasted, or split out of a digest.
std::unique_ptr<TExplorerStore> MakeMemExplorerStore();

}  // namespace quenby
