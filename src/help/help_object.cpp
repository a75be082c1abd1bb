#include "help/help_object.h"

#include <algorithm>

#include "diagnostics/debug_output.h"
#include "dll/lifecycle.h"
#include "environment/late_interface.h"
#include "foundation/critical_section.h"
#include "help/help_display.h"
#include "help/help_hook.h"
#include "help/help_path.h"

namespace ovut::help {
namespace {

// Reached only under its lock; the lock is never held while a help action runs.
struct clsHelpList {
  CriticalSection lock;
  std::vector<HelpPtr> objects;  // in order of opening
  HHOOK hook = nullptr;
} g_list;

volatile LONG g_unloading = 0;

HCURSOR LoadHelpCursor() noexcept {
  // Not shared: the object destroys its own cursor.
  if (HMODULE own = ThisModule()) {
    if (auto cursor = static_cast<HCURSOR>(LoadImageW(own, L"HelpCrs", IMAGE_CURSOR, 0, 0, LR_DEFAULTSIZE)))
      return cursor;
  }
  // Without the resource (code linked into another module): a copy of the system's help cursor.
  HCURSOR system = LoadCursorW(nullptr, IDC_HELP);
  return system ? static_cast<HCURSOR>(CopyIcon(system)) : nullptr;
}

// Installs the hook when there is none; runs under the list lock.
void InstallHookLocked() noexcept {
  if (g_list.hook) return;
  g_list.hook = SetWindowsHookExW(WH_KEYBOARD, KeyboardProc, nullptr, GetCurrentThreadId());
  if (!g_list.hook)
    debug::Warning(L"ERR: UtilHelpOpen(): SetWindowsHookEx failed: %s", String::ErrorText(GetLastError()).c_str());
}

void RemoveHookLocked() noexcept {
  if (g_list.hook) UnhookWindowsHookEx(g_list.hook);
  g_list.hook = nullptr;
}

}  // namespace

clsHelpObject::clsHelpObject(HWND window, IUtilHelp* source, const wchar_t* helpFile) noexcept
    : window_(window), source_(clsAutoRelease<IUtilHelp>::AddRefOf(source)), helpFile_(helpFile) {
  if (source_) {
    UINT message = 0;
    if (SUCCEEDED(source_->GetHelpMessage(&message))) helpMessage_ = message;
  } else if (!helpFile_.IsEmpty()) {
    TranslatePath(helpFile_);
  }
  cursor_ = LoadHelpCursor();
}

clsHelpObject::~clsHelpObject() {
  // At unload the older viewer is not asked to quit: that would be a sent message under the
  // loader lock.
  if (usedWinHelp_ && !g_unloading && GetFileAttributesW(helpFile_.c_str()) != INVALID_FILE_ATTRIBUTES) {
    if (auto winHelp = env::p_WinHelpW.Get()) winHelp(window_, helpFile_.c_str(), kCommandQuit, 0);
  }
  if (cursor_) DestroyCursor(cursor_);
  if (viewer_ && IsWindow(viewer_)) PostMessageW(viewer_, WM_CLOSE, 0, 0);
}

String clsHelpObject::HelpFile() noexcept {
  if (helpFile_.IsEmpty() && source_) {
    BSTR name = nullptr;
    if (SUCCEEDED(source_->GetHelpFile(&name)) && name && *name) {
      String file(name, 0, static_cast<int>(SysStringLen(name)));
      TranslatePath(file);
      helpFile_ = file;
    }
    SysFreeString(name);
  }
  return helpFile_;
}

void clsHelpObject::Push(int context) { contexts_.push_back(context); }

void clsHelpObject::Pop() noexcept {
  if (contexts_.empty()) {
    debug::Warning(L"ORVKUTIL(Help): Min Help Depth reached, too many POPs");
    return;
  }
  contexts_.pop_back();
}

HelpPtr Open(HWND window, IUtilHelp* source, const wchar_t* helpFile) {
  if (!window || !IsWindow(window)) {
    debug::Warning(L"ERR: UtilHelpOpen(): %p is not a window", static_cast<void*>(window));
    return nullptr;
  }
  auto help = std::make_shared<clsHelpObject>(window, source, helpFile);
  AutoLock lock(g_list.lock);
  g_list.objects.push_back(help);
  InstallHookLocked();
  return help;
}

bool Close(const void* handle) noexcept {
  HelpPtr closing;  // destroyed after the lock is left: it may talk to the older viewer
  {
    AutoLock lock(g_list.lock);
    auto at = std::find_if(g_list.objects.begin(), g_list.objects.end(),
                           [&](const HelpPtr& h) { return h.get() == handle; });
    if (at == g_list.objects.end()) return false;
    closing = std::move(*at);
    g_list.objects.erase(at);
    if (g_list.objects.empty()) RemoveHookLocked();
  }
  return true;
}

HelpPtr Find(const void* handle) noexcept {
  if (!handle) return nullptr;
  AutoLock lock(g_list.lock);
  for (const HelpPtr& h : g_list.objects)
    if (h.get() == handle) return h;
  return nullptr;
}

HelpPtr FindForWindow(HWND window) noexcept {
  // Bounded: a parent and owner chain is short, but a window being destroyed may report oddly.
  for (int step = 0; window && step < 256; ++step) {
    {
      AutoLock lock(g_list.lock);
      for (const HelpPtr& h : g_list.objects)
        if (h->Window() == window) return h;
    }
    const bool child = (GetWindowLongPtrW(window, GWL_STYLE) & WS_CHILD) != 0;
    HWND next = child ? GetParent(window) : nullptr;
    window = next ? next : GetWindow(window, GW_OWNER);
  }
  return nullptr;
}

HHOOK CurrentHook() noexcept {
  AutoLock lock(g_list.lock);
  return g_list.hook;
}

void Shutdown() noexcept {
  std::vector<HelpPtr> objects;
  {
    AutoLock lock(g_list.lock);
    RemoveHookLocked();
    objects.swap(g_list.objects);
  }
  InterlockedExchange(&g_unloading, 1);
  objects.clear();
  InterlockedExchange(&g_unloading, 0);
}

}  // namespace ovut::help
