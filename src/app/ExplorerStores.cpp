#include "app/ExplorerStores.h"

namespace quenby {

const TExplorerStores& BuiltInExplorerStores() {
  static const TExplorerStores stores = {
      {ekOutlook, MakeOeExplorerStore},   {ekEudora, MakeMboxExplorerStore},
      {ekUnixBox, MakeMboxExplorerStore}, {ekEmlFiles, MakeEmlExplorerStore},
      {ekVirtual, MakeMemExplorerStore},
  };
  return stores;
}

}  // namespace quenby
