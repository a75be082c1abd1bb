#include "profile/persist/profile_save.h"

#include <objbase.h>

#include <cstring>
#include <new>

#include "diagnostics/debug_output.h"
#include "foundation/file.h"
#include "foundation/file_lock_hold.h"
#include "foundation/memory_file.h"
#include "foundation/scoped_calls.h"
#include "foundation/scoped_handle.h"
#include "environment/parallel_compression.h"
#include "profile/codec/pipe_deflate.h"
#include "profile/codec/stream_deflate.h"
#include "profile/persist/profile_load.h"
#include "profile/persist/tree_writer.h"

namespace ovut::persist {

namespace {

constexpr DWORD kRetryMs = 10000;
// Pause between open attempts while another process holds the file: short, so the save follows
// the holder at once, and a real wait, so a long hold does not burn a processor.
constexpr DWORD kRetryPauseMs = 10;
const char kContainerMagic[4] = {'Z', 'L', 'e', 'Z'};

// The indentation level the root list is written at: a stream object's own, else below the
// document element (XML, XFDF) or at the left edge (INI).
int TextLevel(const clsProfJob& job, int form) {
  return job.streamOptions ? job.streamOptions : (form == kFormIni ? 0 : 1);
}

// The profile's text through `w`: the whole-document framing unless the job is a stream object,
// then the root list. An empty root list writes nothing. 0, or -4.
int WriteText(clsProfJob& job, clsTreeWriter& w, int form) {
  if (job.rootList.IsEmpty()) return 0;
  const int level = TextLevel(job, form);
  if (!job.streamOptions) w.WritePrologue();
  bool ok = w.WriteList(job.rootList, level);
  ok = (job.streamOptions ? w.Flush() : w.WriteEpilogue()) && ok;
  return ok ? 0 : -4;
}

// The plain text of the profile, from offset 0 of `target`.
int WritePlain(clsProfJob& job, clsFile& target, int form) {
  target.Seek(SizeEstimate(job.rootList, TextLevel(job, form), form) + 2000);
  target.SetEOF();
  target.Seek(uint64_t(0));
  int rc = 0;
  {
    clsTreeWriter w(target, form);
    rc = WriteText(job, w, form);
  }
  target.SetEOF();
  return rc;
}

// "ZLeZ" at the target's position, then the raw deflate (preset 5) of all of `plain`.
bool WriteContainer(clsFile& target, clsFile& plain) {
  plain.Seek(uint64_t(0));
  if (target.Write(kContainerMagic, 4) != 4) return false;
  return codec::StreamDeflate(target, plain, codec::kPresetPackedContainer) == codec::kStreamOk;
}

// The writer's output handed to the deflate thread.
class DeflateSink : public clsTextSink {
 public:
  explicit DeflateSink(codec::clsDeflatePipe& pipe) : pipe_(pipe) {}
  bool Put(const void* data, size_t bytes) override { return pipe_.Put(data, bytes); }

 private:
  codec::clsDeflatePipe& pipe_;
};

// A packed save with the text written and deflated at the same time: `rc` gets the writer's
// result (0 or -4), `packed` the deflate stream and `deflated` whether it is whole. False when
// no second thread could be had; the caller then packs as the sequential path does.
bool PackOverlapped(clsProfJob& job, int form, int& rc, codec::ByteBuffer& packed, bool& deflated) {
  if (ovut::env::CompressionWorkers() < 2) return false;
  // Text of about one piece is deflated in one go at the end: nothing to overlap.
  if (SizeEstimate(job.rootList, TextLevel(job, form), form) < codec::kStreamChunk) return false;
  codec::clsDeflatePipe pipe(codec::kPresetPackedContainer);
  if (!pipe.Start()) return false;
  DeflateSink sink(pipe);
  {
    clsTreeWriter w(sink, form);
    rc = WriteText(job, w, form);
  }
  deflated = pipe.Finish(packed) == codec::kStreamOk;
  return true;
}

// "ZLeZ" and a finished deflate stream at the target's position, then the target cut there:
// what WriteContainer writes for the same text.
bool WritePacked(clsFile& target, const codec::ByteBuffer& packed, bool deflated) {
  if (target.Write(kContainerMagic, 4) != 4) return false;
  bool ok = deflated;
  for (size_t done = 0; ok && done < packed.size();) {
    const size_t left = packed.size() - done;
    const DWORD n = left < codec::kStreamChunk ? static_cast<DWORD>(left) : codec::kStreamChunk;
    ok = target.Write(packed.data() + done, n) == n;
    done += n;
  }
  target.SetEOF();
  return ok;
}

bool SameName(const String& a, const wchar_t* b) {
  return CompareStringOrdinal(a.c_str(), -1, b, -1, TRUE) == CSTR_EQUAL;
}

}  // namespace

int FormOfFlags(int flags) noexcept {
  int low = flags & 15;
  return low == 0 ? kFormIni : low == 2 ? kFormXfdf : kFormXml;
}

bool WantsPacked(const clsProfJob& job, int flags) noexcept {
  return (flags & kSavePacked) || ((flags & kSavePackedIfLoaded) && job.loadedPacked);
}

int WriteProfile(clsProfJob& job, clsFile& target, int flags) {
  const int form = FormOfFlags(flags);
  if (!WantsPacked(job, flags)) return WritePlain(job, target, form);
  int rc = 0;
  bool deflated = false;
  codec::ByteBuffer packed;
  if (PackOverlapped(job, form, rc, packed, deflated)) {
    target.Seek(uint64_t(0));
    if (!WritePacked(target, packed, deflated) && rc == 0) rc = -4;
    return rc;
  }
  clsAutoRelease<clsFile> mem = ovut::NewMemoryFile();
  if (!mem) return -4;
  rc = WritePlain(job, *mem.Get(), form);
  target.Seek(uint64_t(0));
  if (!WriteContainer(target, *mem.Get()) && rc == 0) rc = -4;
  return rc;
}

int SaveToFile(clsProfJob& job, const wchar_t* name, int flags) noexcept {
  try {
    clsAutoRelease<clsFile> target;
    if (job.openFile && (!name || SameName(job.openFile->FileName(), name))) target = job.openFile;
    if (!target) {
      const wchar_t* path = name ? name : job.fileName.c_str();
      clsAutoRelease<clsFile> f(new clsFile());
      // Opened without truncation: the content changes only under the byte-0 lock below.
      const ULONGLONG deadline = GetTickCount64() + kRetryMs;
      for (;;) {
        if (f->Open(path, clsFile::kAccessWrite, clsFile::kOpenAlways, clsFile::kShareExclusive,
                    clsFile::kOptNormal) == 0)
          break;
        if (f->OpenErrorCode() != ERROR_SHARING_VIOLATION || GetTickCount64() >= deadline) break;
        Sleep(kRetryPauseMs);
      }
      if (!f->IsOpen()) return -3;
      target = f;
    }
    // Packed, the deflate stream is made before the lock, as the plain text is otherwise.
    int rc = 0;
    bool overlapped = false, deflated = false;
    codec::ByteBuffer packed;
    if (WantsPacked(job, flags)) overlapped = PackOverlapped(job, FormOfFlags(flags), rc, packed, deflated);
    clsAutoRelease<clsFile> mem;
    if (!overlapped) {
      mem = ovut::NewMemoryFile();
      if (!mem) return -3;
      rc = WritePlain(job, *mem.Get(), FormOfFlags(flags));
    }
    if (rc != 0) return -3;
    ovut::FileLockHold lock(*target.Get(), target->Lock(0, 1, kRetryMs));
    if (!lock) return -3;
    bool ok;
    target->Seek(uint64_t(0));
    if (overlapped) {
      ok = WritePacked(*target.Get(), packed, deflated);
    } else if (WantsPacked(job, flags)) {
      mem->Seek(uint64_t(0));
      ok = WriteContainer(*target.Get(), *mem.Get());
    } else {
      mem->Seek(uint64_t(0));
      ok = mem->Size() == 0 || target->CopyFrom(*mem.Get());
      target->Seek(mem->Size());
      ok = target->SetEOF() && ok;
    }
    return ok ? 0 : -3;
  } catch (...) {
    return -3;
  }
}

int SaveToStream(clsProfJob& job, IStream* stream, int flags) noexcept {
  try {
    clsAutoRelease<clsFile> target;
    if (job.openFile && (!stream || stream == job.openFile->AttachedStream())) target = job.openFile;
    if (!target) {
      if (!stream) return -4;
      target.Reset(new clsFile(stream));
      if (!target->IsOpen()) return -4;
    }
    return WriteProfile(job, *target.Get(), flags);
  } catch (...) {
    return -4;
  }
}

int SaveToClipboard(clsProfJob& job, HWND window, int flags) noexcept {
  try {
    clsAutoRelease<clsFile> temp(new clsFileRWTemp(L"Prf"));
    if (!temp->IsOpen()) return -3;
    if (WriteProfile(job, *temp.Get(), flags & 15) != 0) return -4;
    temp->Seek(uint64_t(0));
    const uint64_t size = temp->Size();
    if (size == clsFile::kUnknown || size > 0x7FFFFFFE) return -3;
    ovut::ClipboardSession clipboard(window);
    if (!clipboard.IsOpen()) return -3;
    // The blocks are ours until the clipboard takes them.
    ovut::UniqueGlobal block(GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT | GMEM_DDESHARE, SIZE_T(size) + 1));
    if (!block) return -8;
    {
      ovut::GlobalLockView view(block.get());
      if (view.Data() && size) temp->Read(view.Data(), static_cast<DWORD>(size));
    }
    if (SetClipboardData(ProfileClipboardFormat(), block.get())) block.release();
    static const wchar_t kNotice[] = L"PROF data available";
    ovut::UniqueGlobal text(GlobalAlloc(GMEM_MOVEABLE | GMEM_DDESHARE, sizeof kNotice));
    if (text) {
      {
        ovut::GlobalLockView view(text.get());
        if (view.Data()) memcpy(view.Data(), kNotice, sizeof kNotice);
      }
      if (SetClipboardData(CF_UNICODETEXT, text.get())) text.release();
    }
    return 0;
  } catch (...) {
    return -3;
  }
}

}  // namespace ovut::persist
