// clsFile's IStream face: forwards to the attached stream, else works on the handle.
#include <cwchar>

#include "foundation/file.h"

HRESULT STDMETHODCALLTYPE clsFile::Read(void* pv, ULONG cb, ULONG* pcbRead) {
  if (stream_) return stream_->Read(pv, cb, pcbRead);
  if (pcbRead) *pcbRead = 0;
  if (!handle_) return E_HANDLE;
  if (!pv && cb) return STG_E_INVALIDPOINTER;
  DWORD got = 0;
  if (cb && !ReadFile(handle_.get(), pv, cb, &got, nullptr)) return STG_E_READFAULT;
  if (pcbRead) *pcbRead = got;
  return S_OK;
}

HRESULT STDMETHODCALLTYPE clsFile::Write(const void* pv, ULONG cb, ULONG* pcbWritten) {
  if (stream_) return stream_->Write(pv, cb, pcbWritten);
  if (pcbWritten) *pcbWritten = 0;
  if (!handle_) return E_HANDLE;
  if (!pv && cb) return STG_E_INVALIDPOINTER;
  if (!cb) return S_OK;
  DWORD put = 0;
  const BOOL ok = WriteFile(handle_.get(), pv, cb, &put, nullptr);
  const DWORD error = GetLastError();
  if (pcbWritten) *pcbWritten = put;
  if (ok && put == cb) return S_OK;
  ReportWriteFailure(put, cb, String::ErrorText(ok ? ERROR_DISK_FULL : error));
  return ok ? STG_E_MEDIUMFULL : STG_E_WRITEFAULT;
}

HRESULT STDMETHODCALLTYPE clsFile::Seek(LARGE_INTEGER move, DWORD origin, ULARGE_INTEGER* newPosition) {
  if (origin > STREAM_SEEK_END) return E_INVALIDARG;
  if (stream_) return stream_->Seek(move, origin, newPosition);
  if (!handle_) return E_HANDLE;
  LARGE_INTEGER now = {};
  if (!SetFilePointerEx(handle_.get(), move, &now, origin)) return STG_E_INVALIDFUNCTION;
  if (newPosition) newPosition->QuadPart = static_cast<ULONGLONG>(now.QuadPart);
  return S_OK;
}

HRESULT STDMETHODCALLTYPE clsFile::SetSize(ULARGE_INTEGER newSize) {
  if (stream_) return stream_->SetSize(newSize);
  if (!handle_) return E_HANDLE;
  const uint64_t position = Position();
  if (position == kUnknown || newSize.QuadPart > static_cast<uint64_t>(INT64_MAX)) return E_ACCESSDENIED;
  LARGE_INTEGER target;
  target.QuadPart = static_cast<LONGLONG>(newSize.QuadPart);
  HRESULT hr = S_OK;
  if (!SetFilePointerEx(handle_.get(), target, nullptr, FILE_BEGIN) || !SetEndOfFile(handle_.get())) hr = E_ACCESSDENIED;
  // Back to where we were, or to the new end when that lay beyond it.
  LARGE_INTEGER back;
  back.QuadPart = static_cast<LONGLONG>(SUCCEEDED(hr) && position > newSize.QuadPart ? newSize.QuadPart : position);
  SetFilePointerEx(handle_.get(), back, nullptr, FILE_BEGIN);
  return hr;
}

HRESULT STDMETHODCALLTYPE clsFile::CopyTo(IStream* target, ULARGE_INTEGER cb, ULARGE_INTEGER* pcbRead,
                                          ULARGE_INTEGER* pcbWritten) {
  return stream_ ? stream_->CopyTo(target, cb, pcbRead, pcbWritten) : E_NOTIMPL;
}

HRESULT STDMETHODCALLTYPE clsFile::Commit(DWORD flags) { return stream_ ? stream_->Commit(flags) : E_NOTIMPL; }

HRESULT STDMETHODCALLTYPE clsFile::Revert() { return stream_ ? stream_->Revert() : E_NOTIMPL; }

HRESULT STDMETHODCALLTYPE clsFile::Clone(IStream** clone) { return stream_ ? stream_->Clone(clone) : E_NOTIMPL; }

HRESULT STDMETHODCALLTYPE clsFile::LockRegion(ULARGE_INTEGER offset, ULARGE_INTEGER cb, DWORD lockType) {
  if (stream_) return stream_->LockRegion(offset, cb, lockType);
  if (!handle_) return E_NOTIMPL;
  // A range held elsewhere is a lock violation, not "cannot lock": a caller that treats
  // E_NOTIMPL as "works unlocked" would otherwise go on without the lock.
  return LockFile(handle_.get(), offset.LowPart, offset.HighPart, cb.LowPart, cb.HighPart) ? S_OK
                                                                                          : STG_E_LOCKVIOLATION;
}

HRESULT STDMETHODCALLTYPE clsFile::UnlockRegion(ULARGE_INTEGER offset, ULARGE_INTEGER cb, DWORD lockType) {
  if (stream_) return stream_->UnlockRegion(offset, cb, lockType);
  if (!handle_) return E_NOTIMPL;
  return UnlockFile(handle_.get(), offset.LowPart, offset.HighPart, cb.LowPart, cb.HighPart) ? S_OK
                                                                                            : STG_E_LOCKVIOLATION;
}

HRESULT STDMETHODCALLTYPE clsFile::Stat(STATSTG* stat, DWORD flags) {
  if (!stat) return E_INVALIDARG;
  if (stream_) return stream_->Stat(stat, flags);
  if (!handle_) return E_HANDLE;
  ZeroMemory(stat, sizeof *stat);
  stat->type = STGTY_STREAM;
  LARGE_INTEGER size = {};
  if (!GetFileSizeEx(handle_.get(), &size)) return HRESULT_FROM_WIN32(GetLastError());
  stat->cbSize.QuadPart = static_cast<ULONGLONG>(size.QuadPart);
  // The handle knows its times even when the file has no name (a duplicated handle).
  if (!GetFileTime(handle_.get(), &stat->ctime, &stat->atime, &stat->mtime)) {
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (name_.IsEmpty() || !GetFileAttributesExW(name_.c_str(), GetFileExInfoStandard, &data))
      return HRESULT_FROM_WIN32(GetLastError());
    stat->ctime = data.ftCreationTime;
    stat->atime = data.ftLastAccessTime;
    stat->mtime = data.ftLastWriteTime;
  }
  if (!(flags & STATFLAG_NONAME)) {
    const size_t bytes = (name_.Length() + 1) * sizeof(wchar_t);
    stat->pwcsName = static_cast<LPOLESTR>(CoTaskMemAlloc(bytes));
    if (!stat->pwcsName) return E_OUTOFMEMORY;
    memcpy(stat->pwcsName, name_.c_str(), bytes);
  }
  return S_OK;
}
