#include "dll/lifecycle.h"

#include "diagnostics/debug_output.h"
#include "foundation/string.h"
#include "locale/locale_lifecycle.h"
#include "memory/registry.h"
#include "profile/profile_lifecycle.h"

namespace ovut {
namespace {
HMODULE g_module = nullptr;
volatile LONG g_attachCount = 0;
volatile LONG g_shuttingDown = 0;
}  // namespace

HMODULE ThisModule() { return g_module; }
bool ShuttingDown() { return g_shuttingDown != 0; }

void ProcessAttach(HMODULE library) {
  g_module = library;
  g_shuttingDown = 0;
  debug::InstallInvalidParameterHandler();
  String::SetDefaultCodePage(GetACP());
  debug::Initialize(library);
  memory::Initialize();
  profile::Initialize();
  locale::Initialize();
  InterlockedIncrement(&g_attachCount);
  debug::CheckProcessModuleRoundtrip();
}

void ProcessDetach() {
  InterlockedExchange(&g_shuttingDown, 1);
  locale::Shutdown();
  profile::Shutdown();
  memory::Shutdown();
  debug::Shutdown();
  debug::UninstallInvalidParameterHandler();
  InterlockedDecrement(&g_attachCount);
}

}  // namespace ovut
