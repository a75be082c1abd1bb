#include "memory/registry.h"

#include <new>

#include "foundation/critical_section.h"
#include "memory/handle_set.h"
#include "memory/memory_lines.h"
#include "memory/module_node.h"
#include "memory/object_layout.h"
#include "memory/pointer_set.h"
#include "memory/runtime_objects.h"

namespace ovut::memory {
namespace {

// Module nodes in registration order, and the membership sets of both kinds of handle.
struct clsModuleList {
  CriticalSection lock;
  clsModuleNode* head = nullptr;
  clsModuleNode* tail = nullptr;
  clsPointerSet modules;
  clsHandleSet heaps;  // also read without the lock, by the plain-object paths
  bool heapWalk = false;  // HeapWalk, HeapLock and HeapCompact exist (every NT system)

  void Append(clsModuleNode* m) {
    m->prev = tail;
    m->next = nullptr;
    if (tail) tail->next = m;
    else head = m;
    tail = m;
  }
  void Unlink(clsModuleNode* m) {
    if (m->prev) m->prev->next = m->next;
    else head = m->next;
    if (m->next) m->next->prev = m->prev;
    else tail = m->prev;
  }
  clsModuleNode* Find(const wchar_t* name) const {
    for (clsModuleNode* m = head; m; m = m->next)
      if (m->HasName(name)) return m;
    return nullptr;
  }
  clsHeapNode* Heap(void* handle) const { return heaps.Contains(handle) ? static_cast<clsHeapNode*>(handle) : nullptr; }
  // Unlinks the heap, frees what its objects hold and destroys it. The caller holds the node.
  void DestroyHeap(clsHeapNode* heap) {
    heaps.Erase(heap);
    heap->Module()->RemoveHeap(heap);
    heap->Destroy();
  }
};

clsModuleList* g_registry = nullptr;
alignas(clsModuleList) unsigned char g_storage[sizeof(clsModuleList)];

// The registry lock for one call. Report lines written under it are kept and written after the
// lock is released, with their code addresses named then (no symbol lookups under the lock).
class clsRegistryLock {
 public:
  clsRegistryLock() {
    g_registry->lock.Enter();
    lines_.Open();
  }
  ~clsRegistryLock() {
    lines_.Close();
    g_registry->lock.Leave();
    lines_.Flush();
  }
  clsRegistryLock(const clsRegistryLock&) = delete;
  clsRegistryLock& operator=(const clsRegistryLock&) = delete;

 private:
  clsDeferredLines lines_;
};

const wchar_t* NameOrNull(const wchar_t* name) { return name ? name : L"(NULL)"; }

// The call trace of a module with a negative flag: the call's line opens a group, its result
// closes it.
class clsCallTrace {
 public:
  clsCallTrace(bool on) : on_(on && LinesActive()) {}
  bool On() const { return on_; }
  void Begin(const wchar_t* format, const void* handle, const clsHeapNode* heap) {
    if (on_) GroupBegin(format, handle, heap->ModuleName(), heap->Name());
  }
  int End(int result) {
    if (on_) GroupEnd(L"->%d", result);
    return result;
  }

 private:
  bool on_;
};

}  // namespace

void Initialize() {
  if (g_registry) return;
  InitializeLines();
  g_registry = new (g_storage) clsModuleList();
  HMODULE kernel = GetModuleHandleW(L"kernel32.dll");
  g_registry->heapWalk = kernel && GetProcAddress(kernel, "HeapWalk") && GetProcAddress(kernel, "HeapLock") &&
                         GetProcAddress(kernel, "HeapCompact");
}

void Shutdown() {
  if (!g_registry) return;
  {
    AutoLock lock(g_registry->lock);
    while (clsModuleNode* m = g_registry->head) {
      while (clsHeapNode* h = m->FirstHeap()) {
        clsHeapNode::Hold hold(h);
        g_registry->DestroyHeap(h);
      }
      g_registry->Unlink(m);
      g_registry->modules.Erase(m);
      m->Destroy();
    }
    clsHeapNode::FreeKeptNodes();
  }
  g_registry->~clsModuleList();
  g_registry = nullptr;
  ShutdownLines();
}

// ---- Modules ---------------------------------------------------------------------------------

void* JobOpen(const wchar_t* name, int flags, const scStackStart& start) {
  if (!g_registry) return nullptr;
  clsRegistryLock lock;
  const bool traced = flags < 0 && LinesActive();
  if (traced) GroupBegin(L"UtilJobOpen('%s',0x%08x)", NameOrNull(name), static_cast<unsigned>(flags));
  clsModuleNode* m = g_registry->Find(name);
  if (m) {
    ++m->openCount;  // the flags of a later registration are ignored
  } else {
    m = clsModuleNode::Create(name, flags, start);
    if (m && !g_registry->modules.Insert(m)) {
      m->Destroy();
      m = nullptr;
    }
    if (m) g_registry->Append(m);
    else if (LinesActive()) Line(L"Error: clsModuleList::Add(..): Out of Memory");
  }
  if (traced) GroupEnd(L"->%#p", static_cast<void*>(m));
  return m;
}

int JobClose(void* module) {
  if (!module || !g_registry) return 0;
  clsRegistryLock lock;
  if (!g_registry->modules.Contains(module)) {
    if (LinesActive()) Line(L"Error: clsModuleList::Delete(%#p): Invalid handle", module);
    return kInvalidHandle;
  }
  auto* m = static_cast<clsModuleNode*>(module);
  const bool traced = m->Traced() && LinesActive();
  if (traced) GroupBegin(L"UtilJobClose(%#p) ['%s']", module, m->Name());
  int result = 0;
  if (--m->openCount <= 0) {
    if (m->FirstHeap()) {
      result = kObjectsLeft;
      const bool report = LinesActive();
      if (report) GroupBegin(L"Error: deleting module '%s', but the following heaps are left:", m->Name());
      while (clsHeapNode* h = m->FirstHeap()) {
        clsHeapNode::Hold hold(h);
        if (report) h->ReportObjects();
        g_registry->DestroyHeap(h);
      }
      if (report) GroupEnd(nullptr);
    }
    g_registry->Unlink(m);
    g_registry->modules.Erase(m);
    m->Destroy();
  }
  if (traced) GroupEnd(L"->%d", result);
  return result;
}

// ---- Heaps -----------------------------------------------------------------------------------

void* CreateHeap(void* module, const wchar_t* name, uint32_t flags, const scStackStart& start) {
  if ((flags & kFailCreate) || !module || !g_registry) return nullptr;
  clsRegistryLock lock;
  if (!g_registry->modules.Contains(module)) {
    if (LinesActive()) Line(L"Error: UtilHeapCreate(%#p,..): Invalid module handle", module);
    return nullptr;
  }
  auto* m = static_cast<clsModuleNode*>(module);
  if (LinesActive() && ((flags & kDebug) || (m->Flags() < 0 && !(flags & kNeverDebug))))
    DebugLine(L"%s: UtilHeapCreate(..,'%s',..) called with DEBUG bit", m->Name(), NameOrNull(name));
  const bool traced = m->Traced() && LinesActive();
  if (traced) GroupBegin(L"UtilHeapCreate(%#p,'%s',0x%08x)", module, NameOrNull(name), flags);
  if ((m->Flags() & kModuleDebugHeaps) && !(flags & kNeverDebug)) flags |= kDebug;
  if (flags & kNeverDebug) flags &= ~static_cast<uint32_t>(kDebug);
  clsHeapNode* h = clsHeapNode::Create(m, name, flags, start);
  if (h && !g_registry->heaps.Insert(h)) {
    clsHeapNode::Hold hold(h);
    h->Destroy();
    h = nullptr;
  }
  if (h) m->AddHeap(h);
  else if (LinesActive())
    Line(L"Error: clsModuleNode['%s']::AddHeap('%s',0x%08x): Out of Memory", m->Name(), NameOrNull(name), flags);
  if (traced) GroupEnd(L"->%#p", static_cast<void*>(h));
  return h;
}

int DeleteHeap(void* heap) {
  if (!g_registry) return kInvalidHandle;
  clsRegistryLock lock;
  clsHeapNode* h = g_registry->Heap(heap);
  if (!h) {
    if (LinesActive()) Line(L"Error: clsModuleNode['%s']::DeleteHeap(%#p): Invalid handle", L"(unknown)", heap);
    return kInvalidHandle;
  }
  clsCallTrace trace(h->Module()->Traced());
  trace.Begin(L"UtilHeapDelete(%#p) ['%s','%s']", heap, h);
  clsHeapNode::Hold hold(h);
  const bool left = h->Stats().liveObjects > 0;
  if (h->IsDebug()) h->CheckFences();
  h->ReportTotals();
  if (left && !(h->Flags() & kNoLeakWarning) && LinesActive()) {
    GroupBegin(L"Warning: deleting heap, but objects are left:");
    h->ReportObjects();
    GroupEnd(nullptr);
  }
  g_registry->DestroyHeap(h);
  return trace.End(left ? kObjectsLeft : 0);
}

namespace {
int Bytes(void* heap, bool objects) {
  if (!heap) return 0;
  if (!g_registry) return kInvalidHandle;
  clsRegistryLock lock;
  clsHeapNode* h = g_registry->Heap(heap);
  if (!h) {
    if (LinesActive()) Line(L"Error: %s(%#p): Invalid heap handle", objects ? L"UtilHeapSizeObjects" : L"UtilHeapSize", heap);
    return kInvalidHandle;
  }
  clsCallTrace trace(h->Module()->Traced());
  trace.Begin(objects ? L"UtilHeapSizeObjects(%#p) ['%s','%s']" : L"UtilHeapSize(%#p) ['%s','%s']", heap, h);
  clsHeapNode::Hold hold(h);
  if (objects) {
    if (g_registry->heapWalk) return trace.End(h->SumBusyBlocks());
    if (LinesActive()) Line(L"Error: UtilHeapSizeObjects(...) does only run under NT");
    return trace.End(kUnavailable);
  }
  // UtilHeapSize counts debug heaps only (flag 0x40 makes a heap non-debug).
  if (h->IsDebug()) return trace.End(g_registry->heapWalk ? h->SumBusyBlocks() : h->Stats().liveBytes);
  if (LinesActive()) {
    Line(L"UtilHeapSize will only work for DEBUG heaps, or in NT >= 3.51");
    Line(L"0x%08x", h->Flags());
  }
  return trace.End(kUnavailable);
}
}  // namespace

int HeapBytes(void* heap) { return Bytes(heap, false); }
int HeapObjectBytes(void* heap) { return Bytes(heap, true); }

int ValidateHeap(void* heap, const void* data) {
  if (!g_registry) return kInvalidHandle;
  clsRegistryLock lock;
  clsHeapNode* h = g_registry->Heap(heap);
  if (!h) {
    if (LinesActive()) Line(L"Error: UtilHeapValidate(%#p): bad pointer", heap);
    return kInvalidHandle;
  }
  clsCallTrace trace(h->Module()->Traced());
  trace.Begin(L"UtilHeapValidate(%#p) ['%s','%s']", heap, h);
  if (!g_registry->heapWalk) {
    if (LinesActive()) Line(L"Error: UtilHeapValidate(...) does only run under NT");
    return trace.End(kUnavailable);
  }
  clsHeapNode::Hold hold(h);
  return trace.End(h->Validate(data));
}

int ShrinkHeap(void* heap) {
  if (!g_registry) return kInvalidHandle;
  clsRegistryLock lock;
  clsHeapNode* h = g_registry->Heap(heap);
  if (!h) {
    if (LinesActive()) Line(L"Error: UtilHeapShrink(%#p): Invalid heap handle", heap);
    return kInvalidHandle;
  }
  clsCallTrace trace(h->Module()->Traced());
  trace.Begin(L"UtilHeapShrink(%#p) ['%s','%s']", heap, h);
  if (!g_registry->heapWalk) {
    if (LinesActive()) Line(L"Error: UtilHeapShrink(...) does only run under NT");
    return trace.End(kUnavailable);
  }
  clsHeapNode::Hold hold(h);
  return trace.End(h->Shrink());
}

bool GetHeapStats(void* heap, scHeapStats* stats) {
  if (!g_registry || !stats) return false;
  clsRegistryLock lock;
  clsHeapNode* h = g_registry->Heap(heap);
  if (!h) return false;
  clsHeapNode::Hold hold(h);
  *stats = h->Stats();
  return true;
}

// ---- Objects ---------------------------------------------------------------------------------

void* ObjectAlloc(void* heap, int size, uint32_t flags, UINT_PTR tag, const scStackStart& start) {
  if (!heap) return RuntimeAlloc(size, flags);
  if (!g_registry) return nullptr;
  // The common case, a plain object, takes only the heap's own lock and writes no line.
  if (!(flags & kDebug) && g_registry->heaps.Contains(heap) && !static_cast<clsHeapNode*>(heap)->DebugHint()) {
    auto* h = static_cast<clsHeapNode*>(heap);
    clsHeapNode::Hold hold(h);
    if (h->Alive())
      if (void* data = h->AllocPlainQuick(size, flags)) return data;
  }
  bool raise = false;
  void* data = nullptr;
  {
    clsRegistryLock lock;
    clsHeapNode* h = g_registry->Heap(heap);
    if (!h) {
      if (LinesActive()) Line(L"Error: UtilHeapObjectAlloc(%#p,%d,..): Invalid heap handle", heap, size);
      return nullptr;
    }
    clsHeapNode::Hold hold(h);
    data = h->AllocObject(size, flags, tag, start, &raise);
  }
  if (raise) RaiseException(STATUS_NO_MEMORY, 0, 0, nullptr);  // the heap asked for exceptions (0x20)
  return data;
}

int ObjectFree(void* heap, void* data) {
  if (!heap) return RuntimeFree(data);
  if (!g_registry) return kInvalidHandle;
  if (g_registry->heaps.Contains(heap) && !static_cast<clsHeapNode*>(heap)->DebugHint()) {
    auto* h = static_cast<clsHeapNode*>(heap);
    clsHeapNode::Hold hold(h);
    if (h->Alive() && h->FreePlainQuick(data)) return 0;
  }
  clsRegistryLock lock;
  clsHeapNode* h = g_registry->Heap(heap);
  if (!h) {
    if (LinesActive()) Line(L"Error: UtilHeapObjectFree(%#p,%#p): Invalid heap handle", heap, data);
    return kInvalidHandle;
  }
  clsHeapNode::Hold hold(h);
  return h->FreeObject(data);
}

int ObjectSize(void* heap, const void* data) {
  if (!heap) return RuntimeSize(data);
  if (!g_registry) return kInvalidHandle;
  clsRegistryLock lock;
  clsHeapNode* h = g_registry->Heap(heap);
  if (!h) {
    if (LinesActive()) Line(L"Error: UtilHeapObjectSize(%#p,%#p): Invalid heap handle", heap, data);
    return kInvalidHandle;
  }
  clsHeapNode::Hold hold(h);
  return h->SizeObject(data);
}

}  // namespace ovut::memory
