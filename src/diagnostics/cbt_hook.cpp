#include "diagnostics/cbt_hook.h"

#include <algorithm>
#include <map>
#include <vector>

#include "diagnostics/debug_output.h"
#include "foundation/critical_section.h"
#include "foundation/string.h"

namespace ovut::debug {
namespace {

struct ThreadHook {
  HHOOK hook = nullptr;
  std::vector<HOOKPROC> callbacks;
};

// Built by the static initialisers at load; reached only under its lock.
struct clsCBTHooks {
  CriticalSection lock;
  std::map<DWORD, ThreadHook> byThread;
} g_hooks;

LRESULT CALLBACK CbtProc(int code, WPARAM wParam, LPARAM lParam) {
  HHOOK hook = nullptr;
  std::vector<HOOKPROC> callbacks;
  try {
    AutoLock lock(g_hooks.lock);
    auto found = g_hooks.byThread.find(GetCurrentThreadId());
    if (found != g_hooks.byThread.end()) {
      hook = found->second.hook;
      if (code >= 0) callbacks = found->second.callbacks;
    }
  } catch (...) {
  }
  // Called outside the lock: a callback may show a window and so re-enter this hook.
  for (HOOKPROC callback : callbacks) {
    LRESULT result = callback(code, wParam, lParam);
    if (result) return result;
  }
  return CallNextHookEx(hook, code, wParam, lParam);
}

}  // namespace

int SetCBTHook(HOOKPROC callback, bool install) noexcept {
  if (!callback) return -5;
  try {
    AutoLock lock(g_hooks.lock);
    const DWORD thread = GetCurrentThreadId();
    ThreadHook& entry = g_hooks.byThread[thread];
    if (install) {
      if (!entry.hook) {
        entry.hook = SetWindowsHookExW(WH_CBT, CbtProc, nullptr, thread);
        if (!entry.hook) {
          Warning(L"ERR: UtilSetCBTHook(): SetWindowsHookEx failed: %s", String::ErrorText(GetLastError()).c_str());
          g_hooks.byThread.erase(thread);
          return -4;
        }
      }
      entry.callbacks.push_back(callback);
      return 0;
    }
    auto at = std::find(entry.callbacks.begin(), entry.callbacks.end(), callback);
    if (at == entry.callbacks.end()) {
      if (!entry.hook) g_hooks.byThread.erase(thread);
      return -5;
    }
    entry.callbacks.erase(at);
    if (entry.callbacks.empty()) {
      UnhookWindowsHookEx(entry.hook);
      g_hooks.byThread.erase(thread);
    }
    return 0;
  } catch (...) {
    return -4;
  }
}

}  // namespace ovut::debug
