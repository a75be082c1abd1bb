// Help-object entry points: handle checks, then the help subsystem.
#include "diagnostics/debug_output.h"
#include "exports/export_guard.h"
#include "help/help_display.h"
#include "help/help_hook.h"
#include "help/help_object.h"
#include "help/help_viewer.h"
#include "ovut19/help.h"

namespace help = ovut::help;
using ovut::exports::Guarded;

namespace {

// The open object behind a handle; an unknown non-null handle is reported.
help::HelpPtr Lookup(HUTILHELP handle, const char* function) noexcept {
  if (!handle) return nullptr;
  help::HelpPtr found = help::Find(handle);
  if (!found)
    ovut::debug::Warning(L"WRN: %s(): %p is not an open help object", String(function).c_str(),
                         static_cast<void*>(handle));
  return found;
}

HUTILHELP Handle(const help::HelpPtr& object) { return reinterpret_cast<HUTILHELP>(object.get()); }

}  // namespace

extern "C" {

HUTILHELP WINAPI UtilHelpOpenEx(HWND window, IUtilHelp* helpSource) {
  return Guarded<HUTILHELP>(nullptr, [&] { return Handle(help::Open(window, helpSource, nullptr)); });
}

HUTILHELP WINAPI UtilHelpOpen(HWND window, LPCWSTR helpFile) {
  return Guarded<HUTILHELP>(nullptr, [&] { return Handle(help::Open(window, nullptr, helpFile)); });
}

void WINAPI UtilHelpClose(HUTILHELP handle) {
  if (!handle) {
    ovut::debug::Warning(L"ORVKUTIL(Help): UtilHelpClose(): Try to unhook Help object that is not hooked");
    return;
  }
  Guarded([&] { help::Close(handle); });
}

int WINAPI UtilHelpDisplay(HUTILHELP handle) {
  auto object = Lookup(handle, __func__);
  return object ? Guarded<int>(0, [&] { return help::DisplayContext(*object, -1); }) : 0;
}

int WINAPI UtilHelpDisplayContext(HUTILHELP handle, int context) {
  auto object = Lookup(handle, __func__);
  return object ? Guarded<int>(0, [&] { return help::DisplayContext(*object, context); }) : 0;
}

int WINAPI UtilHelpShowContents(HUTILHELP handle) {
  auto object = Lookup(handle, __func__);
  return object ? Guarded<int>(0, [&] { return help::ShowCommand(*object, help::kCommandContents); }) : 0;
}

int WINAPI UtilHelpShowIndex(HUTILHELP handle) {
  auto object = Lookup(handle, __func__);
  return object ? Guarded<int>(0, [&] { return help::ShowCommand(*object, help::kCommandPartialKey); }) : 0;
}

int WINAPI UtilHelpShowHelpOnHelp(HUTILHELP handle) {
  auto object = Lookup(handle, __func__);
  return object ? Guarded<int>(0, [&] { return help::ShowCommand(*object, help::kCommandHelpOnHelp); }) : 0;
}

int WINAPI UtilHelp(HUTILHELP handle, HWND window, LPCWSTR helpFile, UINT command, ULONG_PTR data) {
  auto object = Lookup(handle, __func__);
  if (!object) return 0;
  return Guarded<int>(0, [&] {
    help::clsHelpActionScope action;
    return help::RunHelpCommand(*object, window, String(helpFile), command, data);
  });
}

void WINAPI UtilHelpPush(HUTILHELP handle, int context) {
  if (auto object = Lookup(handle, __func__)) Guarded([&] { object->Push(context); });
}

void WINAPI UtilHelpPop(HUTILHELP handle) {
  if (auto object = Lookup(handle, __func__)) object->Pop();
}

HCURSOR WINAPI UtilHelpCursor(HUTILHELP handle) {
  auto object = Lookup(handle, __func__);
  return object ? object->Cursor() : nullptr;
}

LONG WINAPI UtilHelpIsInHelpMode(HUTILHELP handle) {
  auto object = Lookup(handle, __func__);
  return object ? object->HelpMode() : 0;
}

void WINAPI UtilHelpSetHelpMode(HUTILHELP handle, LONG flag) {
  if (auto object = Lookup(handle, __func__)) object->SetHelpMode(flag);
}

}  // extern "C"
