// File objects: one byte-level abstraction over a Windows file handle or a COM stream, and itself
// an IStream, so a file object can be handed to any stream consumer. Adds byte-range locks that
// are remembered and released when the object ends, open retries with an error class, a size
// change relative to the current position and a chunked copy.
//
// Life follows the COM reference count: a new object holds one reference, the last Release
// deletes it. Keep heap objects in clsAutoRelease<clsFile...>; an object on the stack is fine as
// long as nobody keeps a reference past its scope.
//
// When a stream is attached every operation goes to the stream; messages then name the object
// "(Stream)". A file object is used by one thread at a time.
#pragma once
#include <windows.h>
#include <objidl.h>
#include <cstdint>

#include "foundation/com_ptr.h"
#include "foundation/scoped_handle.h"
#include "foundation/string.h"
#include "foundation/unknown_impl.h"

// One remembered byte-range lock; the token that clsFile::Lock hands out. Newest first.
struct scFileLock {
  uint64_t offset;
  uint64_t length;
  scFileLock* next;
  scFileLock* prev;
};

class clsFile : public clsIUnknownImpl, public IStream {
 public:
  // Unknown position or size; as a write position: the current position.
  static constexpr uint64_t kUnknown = ~0ull;

  // Open arguments.
  enum Access { kAccessRead = 0, kAccessWrite = 1, kAccessReadWrite = 2 };
  enum Creation { kOpenExisting = 0, kOpenAlways = 1, kCreateAlways = 2 };
  enum Sharing { kShareExclusive = 0, kShareRead = 2, kShareReadWrite = 3 };
  // Option bits: each adds its Windows flag to the flags and attributes.
  enum : DWORD {
    kOptWriteThrough = 0x1,     // FILE_FLAG_WRITE_THROUGH
    kOptSequentialScan = 0x2,   // FILE_FLAG_SEQUENTIAL_SCAN
    kOptDeleteOnClose = 0x4,    // FILE_FLAG_DELETE_ON_CLOSE; Close also deletes the named file
    kOptRandomAccess = 0x8,     // FILE_FLAG_RANDOM_ACCESS
    kOptNormal = 0x100,         // FILE_ATTRIBUTE_NORMAL
    kOptHidden = 0x200,         // FILE_ATTRIBUTE_HIDDEN
    kOptReadOnly = 0x400,       // FILE_ATTRIBUTE_READONLY
    kOptTemporary = 0x800,      // FILE_ATTRIBUTE_TEMPORARY; sharing violations are retried after 10 ms
  };
  // Class of the last failed Open.
  enum OpenError { kOpenOk = 0, kOpenNotFound = 1, kOpenSharing = 2, kOpenExists = 3, kOpenDenied = 4, kOpenOther = 5 };

  // Nothing open.
  clsFile();
  // Opens by name (see Open); check IsOpen or OpenErrorState afterwards.
  clsFile(const wchar_t* name, int access, int creation, int sharing, DWORD options);
  // Keeps a reference to the stream and rewinds it.
  explicit clsFile(IStream* stream);
  // Duplicates the handle (same access); the caller keeps its own.
  explicit clsFile(HANDLE handle);
  ~clsFile() override;

  // IUnknown (both faces): IUnknown, ISequentialStream, IStream.
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override;
  ULONG STDMETHODCALLTYPE AddRef() override { return clsIUnknownImpl::AddRef(); }
  ULONG STDMETHODCALLTYPE Release() override { return clsIUnknownImpl::Release(); }
  IStream* AsStream() { return static_cast<IStream*>(this); }

  // Opening and closing. Open closes first, makes up to 3 attempts; 0 on success, -1 on failure
  // (then OpenErrorState/OpenErrorText/OpenErrorCode tell why; the last error is kept too).
  int Open(const wchar_t* name, int access, int creation, int sharing, DWORD options);
  // A stream element of a storage, named `name`; option 0x4 destroys the element on Close.
  int OpenInStorage(IStorage* storage, const wchar_t* name, int access, int creation, DWORD options);
  bool AttachStream(IStream* stream);   // closes first; AddRefs and rewinds the stream
  bool AttachHandle(HANDLE handle);     // closes first; duplicates the handle
  // Takes over a handle the caller created (temporary files); `name` is kept for messages/Stat.
  void AdoptHandle(ovut::UniqueHandle handle, const String& name, DWORD options);
  void Close();

  bool IsOpen() const { return handle_.valid() || stream_; }
  bool IsStream() const { return static_cast<bool>(stream_); }
  HANDLE Handle() const { return handle_.get(); }
  IStream* AttachedStream() const { return stream_.Get(); }
  const String& FileName() const { return name_; }
  // Name for messages: the file name, or "(Stream)" for a stream-backed object.
  String DisplayName() const;
  DWORD Options() const { return options_; }

  int OpenErrorState() const { return openError_; }
  const String& OpenErrorText() const { return openErrorText_; }
  DWORD OpenErrorCode() const { return openErrorCode_; }  // Win32 error or HRESULT

  // Reading and writing at the current position.
  DWORD Read(void* buffer, DWORD bytes);                    // bytes read, 0 on failure
  DWORD ReadChars(wchar_t* buffer, DWORD chars);            // whole characters read
  // Bytes written, 0 on failure or for 0 bytes. A position other than kUnknown seeks there first
  // (pass it as uint64_t: a literal 0 is ambiguous with IStream::Write).
  DWORD Write(const void* data, DWORD bytes, uint64_t position = kUnknown);
  // Text forms; length -1 = up to the terminator. Bytes / characters written, -1 with nothing open.
  int WriteText(const char* text, int length = -1);
  int WriteText(const wchar_t* text, int length = -1);
  bool Flush();                                             // FlushFileBuffers / stream Commit

  // Positions. Each Seek returns the new position; a failed handle seek gives 0, a failed stream
  // seek or nothing open kUnknown.
  uint64_t Seek(uint64_t position);                         // from the start
  uint64_t SeekRelative(int64_t delta);                     // from the current position
  uint64_t SeekToEnd();
  uint64_t Position() const;                                // kUnknown with nothing open
  uint64_t Size() const;                                    // kUnknown when not available
  // Makes the content end `bytes` after the current position; the position stays.
  bool SetSize(uint64_t bytes);
  // Cuts the content at the current position.
  bool SetEOF();

  // Byte-range locks. Lock tries at once and then until `timeoutMs` has passed (0 = one try);
  // returns the token or null. Remaining locks are released when the object ends.
  scFileLock* Lock(uint64_t offset, uint64_t length, DWORD timeoutMs);
  void Unlock(scFileLock* token);
  const scFileLock* Locks() const { return locks_; }

  // Copies the rest of `source` (from its current position) to this object's current position in
  // chunks of at most 1 MiB and ends the content after it. A source of size 0 changes nothing.
  bool CopyFrom(clsFile& source);

  // IStream. Each forwards to the attached stream when there is one.
  HRESULT STDMETHODCALLTYPE Read(void* pv, ULONG cb, ULONG* pcbRead) override;
  HRESULT STDMETHODCALLTYPE Write(const void* pv, ULONG cb, ULONG* pcbWritten) override;
  HRESULT STDMETHODCALLTYPE Seek(LARGE_INTEGER move, DWORD origin, ULARGE_INTEGER* newPosition) override;
  HRESULT STDMETHODCALLTYPE SetSize(ULARGE_INTEGER newSize) override;
  HRESULT STDMETHODCALLTYPE CopyTo(IStream* target, ULARGE_INTEGER cb, ULARGE_INTEGER* pcbRead,
                                   ULARGE_INTEGER* pcbWritten) override;
  HRESULT STDMETHODCALLTYPE Commit(DWORD flags) override;
  HRESULT STDMETHODCALLTYPE Revert() override;
  HRESULT STDMETHODCALLTYPE LockRegion(ULARGE_INTEGER offset, ULARGE_INTEGER cb, DWORD lockType) override;
  HRESULT STDMETHODCALLTYPE UnlockRegion(ULARGE_INTEGER offset, ULARGE_INTEGER cb, DWORD lockType) override;
  HRESULT STDMETHODCALLTYPE Stat(STATSTG* stat, DWORD flags) override;
  HRESULT STDMETHODCALLTYPE Clone(IStream** clone) override;

 protected:
  // Creates the handle for Open; the default calls CreateFileW without critical-error boxes.
  virtual HANDLE CreateHandle(const wchar_t* name, DWORD access, DWORD share, DWORD disposition, DWORD flags);

 private:
  bool MoveTo(int64_t distance, DWORD method, uint64_t* newPosition) const;
  void ReportWriteFailure(DWORD written, DWORD asked, const String& errorText) const;
  bool TryLockOnce(uint64_t offset, uint64_t length);
  void UnlockRange(uint64_t offset, uint64_t length);
  void ReleaseAllLocks();

  String name_;
  ovut::UniqueHandle handle_;
  DWORD options_ = 0;
  clsAutoRelease<IStorage> storage_;
  clsAutoRelease<IStream> stream_;
  int openError_ = kOpenOk;
  DWORD openErrorCode_ = 0;
  String openErrorText_;
  scFileLock* locks_ = nullptr;
};

// Read-only use: Open with read access.
class clsFileRO : public clsFile {
 public:
  clsFileRO() = default;
  clsFileRO(const wchar_t* name, int sharing = kShareRead, DWORD options = kOptNormal)
      : clsFile(name, kAccessRead, kOpenExisting, sharing, options) {}
  explicit clsFileRO(IStream* stream) : clsFile(stream) {}
  explicit clsFileRO(HANDLE handle) : clsFile(handle) {}
};

// Read-write use: Open with read and write access.
class clsFileRW : public clsFile {
 public:
  clsFileRW() = default;
  clsFileRW(const wchar_t* name, int creation, int sharing = kShareRead, DWORD options = kOptNormal)
      : clsFile(name, kAccessReadWrite, creation, sharing, options) {}
  explicit clsFileRW(IStream* stream) : clsFile(stream) {}
  explicit clsFileRW(HANDLE handle) : clsFile(handle) {}
};

// A new temporary file "_19_<prefix><counter>.<extension>" in the library's temporary folder,
// deleted when its handle closes. Cannot be re-opened by name. Check IsOpen.
class clsFileRWTemp : public clsFileRW {
 public:
  explicit clsFileRWTemp(const wchar_t* prefix = L"zel", const wchar_t* extension = L"tmp");

 protected:
  HANDLE CreateHandle(const wchar_t*, DWORD, DWORD, DWORD, DWORD) override { return INVALID_HANDLE_VALUE; }
};

// Wraps a stream whose reference the caller hands over: the object holds the only reference.
class clsFileRWTempStream : public clsFileRW {
 public:
  explicit clsFileRWTempStream(IStream* handedOver);
};

namespace ovut::file {
// Called when cutting an attached stream fails. The crash-report subsystem makes this write a
// minidump and show its file name (caption "DUMP FILE CREATED", error icon) when the UI policy
// allows a box; until then it only leaves a debug line. Lives in file_failure_dump.cpp.
void WriteStreamFailureDump(const String& reason);
}  // namespace ovut::file
