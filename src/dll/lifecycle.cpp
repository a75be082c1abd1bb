#include "dll/lifecycle.h"

#include "diagnostics/debug_output.h"
#include "foundation/string.h"
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
  InterlockedIncrement(&g_attachCount);
  debug::CheckProcessModuleRoundtrip();
}

// Process exit: other threads are gone and later-detached modules may still use heaps, jobs or
// the streams hosts handed over, so only what must reach the outside is finished: the viewer's
// good-bye and the channel's indentation step. (The log file is written and closed per line.)
void ProcessExit() {
  InterlockedExchange(&g_shuttingDown, 1);
  debug::Shutdown();
  InterlockedDecrement(&g_attachCount);
}

void ProcessDetach() {
  InterlockedExchange(&g_shuttingDown, 1);
  profile::Shutdown();
  memory::Shutdown();
  debug::Shutdown();
  debug::UninstallInvalidParameterHandler();
  InterlockedDecrement(&g_attachCount);
}

}  // namespace ovut
