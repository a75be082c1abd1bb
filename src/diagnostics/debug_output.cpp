// Entry points of the debug channel for the rest of the library. Nothing here throws: a line
// that cannot be built is lost rather than taking its caller down.
#include "diagnostics/debug_output.h"

#include <new>

#include "diagnostics/debug_channel.h"
#include "diagnostics/debug_settings.h"
#include "dll/lifecycle.h"

namespace ovut::debug {
namespace {
clsDebugChannel* g_channel = nullptr;
}  // namespace

clsDebugChannel* Channel() { return g_channel; }

void Initialize(HMODULE library) {
  if (g_channel) return;
  try {
    g_channel = new clsDebugChannel(library, ReadLogSettings());
  } catch (...) {
    g_channel = nullptr;
  }
}

void Shutdown() {
  clsDebugChannel* channel = g_channel;
  g_channel = nullptr;
  try {
    delete channel;
  } catch (...) {
  }
}

bool IsActive() noexcept {
  clsDebugChannel* channel = g_channel;
  return channel && channel->IsActive();
}

void WriteV(const wchar_t* module, int indentChange, const wchar_t* format, va_list args) noexcept {
  clsDebugChannel* channel = g_channel;
  if (!channel) return;
  try {
    channel->Write(module, indentChange, format, args);
  } catch (...) {
  }
}

void Write(const wchar_t* module, int indentChange, const wchar_t* format, ...) noexcept {
  va_list a;
  va_start(a, format);
  WriteV(module, indentChange, format, a);
  va_end(a);
}

void WarningV(const wchar_t* format, va_list args) noexcept {
  clsDebugChannel* channel = g_channel;
  if (!channel || ovut::ShuttingDown()) return;
  WriteV(channel->Identity().libraryName, 0, format, args);
}

void Warning(const wchar_t* format, ...) noexcept {
  va_list a;
  va_start(a, format);
  WarningV(format, a);
  va_end(a);
}

void WarningText(const wchar_t* text) noexcept {
  clsDebugChannel* channel = g_channel;
  if (!channel || ovut::ShuttingDown() || !text) return;
  try {
    channel->WriteText(channel->Identity().libraryName, text);
  } catch (...) {
  }
}

void LibraryText(const wchar_t* text) noexcept {
  clsDebugChannel* channel = g_channel;
  if (!channel || !text) return;
  try {
    channel->WriteText(channel->Identity().libraryName, text);
  } catch (...) {
  }
}

void SetObserver(Observer observer, void* context) noexcept {
  if (clsDebugChannel* channel = g_channel) channel->SetObserver(observer, context);
}

}  // namespace ovut::debug
