// Process policy, folder tokens, version, language and message numbers, and the shared locks
// for host modules.
#include "environment/assert_box.h"
#include "environment/folder_tokens.h"
#include "environment/language.h"
#include "environment/parallel_compression.h"
#include "environment/shared_locks.h"
#include "environment/ui_policy.h"
#include "environment/window_messages.h"
#include "exports/prof_guard.h"
#include "foundation/bstr_store.h"
#include "ovut19/environment.h"

using ovut::profile::Guarded;

extern "C" {

LPCRITICAL_SECTION* WINAPI UtilGetGDIThreadingCS(LPCRITICAL_SECTION* out) {
  if (out) *out = ovut::env::GdiThreadingSection();
  return out;
}

LPCRITICAL_SECTION* WINAPI UtilGetDBGHELPThreadingCS(LPCRITICAL_SECTION* out) {
  if (out) *out = ovut::env::DebugHelpSection();
  return out;
}

DWORD WINAPI UtilGetOSEnvironmentType(void) { return ovut::env::GetEnvironmentType(); }

BOOL WINAPI UtilGetUIInteractionAllowed(void) { return ovut::env::UIInteractionAllowed() ? 1 : 0; }

BOOL WINAPI UtilSetParallelCompression(BOOL on) { return ovut::env::SetParallelCompression(on != 0) ? 1 : 0; }

int WINAPI UtilExpandDefaultTokensOfFolderPath(LPCWSTR path, BSTR* result, void*) {
  if (!path || !result) return 0;
  return Guarded(0, [&] { return ovut::StoreBSTR(result, ovut::env::ExpandDefaultTokensOfFolderPath(path)) ? 1 : 0; });
}

int WINAPI UtilGetVersion(int selector) {
  switch (selector) {
    case 0: return 0x130001;
    case 1: return 19;
    case 2: return 1;
    case 3: return 0;
    default: return -1;
  }
}

LONG WINAPI UtilLanguageSet(DWORD language) { return ovut::env::SetStoredLanguage(language); }

DWORD WINAPI UtilLanguageGet(void) { return ovut::env::GetStoredLanguage(); }

UINT WINAPI UtilGetWindowMessage(LPCWSTR name) { return ovut::env::WindowMessageOf(name); }

BOOL WINAPI UtilGetWindowMessageName(UINT number, BSTR* result) {
  if (!result) return FALSE;
  return Guarded(FALSE, [&] {
    String name;
    return ovut::env::WindowMessageName(number, name) && ovut::StoreBSTR(result, name) ? TRUE : FALSE;
  });
}

void WINAPI UtilAssert(LPCWSTR expression, LPCWSTR file, UINT line) { ovut::env::FailAssertion(expression, file, line); }

}  // extern "C"
