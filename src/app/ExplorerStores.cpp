#include "app/ExplorerStores.h"

namespace quenby {

const TExplorerStores& BuiltInExplorerStores() {
  static const TExplorerStores stores = {
      {ekOutlook, MakeOeExplorerStore},
  };
  return stores;
}

}  // namespace quenby
