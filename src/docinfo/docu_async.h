// clsDocuAsync: one background load of a document on a network share. The caller waits for it at
// most the document's timeout; a load that takes longer finishes on its own thread and its
// results are dropped with the object.
#pragma once
#include <windows.h>

#include "docinfo/docu.h"
#include "foundation/critical_section.h"
#include "foundation/scoped_handle.h"
#include "foundation/thread_base.h"

namespace docinfo {

class clsDocuAsync : public clsThreadBase {
 public:
  // Takes a reference to `docu` and copies its state (the caller holds the document's lock).
  clsDocuAsync(clsDocu* docu, const String& share);
  // Waits for a load still running: its thread works on this object's copy.
  ~clsDocuAsync() override;

  // Starts the load and waits up to the timeout; when it finished in time, its results replace
  // `target` (the document's state; the caller holds the document's lock). False when the share
  // is known to be unreachable or no thread could be started.
  bool Run(DocuState& target) noexcept;
  // True once the load has ended (or never started).
  bool Finished() const noexcept;

 protected:
  DWORD ThreadBody() override;
  // The readers run on this thread: give it an ordinary stack.
  DWORD ThreadStackSize() const override { return 1u << 20; }

 private:
  DWORD timeoutMs_;
  ovut::CriticalSection lock_;
  DocuRef docu_;
  DocuState copy_;
  IString share_;
  ovut::UniqueHandle done_;
  bool started_ = false;
};

}  // namespace docinfo
