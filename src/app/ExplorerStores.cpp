#include "app/ExplorerStore.h"

namespace quenby {

const TExplorerStores& BuiltInExplorerStores() {
  static const TExplorerStores stores;
  return stores;
}

}  // namespace quenby
