// clsFile: construction, opening and closing, reading, writing, positions and sizes.
#include "foundation/file.h"

#include <cstring>
#include <cwchar>
#include <utility>

#include "diagnostics/debug_output.h"

namespace {

DWORD TranslateAccess(int access) {
  switch (access) {
    case clsFile::kAccessWrite: return GENERIC_WRITE;
    case clsFile::kAccessReadWrite: return GENERIC_READ | GENERIC_WRITE;
    default: return GENERIC_READ;
  }
}

DWORD TranslateCreation(int creation) {
  switch (creation) {
    case clsFile::kOpenAlways: return OPEN_ALWAYS;
    case clsFile::kCreateAlways: return CREATE_ALWAYS;
    default: return OPEN_EXISTING;
  }
}

DWORD TranslateSharing(int sharing) {
  switch (sharing) {
    case clsFile::kShareRead: return FILE_SHARE_READ;
    case clsFile::kShareReadWrite: return FILE_SHARE_READ | FILE_SHARE_WRITE;
    default: return 0;
  }
}

DWORD TranslateOptions(DWORD options) {
  static const struct { DWORD bit, flag; } kTable[] = {
      {clsFile::kOptWriteThrough, FILE_FLAG_WRITE_THROUGH},
      {clsFile::kOptSequentialScan, FILE_FLAG_SEQUENTIAL_SCAN},
      {clsFile::kOptDeleteOnClose, FILE_FLAG_DELETE_ON_CLOSE},
      {clsFile::kOptRandomAccess, FILE_FLAG_RANDOM_ACCESS},
      {clsFile::kOptNormal, FILE_ATTRIBUTE_NORMAL},
      {clsFile::kOptHidden, FILE_ATTRIBUTE_HIDDEN},
      {clsFile::kOptReadOnly, FILE_ATTRIBUTE_READONLY},
      {clsFile::kOptTemporary, FILE_ATTRIBUTE_TEMPORARY},
  };
  DWORD flags = 0;
  for (const auto& e : kTable)
    if (options & e.bit) flags |= e.flag;
  return flags;
}

int ClassifyOpenError(DWORD error) {
  switch (error) {
    case ERROR_FILE_NOT_FOUND:  // a missing file is the commonest "not found"
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_DRIVE:
    case ERROR_BAD_NETPATH:
    case ERROR_DEV_NOT_EXIST:
      return clsFile::kOpenNotFound;
    case ERROR_ACCESS_DENIED:
    case ERROR_WRITE_PROTECT:
      return clsFile::kOpenDenied;
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
      return clsFile::kOpenSharing;
    case ERROR_ALREADY_EXISTS:
      return clsFile::kOpenExists;
    default:
      return clsFile::kOpenOther;
  }
}

int ClassifyStorageError(HRESULT hr) {
  switch (hr) {
    case STG_E_FILENOTFOUND:
    case STG_E_PATHNOTFOUND:
      return clsFile::kOpenNotFound;
    case STG_E_ACCESSDENIED:
    case STG_E_MEDIUMFULL:
      return clsFile::kOpenDenied;
    case STG_E_SHAREVIOLATION:
    case STG_E_LOCKVIOLATION:
      return clsFile::kOpenSharing;
    case STG_E_FILEALREADYEXISTS:
      return clsFile::kOpenExists;
    default:
      return clsFile::kOpenOther;
  }
}

}  // namespace

clsFile::clsFile() = default;

clsFile::clsFile(const wchar_t* name, int access, int creation, int sharing, DWORD options) {
  Open(name, access, creation, sharing, options);
}

clsFile::clsFile(IStream* stream) { AttachStream(stream); }

clsFile::clsFile(HANDLE handle) { AttachHandle(handle); }

clsFile::~clsFile() {
  if (IsOpen() && locks_)
    ovut::debug::Warning(L"portions of the file '%s' are still locked. they will be unlocked automatically...",
                         DisplayName().c_str());
  Close();
}

HRESULT STDMETHODCALLTYPE clsFile::QueryInterface(REFIID iid, void** out) {
  if (!out) return E_POINTER;
  if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_ISequentialStream) || IsEqualIID(iid, IID_IStream)) {
    *out = static_cast<IStream*>(this);
    AddRef();
    return S_OK;
  }
  *out = nullptr;
  return E_NOINTERFACE;
}

String clsFile::DisplayName() const { return stream_ ? String(L"(Stream)") : name_; }

HANDLE clsFile::CreateHandle(const wchar_t* name, DWORD access, DWORD share, DWORD disposition, DWORD flags) {
  if (!name || !*name) {
    SetLastError(ERROR_INVALID_NAME);
    return INVALID_HANDLE_VALUE;
  }
  // No "insert a disk" boxes for removable or vanished drives; per thread, so other threads keep
  // their mode.
  DWORD oldMode = 0;
  BOOL changed = SetThreadErrorMode(GetThreadErrorMode() | SEM_NOOPENFILEERRORBOX | SEM_FAILCRITICALERRORS, &oldMode);
  HANDLE h = CreateFileW(name, access, share, nullptr, disposition, flags, nullptr);
  if (changed) {
    DWORD err = GetLastError();
    SetThreadErrorMode(oldMode, nullptr);
    SetLastError(err);
  }
  return h;
}

int clsFile::Open(const wchar_t* name, int access, int creation, int sharing, DWORD options) {
  Close();
  name_ = name ? name : L"";
  options_ = options;
  openError_ = kOpenOk;
  openErrorCode_ = 0;
  openErrorText_.Clear();

  if ((creation == kOpenAlways || creation == kCreateAlways) && access == kAccessRead)
    ovut::debug::Warning(L"creating a file without write access does not make much sense");

  const DWORD desired = TranslateAccess(access);
  const DWORD disposition = TranslateCreation(creation);
  const DWORD share = TranslateSharing(sharing);
  const DWORD flags = TranslateOptions(options);

  ovut::UniqueHandle h;
  for (int attempt = 0; attempt < 3; ++attempt) {
    SetLastError(0);
    h = ovut::UniqueHandle(CreateHandle(name_.c_str(), desired, share, disposition, flags));
    if (h) break;
    openErrorCode_ = GetLastError();
    openError_ = ClassifyOpenError(openErrorCode_);
    openErrorText_ = String::ErrorText(openErrorCode_, 1024);
    if ((flags & FILE_ATTRIBUTE_TEMPORARY) && openError_ == kOpenSharing && attempt < 2) Sleep(10);
  }
  if (!h) {
    if (!openErrorText_.IsEmpty() && ovut::DeveloperDiagnostics() && !name_.IsEmpty())
      ovut::debug::Warning(L"clsFile::Open('%s') failed: '%s'", DisplayName().c_str(), openErrorText_.c_str());
    SetLastError(openErrorCode_);
    return -1;
  }
  openError_ = kOpenOk;
  openErrorCode_ = 0;
  openErrorText_.Clear();
  handle_ = std::move(h);
  return 0;
}

int clsFile::OpenInStorage(IStorage* storage, const wchar_t* name, int access, int creation, DWORD options) {
  Close();
  name_ = name ? name : L"";
  options_ = options;
  openError_ = kOpenOk;
  openErrorCode_ = 0;
  openErrorText_.Clear();
  if (!storage || name_.IsEmpty()) {
    openError_ = kOpenOther;
    openErrorCode_ = static_cast<DWORD>(E_INVALIDARG);
    openErrorText_ = String::ErrorText(openErrorCode_, 1024);
    return -1;
  }
  DWORD mode = STGM_SHARE_EXCLUSIVE;
  mode |= access == kAccessWrite ? STGM_WRITE : access == kAccessReadWrite ? STGM_READWRITE : STGM_READ;
  clsAutoRelease<IStream> s;
  HRESULT hr = STG_E_FILENOTFOUND;
  if (creation != kCreateAlways) hr = storage->OpenStream(name_.c_str(), nullptr, mode, 0, s.Put());
  if (FAILED(hr) && creation != kOpenExisting) hr = storage->CreateStream(name_.c_str(), mode | STGM_CREATE, 0, 0, s.Put());
  if (FAILED(hr) || !s) {
    openErrorCode_ = static_cast<DWORD>(hr);
    openError_ = ClassifyStorageError(hr);
    openErrorText_ = String::ErrorText(openErrorCode_, 1024);
    return -1;
  }
  stream_ = std::move(s);
  storage_ = clsAutoRelease<IStorage>::AddRefOf(storage);
  return 0;
}

bool clsFile::AttachStream(IStream* stream) {
  Close();
  name_.Clear();
  options_ = 0;
  if (!stream) return false;
  stream_ = clsAutoRelease<IStream>::AddRefOf(stream);
  LARGE_INTEGER zero = {};
  stream_->Seek(zero, STREAM_SEEK_SET, nullptr);
  return true;
}

bool clsFile::AttachHandle(HANDLE handle) {
  Close();
  name_.Clear();
  options_ = 0;
  if (handle == nullptr || handle == INVALID_HANDLE_VALUE) return false;
  HANDLE dup = nullptr;
  if (!DuplicateHandle(GetCurrentProcess(), handle, GetCurrentProcess(), &dup, 0, FALSE, DUPLICATE_SAME_ACCESS))
    return false;
  handle_.reset(dup);
  return true;
}

void clsFile::AdoptHandle(ovut::UniqueHandle handle, const String& name, DWORD options) {
  Close();
  name_ = name;
  options_ = options;
  openError_ = kOpenOk;
  openErrorCode_ = 0;
  openErrorText_.Clear();
  handle_ = std::move(handle);
}

void clsFile::Close() {
  // Closing a handle drops its locks anyway; a stream keeps them unless told.
  ReleaseAllLocks();
  const bool deleteOnClose = (options_ & kOptDeleteOnClose) != 0 && !name_.IsEmpty();
  handle_.reset();
  // Only a file opened by name is deleted: a storage element's name is not a path.
  if (deleteOnClose && !storage_) DeleteFileW(name_.c_str());
  stream_.Reset();
  if (storage_) {
    if (deleteOnClose) storage_->DestroyElement(name_.c_str());
    storage_.Reset();
  }
  // Deleting once is enough: a later Close must not remove a new file of the same name.
  options_ &= ~static_cast<DWORD>(kOptDeleteOnClose);
}

DWORD clsFile::Read(void* buffer, DWORD bytes) {
  if (!buffer || !bytes) return 0;
  if (stream_) {
    ULONG got = 0;
    HRESULT hr = stream_->Read(buffer, bytes, &got);
    return FAILED(hr) ? 0 : got;
  }
  if (handle_) {
    DWORD got = 0;
    return ReadFile(handle_.get(), buffer, bytes, &got, nullptr) ? got : 0;
  }
  return 0;
}

DWORD clsFile::ReadChars(wchar_t* buffer, DWORD chars) {
  if (chars > 0x7FFFFFFFu) chars = 0x7FFFFFFFu;
  return Read(buffer, chars * 2) / 2;
}

void clsFile::ReportWriteFailure(DWORD written, DWORD asked, const String& errorText) const {
  ovut::debug::Warning(L"clsFile(%s)::Write(): write failure... %d/%d (%s)", DisplayName().c_str(),
                       static_cast<int>(written), static_cast<int>(asked), errorText.c_str());
}

DWORD clsFile::Write(const void* data, DWORD bytes, uint64_t position) {
  if (!data || !bytes || !IsOpen()) return 0;
  if (position != kUnknown && !MoveTo(static_cast<int64_t>(position), FILE_BEGIN, nullptr)) return 0;
  if (stream_) {
    ULONG put = 0;
    HRESULT hr = stream_->Write(data, bytes, &put);
    if (FAILED(hr) || put < bytes) {
      ReportWriteFailure(put, bytes, String::ErrorText(static_cast<DWORD>(FAILED(hr) ? hr : STG_E_MEDIUMFULL)));
      return 0;
    }
    return put;
  }
  DWORD put = 0;
  if (!WriteFile(handle_.get(), data, bytes, &put, nullptr) || put < bytes) {
    ReportWriteFailure(put, bytes, String::ErrorText(GetLastError()));
    return 0;
  }
  return put;
}

int clsFile::WriteText(const char* text, int length) {
  if (!IsOpen()) return -1;
  if (!text) return 0;
  size_t n = length < 0 ? strlen(text) : static_cast<size_t>(length);
  if (n > 0x7FFFFFFFu) n = 0x7FFFFFFFu;
  return static_cast<int>(Write(text, static_cast<DWORD>(n)));
}

int clsFile::WriteText(const wchar_t* text, int length) {
  if (!IsOpen()) return -1;
  if (!text) return 0;
  size_t n = length < 0 ? wcslen(text) : static_cast<size_t>(length);
  if (n > 0x3FFFFFFFu) n = 0x3FFFFFFFu;
  return static_cast<int>(Write(text, static_cast<DWORD>(n * 2)) / 2);
}

bool clsFile::Flush() {
  if (stream_) return SUCCEEDED(stream_->Commit(STGC_DEFAULT));
  if (handle_) return FlushFileBuffers(handle_.get()) != 0;
  return false;
}

// The one place that moves the position: FILE_BEGIN/CURRENT/END equal STREAM_SEEK_SET/CUR/END.
bool clsFile::MoveTo(int64_t distance, DWORD method, uint64_t* newPosition) const {
  LARGE_INTEGER move;
  move.QuadPart = distance;
  if (stream_) {
    ULARGE_INTEGER now = {};
    if (FAILED(stream_->Seek(move, method, &now))) return false;
    if (newPosition) *newPosition = now.QuadPart;
    return true;
  }
  if (handle_) {
    LARGE_INTEGER now = {};
    if (!SetFilePointerEx(handle_.get(), move, &now, method)) return false;
    if (newPosition) *newPosition = static_cast<uint64_t>(now.QuadPart);
    return true;
  }
  return false;
}

uint64_t clsFile::Seek(uint64_t position) {
  uint64_t now = 0;
  if (!IsOpen()) return kUnknown;
  if (MoveTo(static_cast<int64_t>(position), FILE_BEGIN, &now)) return now;
  return stream_ ? kUnknown : 0;
}

uint64_t clsFile::SeekRelative(int64_t delta) {
  uint64_t now = 0;
  if (!IsOpen()) return kUnknown;
  if (MoveTo(delta, FILE_CURRENT, &now)) return now;
  return stream_ ? kUnknown : 0;
}

uint64_t clsFile::SeekToEnd() {
  uint64_t now = 0;
  if (!IsOpen()) return kUnknown;
  if (MoveTo(0, FILE_END, &now)) return now;
  return stream_ ? kUnknown : 0;
}

uint64_t clsFile::Position() const {
  uint64_t now = 0;
  return MoveTo(0, FILE_CURRENT, &now) ? now : kUnknown;
}

uint64_t clsFile::Size() const {
  if (stream_) {
    STATSTG st = {};
    if (FAILED(stream_->Stat(&st, STATFLAG_NONAME))) return kUnknown;
    return st.cbSize.QuadPart;
  }
  if (handle_) {
    LARGE_INTEGER size = {};
    return GetFileSizeEx(handle_.get(), &size) ? static_cast<uint64_t>(size.QuadPart) : kUnknown;
  }
  return kUnknown;
}

bool clsFile::SetSize(uint64_t bytes) {
  const uint64_t position = Position();
  if (position == kUnknown) return false;
  if (stream_) {
    ULARGE_INTEGER size;
    size.QuadPart = position + bytes;
    if (FAILED(stream_->SetSize(size))) {
      ovut::debug::Warning(L"ERR: Stream->SetSize(%I64d+%I64d) failed!", static_cast<long long>(position),
                           static_cast<long long>(bytes));
      return false;
    }
    return true;
  }
  if (bytes > static_cast<uint64_t>(INT64_MAX) || !MoveTo(static_cast<int64_t>(bytes), FILE_CURRENT, nullptr))
    return false;
  const bool cut = SetEOF();
  MoveTo(static_cast<int64_t>(position), FILE_BEGIN, nullptr);
  return cut;
}

bool clsFile::SetEOF() {
  if (stream_) {
    const uint64_t position = Position();
    ULARGE_INTEGER size;
    size.QuadPart = position;
    if (position == kUnknown || FAILED(stream_->SetSize(size))) {
      String line = String::Formatted(L"ERR: Stream->SetEOF(%I64d) failed!", static_cast<long long>(position));
      ovut::debug::WarningText(line.c_str());
      ovut::file::WriteStreamFailureDump(line);
      return false;
    }
    return true;
  }
  if (handle_) {
    if (SetEndOfFile(handle_.get())) return true;
    ovut::debug::Warning(L"ERR: SetEOF() failed!");
  }
  return false;
}
