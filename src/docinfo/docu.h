// clsDocu: what is known about one document, shared between the cache, the callers asking for it
// and a background load. Reference counted like a COM object: a new object holds one reference,
// the last Release deletes it.
//
// The state lives under the object's own lock: several threads may ask for the same cached
// document at once, and each refresh and each read of the fields takes that lock, so a caller
// never sees the fields of two different loads mixed.
#pragma once
#include <windows.h>

#include "docinfo/doc_fields.h"
#include "foundation/critical_section.h"
#include "foundation/string.h"

namespace docinfo {

class clsDocuList;

// Everything one load produces; copied whole between a document and its background load.
struct DocuState {
  bool loaded = false;          // the file was opened and a reader ran
  ULONGLONG lastLoad = 0;       // GetTickCount64 of the last load; 0 = load on the next request
  SYSTEMTIME stamp{};           // last-write time (local) the fields were read at; wYear 0 = none
  DocFields fields;             // six texts and the created and modified dates
  String sourcePath;            // the file actually read: the path, or a shell link's target
};

// Clears what a failed load leaves unknown; the source path stays.
void ResetFields(DocuState& state) noexcept;

class clsDocu {
 public:
  // `path` may carry a part name after "|"; the part is kept apart and not used by any reader.
  clsDocu(const String& path, DWORD cacheSeconds, DWORD timeoutSeconds, clsDocuList* owner);
  clsDocu(const clsDocu&) = delete;
  clsDocu& operator=(const clsDocu&) = delete;

  ULONG AddRef() noexcept { return static_cast<ULONG>(InterlockedIncrement(&refs_)); }
  ULONG Release() noexcept;

  // Loads the document unless it was loaded within the cache lifetime; then returns its state.
  // The caller's thread waits for a load from a network share at most the timeout.
  DocuState Refresh() noexcept;
  // The state without loading.
  DocuState State() noexcept;
  // For the reload thread: true when the entry should leave the cache at `now`.
  bool Expired(ULONGLONG now) noexcept;

  const String& Path() const noexcept { return path_; }
  const String& PartName() const noexcept { return partName_; }
  DWORD TimeoutMs() const noexcept { return timeoutMs_; }

  // The whole state is replaced under the object's lock (results of a background load).
  ovut::CriticalSection& Lock() noexcept { return lock_; }
  DocuState& StateLocked() noexcept { return state_; }

 private:
  ~clsDocu() = default;
  void RefreshLocked() noexcept;

  volatile LONG refs_ = 1;
  String path_;
  String partName_;
  ULONGLONG lifetimeMs_;
  DWORD timeoutMs_;
  clsDocuList* owner_;
  ovut::CriticalSection lock_;
  DocuState state_;
};

// Holder of one counted reference to a clsDocu.
class DocuRef {
 public:
  DocuRef() = default;
  explicit DocuRef(clsDocu* adopted) noexcept : p_(adopted) {}
  DocuRef(const DocuRef& o) noexcept : p_(o.p_) { if (p_) p_->AddRef(); }
  DocuRef& operator=(DocuRef o) noexcept { clsDocu* t = p_; p_ = o.p_; o.p_ = t; return *this; }
  ~DocuRef() { if (p_) p_->Release(); }
  static DocuRef AddRefOf(clsDocu* p) noexcept { if (p) p->AddRef(); return DocuRef(p); }
  clsDocu* Get() const noexcept { return p_; }
  clsDocu* operator->() const noexcept { return p_; }
  explicit operator bool() const noexcept { return p_ != nullptr; }

 private:
  clsDocu* p_ = nullptr;
};

}  // namespace docinfo
