// Peer process for the unload test: loads OVUT19.DLL at run time, opens a profile job on a
// stream of its own and leaves the job open. The stream creates the file MARKER when its last
// reference is released. Usage: detach_peer exit|unload MARKER
//   exit    ends the process with the library loaded
//   unload  unloads the library first
// Exit code 0, or 2 for bad arguments, 3 when the library or its exports are missing.
#include <windows.h>
#include <objbase.h>

#include <string>

namespace {

// Delegates to an in-memory stream; the marker file tells that the last reference went.
class MarkerStream final : public IStream {
 public:
  MarkerStream(IStream* inner, std::wstring marker) : inner_(inner), marker_(std::move(marker)) {}
  virtual ~MarkerStream() = default;

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
    if (!out) return E_POINTER;
    if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_ISequentialStream) || IsEqualIID(iid, IID_IStream)) {
      *out = static_cast<IStream*>(this);
      AddRef();
      return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return static_cast<ULONG>(InterlockedIncrement(&refs_)); }
  ULONG STDMETHODCALLTYPE Release() override {
    LONG n = InterlockedDecrement(&refs_);
    if (n == 0) {
      HANDLE f = CreateFileW(marker_.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
      if (f != INVALID_HANDLE_VALUE) CloseHandle(f);
      inner_->Release();
      delete this;
    }
    return static_cast<ULONG>(n);
  }
  HRESULT STDMETHODCALLTYPE Read(void* pv, ULONG cb, ULONG* read) override { return inner_->Read(pv, cb, read); }
  HRESULT STDMETHODCALLTYPE Write(const void* pv, ULONG cb, ULONG* written) override {
    return inner_->Write(pv, cb, written);
  }
  HRESULT STDMETHODCALLTYPE Seek(LARGE_INTEGER move, DWORD origin, ULARGE_INTEGER* pos) override {
    return inner_->Seek(move, origin, pos);
  }
  HRESULT STDMETHODCALLTYPE SetSize(ULARGE_INTEGER size) override { return inner_->SetSize(size); }
  HRESULT STDMETHODCALLTYPE CopyTo(IStream* to, ULARGE_INTEGER cb, ULARGE_INTEGER* r, ULARGE_INTEGER* w) override {
    return inner_->CopyTo(to, cb, r, w);
  }
  HRESULT STDMETHODCALLTYPE Commit(DWORD flags) override { return inner_->Commit(flags); }
  HRESULT STDMETHODCALLTYPE Revert() override { return inner_->Revert(); }
  HRESULT STDMETHODCALLTYPE LockRegion(ULARGE_INTEGER o, ULARGE_INTEGER cb, DWORD t) override {
    return inner_->LockRegion(o, cb, t);
  }
  HRESULT STDMETHODCALLTYPE UnlockRegion(ULARGE_INTEGER o, ULARGE_INTEGER cb, DWORD t) override {
    return inner_->UnlockRegion(o, cb, t);
  }
  HRESULT STDMETHODCALLTYPE Stat(STATSTG* stat, DWORD flags) override { return inner_->Stat(stat, flags); }
  HRESULT STDMETHODCALLTYPE Clone(IStream** out) override { return inner_->Clone(out); }

 private:
  LONG refs_ = 1;
  IStream* inner_;
  std::wstring marker_;
};

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc < 3) return 2;
  const std::wstring mode = argv[1];
  if (mode != L"exit" && mode != L"unload") return 2;
  // Loaded by name at run time, so that FreeLibrary really unloads it.
  HMODULE library = LoadLibraryW(L"OVUT19.DLL");
  if (!library) return 3;
  using OpenStreamFn = INT_PTR(WINAPI*)(IStream*);
  auto open = reinterpret_cast<OpenStreamFn>(reinterpret_cast<void*>(GetProcAddress(library, "ProfJobOpenStream")));
  if (!open) return 3;
  IStream* inner = nullptr;
  if (FAILED(CreateStreamOnHGlobal(nullptr, TRUE, &inner))) return 3;
  auto* stream = new MarkerStream(inner, argv[2]);
  if (!open(stream)) return 3;  // the job keeps a reference and is never closed
  stream->Release();
  if (mode == L"unload") FreeLibrary(library);
  return 0;
}
