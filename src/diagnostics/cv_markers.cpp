#include "diagnostics/cv_markers.h"

#include <evntprov.h>

#include <new>

#include "environment/late_kernel32.h"
#include "foundation/string.h"

namespace ovut::debug::cv {
namespace {

constexpr GUID kProvider = {0x72b08847, 0xf340, 0x48e9, {0x9c, 0x21, 0x46, 0x9d, 0xee, 0x82, 0x54, 0x00}};

// The event-tracing functions come from the late-loading layer: older systems lack them, and then
// the markers do nothing.
class clsMarkerProvider {
 public:
  clsMarkerProvider() {
    auto reg = env::p_EventRegister.Get();
    unregister_ = env::p_EventUnregister.Get();
    enabled_ = env::p_EventProviderEnabled.Get();
    write_ = env::p_EventWriteString.Get();
    if (!reg || !unregister_ || !enabled_ || !write_ || reg(&kProvider, nullptr, nullptr, &handle_) != ERROR_SUCCESS)
      handle_ = 0;
  }
  ~clsMarkerProvider() {
    if (handle_) unregister_(handle_);
  }
  clsMarkerProvider(const clsMarkerProvider&) = delete;
  clsMarkerProvider& operator=(const clsMarkerProvider&) = delete;

  bool Enabled(ULONGLONG keyword) const noexcept { return handle_ && enabled_(handle_, 4, keyword); }
  void Write(ULONGLONG keyword, const wchar_t* format, ...) const noexcept {
    if (!Enabled(keyword)) return;
    try {
      va_list a;
      va_start(a, format);
      String text;
      text.FormatV(format, a);
      va_end(a);
      write_(handle_, 4, keyword, text.c_str());
    } catch (...) {
    }
  }

 private:
  REGHANDLE handle_ = 0;
  decltype(env::p_EventUnregister.Get()) unregister_ = nullptr;
  decltype(env::p_EventProviderEnabled.Get()) enabled_ = nullptr;
  decltype(env::p_EventWriteString.Get()) write_ = nullptr;
};

const clsMarkerProvider& Provider() {
  static const clsMarkerProvider provider;
  return provider;
}

struct Span {
  ULONG id;
  String text;
};
volatile LONG g_nextSpan = 0;

const wchar_t* Text(const wchar_t* text) noexcept { return text ? text : L""; }

}  // namespace

bool IsEnabled() noexcept { return Provider().Enabled(kKeywordFlag | kKeywordMessage | kKeywordSpan); }

void WriteFlag(const wchar_t* text) noexcept { Provider().Write(kKeywordFlag, L"flag: %s", Text(text)); }

void WriteMessage(const wchar_t* text) noexcept { Provider().Write(kKeywordMessage, L"message: %s", Text(text)); }

HANDLE EnterSpan(const wchar_t* text) noexcept {
  Span* span = new (std::nothrow) Span;
  if (!span) return nullptr;
  span->id = static_cast<ULONG>(InterlockedIncrement(&g_nextSpan));
  try {
    span->text = Text(text);
  } catch (...) {
  }
  Provider().Write(kKeywordSpan, L"enter span %lu: %s", span->id, span->text.c_str());
  return reinterpret_cast<HANDLE>(span);
}

void LeaveSpan(HANDLE handle) noexcept {
  Span* span = reinterpret_cast<Span*>(handle);
  if (!span) return;
  Provider().Write(kKeywordSpan, L"leave span %lu: %s", span->id, span->text.c_str());
  delete span;
}

}  // namespace ovut::debug::cv
