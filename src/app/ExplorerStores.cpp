#include "app/ExplorerStores.h"

namespace quenby {

const TExplorerStores& BuiltInExplorerStores() {
  static const TExplorerStores stores = {
      {ekOutlook, MakeOeExplorerStore},
      {ekEmlFiles, MakeEmlExplorerStore},
  };
  return stores;
}

}  // namespace quenby
