#pragma once
// The stores of this build, one factory each.

#include <memory>

#include "app/ExplorerStore.h"

namespace quenby {

// Outlook Express: a store folder with its folder tree, or one .dbx file.
std::unique_ptr<TExplorerStore> MakeOeExplorerStore();
// A folder of message files beside the directory tree.
std::unique_ptr<TExplorerStore> MakeEmlExplorerStore();

}  // namespace quenby
