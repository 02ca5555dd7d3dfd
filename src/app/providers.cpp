#include "app/providers.h"

namespace app {

void RegisterProviders() {
  // The FoxPro and ODBC providers register here once they are built in.
}

}  // namespace app
