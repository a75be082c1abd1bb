#include "diagnostics/viewer_link.h"

#include <cstring>

#include "diagnostics/debug_line.h"

namespace ovut::debug {
namespace {

LRESULT SendCopyData(HWND window, ULONG_PTR code, const void* bytes, DWORD count) {
  COPYDATASTRUCT data = {code, count, const_cast<void*>(bytes)};
  DWORD_PTR result = 0;
  if (!SendMessageTimeoutW(window, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&data), SMTO_ABORTIFHUNG,
                           kViewerTimeoutMs, &result))
    return 0;
  return static_cast<LRESULT>(result);
}

}  // namespace

class clsViewerLink::Sender final : public IPieceSink {
 public:
  explicit Sender(clsViewerLink& link) : link_(link) {}
  void Bell() override { MessageBeep(0); }
  void Piece(const char* bytes, int count) override {
    char data[kPieceBytes + 1];
    std::memcpy(data, bytes, static_cast<size_t>(count));
    if (link_.mailslot_) {
      data[count] = '\r';
      DWORD written = 0;
      if (!WriteFile(link_.mailslot_.get(), data, static_cast<DWORD>(count + 1), &written, nullptr) ||
          written != static_cast<DWORD>(count + 1))
        OutputDebugStringW(L"ZOLVEN: cannot write data!");
    } else if (link_.window_) {
      data[count] = 0;
      SendCopyData(link_.window_, 0, data, static_cast<DWORD>(count + 1));
    }
  }

 private:
  clsViewerLink& link_;
};

DWORD clsViewerLink::Query(DWORD code) {
  static const wchar_t kEmpty[] = L"";
  return window_ ? static_cast<DWORD>(SendCopyData(window_, code, kEmpty, 0)) : 0;
}

void clsViewerLink::Attach(HWND window) {
  Detach();
  window_ = window;
  mailslot_.reset(CreateFileW(L"\\\\.\\mailslot\\zolven", GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                              nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!mailslot_) OutputDebugStringW(L"DebugPipe FAIL");
  codePage_ = Query(kQueryUtf8) ? CP_UTF8 : CP_ACP;
}

void clsViewerLink::Detach() {
  mailslot_.reset();
  window_ = nullptr;
  codePage_ = CP_ACP;
}

void clsViewerLink::Send(const wchar_t* line, int length) {
  if (!Active() || length <= 0) return;
  if (length > kLineUnits) length = kLineUnits;
  char bytes[kLineUnits * 6];
  int count = WideCharToMultiByte(codePage_, 0, line, length, bytes, sizeof bytes, nullptr, nullptr);
  if (count <= 0) {
    OutputDebugStringW(L"ERR converting ZOLVEN output");
    return;
  }
  Sender sender(*this);
  SplitPieces(bytes, count, codePage_, sender);
}

}  // namespace ovut::debug
