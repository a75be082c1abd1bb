#include "dll/lifecycle.h"

#include "diagnostics/debug_output.h"
#include "diagnostics/handle_lists.h"
#include "environment/late_load.h"
#include "environment/loader_lock.h"
#include "environment/process_identity.h"
#include "foundation/string.h"
#include "help/help_object.h"
#include "locale/locale_lifecycle.h"
#include "memory/registry.h"
#include "profile/profile_lifecycle.h"
#include "tempfiles/temp_file_manager.h"

namespace ovut {
namespace {
HMODULE g_module = nullptr;
volatile LONG g_attachCount = 0;
volatile LONG g_shuttingDown = 0;
}  // namespace

HMODULE ThisModule() { return g_module; }
bool ShuttingDown() { return g_shuttingDown != 0; }

void ProcessAttach(HMODULE library) {
  // Late loading: nothing is loaded while attach runs; the system facts are recorded first.
  env::clsAttachDetachScope inLoader;
  env::RecordSystemFacts();
  g_module = library;
  g_shuttingDown = 0;
  debug::InstallInvalidParameterHandler();
  String::SetDefaultCodePage(GetACP());
  env::RecordProcessIdentity(library);
  debug::Initialize(library);
  memory::Initialize();
  profile::Initialize();
  locale::Initialize();
  InterlockedIncrement(&g_attachCount);
  debug::CheckProcessModuleRoundtrip();
}

// Process exit: other threads are gone and later-detached modules may still use heaps, jobs or
// the streams hosts handed over, so only what must reach the outside is finished: the viewer's
// good-bye and the channel's indentation step. (The log file is written and closed per line.)
void ProcessExit() {
  // Lost GDI handles are reported before shutdown begins, while library warnings still go out.
  handles::ReportLostHandles(false);
  InterlockedExchange(&g_shuttingDown, 1);
  debug::Shutdown();
  InterlockedDecrement(&g_attachCount);
}

void ProcessDetach() {
  env::clsAttachDetachScope inLoader;  // late loading: nothing is loaded while detach runs
  // Lost GDI handles are reported before shutdown begins, while library warnings still go out.
  handles::ReportLostHandles(true);
  InterlockedExchange(&g_shuttingDown, 1);
  // Temporary files: stop the remover and delete what is still queued, before the channel closes.
  tempfiles::Shutdown();
  help::Shutdown();  // the F1 hook's procedure goes with the library
  locale::Shutdown();
  profile::Shutdown();
  memory::Shutdown();
  debug::Shutdown();
  debug::UninstallInvalidParameterHandler();
  env::ShutdownLateLoad();  // after the last leak report: symbols, GDI+
  InterlockedDecrement(&g_attachCount);
}

}  // namespace ovut
