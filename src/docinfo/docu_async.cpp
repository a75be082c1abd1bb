#include "docinfo/docu_async.h"

#include "docinfo/doc_loader.h"
#include "docinfo/share_set.h"

namespace docinfo {

clsDocuAsync::clsDocuAsync(clsDocu* docu, const String& share)
    : clsThreadBase("clsDocuAsync"),
      timeoutMs_(docu->TimeoutMs()),
      docu_(DocuRef::AddRefOf(docu)),
      copy_(docu->StateLocked()),
      share_(share),
      done_(CreateEventW(nullptr, TRUE, FALSE, nullptr)) {}

clsDocuAsync::~clsDocuAsync() { ThreadEnd(false, INFINITE); }

DWORD clsDocuAsync::ThreadBody() {
  LoadDocument(copy_, &lock_);
  SetEvent(done_.get());
  return 0;
}

bool clsDocuAsync::Run(DocuState& target) noexcept {
  if (!done_ || ShareKnownInaccessible(share_)) return false;
  if (!ThreadStart(THREAD_PRIORITY_NORMAL)) return false;
  started_ = true;
  if (WaitForSingleObject(done_.get(), timeoutMs_) != WAIT_OBJECT_0) return true;
  ovut::AutoLock hold(lock_);
  target = copy_;
  return true;
}

bool clsDocuAsync::Finished() const noexcept {
  return !started_ || WaitForSingleObject(done_.get(), 0) == WAIT_OBJECT_0;
}

}  // namespace docinfo
