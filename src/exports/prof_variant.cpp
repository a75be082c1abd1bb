// Variant value entry points: the text form lives in profile/variant_text.h.
#include <cwchar>

#include "exports/prof_guard.h"
#include "ovut19/prof_values.h"
#include "profile/variant_text.h"

using namespace ovut::profile;

extern "C" {

void WINAPI ProfAppendVariant(HPROFJOB job, HPROFLIST list, LPCWSTR name, const VARIANT* value) {
  Guarded([&] { WriteVariant(job, list, name, value, true); });
}

void WINAPI ProfSetVariant(HPROFJOB job, HPROFLIST list, LPCWSTR name, const VARIANT* value) {
  Guarded([&] { WriteVariant(job, list, name, value, false); });
}

int WINAPI ProfGetVariant(HPROFJOB job, HPROFLIST list, LPCWSTR name, VARIANT* out, const VARIANT* defaultValue) {
  return Guarded<int>(0, [&] { return GetVariant(job, list, name, out, defaultValue); });
}

int WINAPI ProfGetVariantFromContents(LPCWSTR text, VARIANT* out) {
  if (!text) return -9;
  Guarded([&] { TextToVariant(text, std::wcslen(text), out); });
  return 0;
}

}  // extern "C"
