#include "locale/locale_lifecycle.h"

#include "locale/country_table.h"
#include "locale/locale_time_info.h"

namespace ovut::locale {

void Initialize() {
  InitializeLocaleCache();
  InitializeCountryTable();
}

void Shutdown() {
  ShutdownCountryTable();
  ShutdownLocaleCache();
}

}  // namespace ovut::locale
