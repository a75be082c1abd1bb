// OVUT19.DLL for C++ hosts: optional, header-only owners and wrappers over the C interface.
//
// - Owners close their handle when they go out of scope (move-only, like std::unique_ptr).
// - Text results come back as std::wstring.
// - Failures: every call whose name starts with "Try" returns a Result (value or error code) and
//   never throws; the same call without "Try" returns the value and throws ovut19::Error, which
//   carries the library's result code. Nothing else here throws, except std::bad_alloc.
#ifndef OVUT19_HPP
#define OVUT19_HPP

#include "ovut19.h"

#include <optional>
#include <stdexcept>
#include <string>
#include <cwchar>
#include <utility>

namespace ovut19 {

// The exception of the throwing calls: the library's result code and the function that gave it.
class Error : public std::runtime_error {
 public:
  Error(int code, const char* function)
      : std::runtime_error(std::string(function) + " failed with " + std::to_string(code)), code_(code) {}
  int code() const noexcept { return code_; }

 private:
  int code_;
};

// The result of a "Try" call: a value, or the library's result code (never 0).
template <class T>
class Result {
 public:
  Result(T value) : value_(std::move(value)) {}  // NOLINT: a value converts to a success
  static Result Failure(int code, const char* function) { return Result(code, function); }

  bool ok() const noexcept { return value_.has_value(); }
  explicit operator bool() const noexcept { return ok(); }
  int error() const noexcept { return code_; }
  // The value; throws Error when the call failed.
  T& value() & {
    if (!value_) throw Error(code_, function_);
    return *value_;
  }
  T&& value() && {
    if (!value_) throw Error(code_, function_);
    return std::move(*value_);
  }
  T* operator->() { return &value(); }

 private:
  Result(int code, const char* function) : code_(code), function_(function) {}
  std::optional<T> value_;
  int code_ = 0;
  const char* function_ = "";
};

// The result of a "Try" call that gives no value: 0 or the library's result code.
class Status {
 public:
  Status(int code, const char* function) noexcept : code_(code), function_(function) {}
  bool ok() const noexcept { return code_ == 0; }
  explicit operator bool() const noexcept { return ok(); }
  int error() const noexcept { return code_; }
  void ThrowIfFailed() const {
    if (code_ != 0) throw Error(code_, function_);
  }

 private:
  int code_;
  const char* function_;
};

namespace detail {
// A move-only owner of one handle, closed by Closer::Close when the owner ends. (A closer type
// rather than the function itself: an imported function's address is no constant expression
// for every compiler.)
template <class H, class Closer>
class Owner {
 public:
  Owner() noexcept = default;
  explicit Owner(H handle) noexcept : handle_(handle) {}
  Owner(Owner&& other) noexcept : handle_(other.release()) {}
  Owner& operator=(Owner&& other) noexcept {
    if (this != &other) reset(other.release());
    return *this;
  }
  Owner(const Owner&) = delete;
  Owner& operator=(const Owner&) = delete;
  ~Owner() { reset(); }

  H get() const noexcept { return handle_; }
  explicit operator bool() const noexcept { return handle_ != H{}; }
  H release() noexcept { return std::exchange(handle_, H{}); }
  void reset(H handle = H{}) noexcept {
    H old = std::exchange(handle_, handle);
    if (old != H{}) Closer::Close(old);
  }

 private:
  H handle_{};
};

#define OVUT19_HPP_CLOSER(name, H, call) \
  struct name {                          \
    static void Close(H h) noexcept { (void)call(h); } \
  }
OVUT19_HPP_CLOSER(ProfJobCloser, HPROFJOB, ProfJobClose);
OVUT19_HPP_CLOSER(ModuleCloser, HUTILMODULE, UtilJobClose);
OVUT19_HPP_CLOSER(HeapCloser, HUTILHEAP, UtilHeapDelete);
OVUT19_HPP_CLOSER(ZipCloser, HUTILZIP, UtilZIPClose);
OVUT19_HPP_CLOSER(DebugHelpCloser, HUTILDEBUGHELP, UtilDebugHelpJobClose);
OVUT19_HPP_CLOSER(DocInfoCloser, HUTILDOCINFO, UtilDocInfoClose);
#undef OVUT19_HPP_CLOSER

// Text of a call that fills a buffer of `size` characters and answers a size query (null buffer)
// with length + 1: asked once for the size, then filled.
template <class Fill>
int TextOf(std::wstring& out, Fill fill) {
  int needed = fill(nullptr, 0);
  if (needed <= 0) return needed;
  out.assign(static_cast<size_t>(needed), L'\0');
  int rc = fill(&out[0], needed);
  out.resize(wcslen(out.c_str()));
  return rc;
}
}  // namespace detail

// ---- Profiles ---------------------------------------------------------------------------------

// A profile job. Share() gives a second owner of the same job (counted).
class ProfJob : public detail::Owner<HPROFJOB, detail::ProfJobCloser> {
 public:
  using Owner::Owner;

  // An empty job (null file) or the profile of a file; a file that cannot be loaded fails with
  // the load's result (-1 in use, -7 unparsable, -10 cannot be opened).
  static Result<ProfJob> TryOpen(const wchar_t* file = nullptr) {
    ProfJob job(ProfJobOpenW(file));
    if (!job) return Result<ProfJob>::Failure(-8, "ProfJobOpenW");
    int rc = ProfGetError(job.get());
    if (file && rc != 0) return Result<ProfJob>::Failure(rc, "ProfJobOpenW");
    return job;
  }
  static ProfJob Open(const wchar_t* file = nullptr) { return TryOpen(file).value(); }

  ProfJob Share() const { return ProfJob(ProfJobAddRef(get()) ? get() : 0); }

  // The item's text; -6 when it is missing.
  Result<std::wstring> TryGetString(const wchar_t* name, HPROFLIST list = 0) const {
    int length = ProfGetStringLengthW(get(), list, name);
    if (length < 0) return Result<std::wstring>::Failure(length, "ProfGetStringW");
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    int copied = ProfGetStringW(get(), list, name, &text[0], length + 1, L"");
    if (copied < 0) return Result<std::wstring>::Failure(copied, "ProfGetStringW");
    text.resize(static_cast<size_t>(copied));
    return text;
  }
  std::wstring GetString(const wchar_t* name, HPROFLIST list = 0) const { return TryGetString(name, list).value(); }
  // The item's text, or `fallback` when it is missing.
  std::wstring GetString(const wchar_t* name, const std::wstring& fallback, HPROFLIST list = 0) const {
    auto r = TryGetString(name, list);
    return r ? std::move(r).value() : fallback;
  }
  void SetString(const wchar_t* name, const wchar_t* value, HPROFLIST list = 0) const {
    ProfSetStringW(get(), list, name, value);
  }
  Status TrySave(const wchar_t* file, int flags = PROF_SAVE_XML) const {
    return Status(ProfSaveW(get(), file, flags), "ProfSaveW");
  }
  void Save(const wchar_t* file, int flags = PROF_SAVE_XML) const { TrySave(file, flags).ThrowIfFailed(); }
};

// ---- Modules and heaps ------------------------------------------------------------------------

class Module : public detail::Owner<HUTILMODULE, detail::ModuleCloser> {
 public:
  using Owner::Owner;
  static Result<Module> TryOpen(const wchar_t* name, int flags = 0) {
    Module m(UtilJobOpen(name, flags));
    if (!m) return Result<Module>::Failure(UTILHEAP_INVALID_HANDLE, "UtilJobOpen");
    return m;
  }
  static Module Open(const wchar_t* name, int flags = 0) { return TryOpen(name, flags).value(); }
};

class Heap : public detail::Owner<HUTILHEAP, detail::HeapCloser> {
 public:
  using Owner::Owner;
  static Result<Heap> TryCreate(const Module& module, const wchar_t* name, DWORD flags = 0) {
    Heap h(UtilHeapCreate(module.get(), name, flags));
    if (!h) return Result<Heap>::Failure(UTILHEAP_INVALID_HANDLE, "UtilHeapCreate");
    return h;
  }
  static Heap Create(const Module& module, const wchar_t* name, DWORD flags = 0) {
    return TryCreate(module, name, flags).value();
  }
  // An object, or (no memory, a negative size, a heap that is gone) UTILHEAP_BAD_OBJECT.
  Result<void*> TryAlloc(int size, DWORD flags = 0) const {
    void* object = UtilHeapObjectAlloc(get(), size, flags);
    if (!object) return Result<void*>::Failure(UTILHEAP_BAD_OBJECT, "UtilHeapObjectAlloc");
    return object;
  }
  void* Alloc(int size, DWORD flags = 0) const { return TryAlloc(size, flags).value(); }
  Status TryFree(void* object) const { return Status(UtilHeapObjectFree(get(), object), "UtilHeapObjectFree"); }
};

// ---- ZIP archives -----------------------------------------------------------------------------

// The archive is written by Close (or TryClose); an owner that ends without either still closes
// it, but the result is lost.
class ZipArchive : public detail::Owner<HUTILZIP, detail::ZipCloser> {
 public:
  using Owner::Owner;
  static Result<ZipArchive> TryCreate(const wchar_t* file, const wchar_t* comment = nullptr) {
    ZipArchive z(UtilZIPCreate(file, comment));
    if (!z) return Result<ZipArchive>::Failure(-1, "UtilZIPCreate");
    return z;
  }
  static ZipArchive Create(const wchar_t* file, const wchar_t* comment = nullptr) {
    return TryCreate(file, comment).value();
  }
  Status TryAppend(const wchar_t* file, const wchar_t* nameInArchive = nullptr) const {
    return Status(UtilZIPAppend(get(), file, nullptr, nameInArchive), "UtilZIPAppend");
  }
  void Append(const wchar_t* file, const wchar_t* nameInArchive = nullptr) const {
    TryAppend(file, nameInArchive).ThrowIfFailed();
  }
  void AppendFolder(const wchar_t* folder, const wchar_t* pattern = nullptr, bool recursive = false) const {
    UtilZIPAppendList(get(), folder, pattern, recursive ? UTIL_ZIP_RECURSIVE : 0);
  }
  Status TryClose() { return Status(UtilZIPClose(release()), "UtilZIPClose"); }
  void Close() { TryClose().ThrowIfFailed(); }
};

// ---- Temporary files --------------------------------------------------------------------------

// Keeps the process-wide temporary-file manager open for its lifetime.
class TempFileManager {
 public:
  TempFileManager() { UtilTempFileMgrOpen(); }
  ~TempFileManager() { UtilTempFileMgrClose(); }
  TempFileManager(const TempFileManager&) = delete;
  TempFileManager& operator=(const TempFileManager&) = delete;
};

// A new temporary file, handed to the manager for deletion when the owner ends (also while
// another program still holds it open).
class TempFile {
 public:
  TempFile() = default;
  TempFile(TempFile&& other) noexcept : path_(std::exchange(other.path_, std::wstring())) {}
  TempFile& operator=(TempFile&& other) noexcept {
    if (this != &other) {
      Remove();
      path_ = std::exchange(other.path_, std::wstring());
    }
    return *this;
  }
  TempFile(const TempFile&) = delete;
  TempFile& operator=(const TempFile&) = delete;
  ~TempFile() { Remove(); }

  static Result<TempFile> TryCreate(const wchar_t* prefix, const wchar_t* extension) {
    BSTR path = nullptr;
    if (!UtilTempFileMgrCreateFile(prefix, extension, 1, &path)) {
      SysFreeString(path);
      return Result<TempFile>::Failure(-1, "UtilTempFileMgrCreateFile");
    }
    TempFile file;
    file.path_.assign(path, SysStringLen(path));
    SysFreeString(path);
    return file;
  }
  static TempFile Create(const wchar_t* prefix, const wchar_t* extension) {
    return TryCreate(prefix, extension).value();
  }
  const std::wstring& path() const noexcept { return path_; }

 private:
  void Remove() noexcept {
    if (!path_.empty()) UtilTempFileMgrAdd(path_.c_str());
    path_.clear();
  }
  std::wstring path_;
};

// ---- Debug help -------------------------------------------------------------------------------

class DebugHelpJob : public detail::Owner<HUTILDEBUGHELP, detail::DebugHelpCloser> {
 public:
  using Owner::Owner;
  static Result<DebugHelpJob> TryOpen() {
    DebugHelpJob job(UtilDebugHelpJobOpen());
    if (!job) return Result<DebugHelpJob>::Failure(UTIL_DBGHELP_FAILED, "UtilDebugHelpJobOpen");
    return job;
  }
  static DebugHelpJob Open() { return TryOpen().value(); }
  // "module!symbol+0x1c" or "module+0x1a2b"; -3 when the address lies in no module.
  Result<std::wstring> TrySymbol(const void* address) const {
    std::wstring text;
    int rc = detail::TextOf(text, [&](wchar_t* b, int n) {
      return UtilDebugHelpJobGetSymbol(get(), reinterpret_cast<UINT_PTR>(address), b, n);
    });
    if (rc < 0) return Result<std::wstring>::Failure(rc, "UtilDebugHelpJobGetSymbol");
    return text;
  }
  std::wstring Symbol(const void* address) const { return TrySymbol(address).value(); }
};

// ---- Document information ---------------------------------------------------------------------

// The properties of one document; dates as VT_DATE values, absent when the file gives none.
struct DocumentInfo {
  std::optional<DATE> created, modified;
  std::wstring title, subject, author, lastAuthor, keywords, comments, sourcePath;
};

// A document-information handle with its cache; one handle may serve several threads.
class DocInfoList : public detail::Owner<HUTILDOCINFO, detail::DocInfoCloser> {
 public:
  using Owner::Owner;
  static Result<DocInfoList> TryOpen(DWORD cacheSeconds = 0) {
    DocInfoList list(UtilDocInfoOpen(cacheSeconds));
    if (!list) return Result<DocInfoList>::Failure(-1, "UtilDocInfoOpen");
    return list;
  }
  static DocInfoList Open(DWORD cacheSeconds = 0) { return TryOpen(cacheSeconds).value(); }

  // The file's properties, or nothing when none are available (unreadable file, unreachable
  // share, timeout of a background load).
  std::optional<DocumentInfo> Get(const wchar_t* path, DWORD timeoutSeconds = 10) const {
    VARIANT v[9];
    for (VARIANT& x : v) VariantInit(&x);
    UTIL_DOCINFO_REQUEST r{};
    r.size = UTIL_DOCINFO_REQUEST_FULL_SIZE;
    VARIANT** slots[9] = {&r.created, &r.modified, &r.title, &r.subject, &r.author,
                          &r.lastAuthor, &r.keywords, &r.comments, &r.sourcePath};
    for (int i = 0; i < 9; ++i) *slots[i] = &v[i];
    std::optional<DocumentInfo> info;
    if (UtilDocInfoGet(get(), path, &r, timeoutSeconds) == 1) {
      DocumentInfo d;
      if (v[0].vt == VT_DATE) d.created = v[0].date;
      if (v[1].vt == VT_DATE) d.modified = v[1].date;
      std::wstring* texts[7] = {&d.title, &d.subject, &d.author, &d.lastAuthor, &d.keywords,
                                &d.comments, &d.sourcePath};
      for (int i = 0; i < 7; ++i) {
        const VARIANT& t = v[i + 2];
        if (t.vt == VT_BSTR && t.bstrVal) texts[i]->assign(t.bstrVal, SysStringLen(t.bstrVal));
      }
      info = std::move(d);
    }
    for (VARIANT& x : v) VariantClear(&x);
    return info;
  }
};

// ---- Packed data as text ----------------------------------------------------------------------

// Bytes as one line of Base64 ("@2@" form when compressed).
inline Result<std::wstring> TryBytesToString(const void* data, DWORD size, bool compress = false) {
  std::wstring text;
  int rc = detail::TextOf(text, [&](wchar_t* b, int n) { return UtilConvertBLOBToString(data, size, b, n, compress); });
  if (rc < 0) return Result<std::wstring>::Failure(rc, "UtilConvertBLOBToString");
  return text;
}
inline std::wstring BytesToString(const void* data, DWORD size, bool compress = false) {
  return TryBytesToString(data, size, compress).value();
}

}  // namespace ovut19

#endif
