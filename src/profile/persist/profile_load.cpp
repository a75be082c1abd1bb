#include "profile/persist/profile_load.h"

#include <objbase.h>

#include <algorithm>
#include <climits>
#include <cstring>
#include <new>
#include <utility>
#include <vector>

#include "diagnostics/debug_output.h"
#include "foundation/file.h"
#include "foundation/file_lock_hold.h"
#include "foundation/memory_file.h"
#include "foundation/scoped_calls.h"
#include "environment/parallel_compression.h"
#include "profile/codec/pipe_inflate.h"
#include "profile/codec/stream_deflate.h"
#include "profile/job_table.h"
#include "profile/persist/line_source.h"
#include "profile/persist/text_reader.h"

namespace ovut::persist {

namespace {

constexpr DWORD kLockTimeoutMs = 10000;

bool IsRootSlash(const clsItemList& l) { return l.NameLength() == 1 && l.Name()[0] == L'/'; }

bool Load(clsProfJob& job, clsFile& file, bool insideContainer);

// A read that cannot deliver the content fails the load in every kind of job: an empty or cut
// tree that reports success would be saved back over the real data.
bool ReadFailed(clsProfJob& job, clsFile& file, const wchar_t* what) {
  ovut::debug::Warning(L"ERR: %s: %s", file.DisplayName().c_str(), what);
  job.lastError = -10;
  return false;
}

bool FormatError(clsProfJob& job, clsFile& file, const wchar_t* what) {
  ovut::debug::Warning(L"ERR: %s: %s", file.DisplayName().c_str(), what);
  job.lastError = -7;
  return false;
}

// The form the first four bytes of a plain text announce: UTF-16 XML or INI, 8-bit XFDF or INI,
// and whether an 8-bit INI names its own root list (read into a root named "/").
struct scTextForm {
  bool wide = true;
  bool namedRoot = false;
  int mode = kModeIni;
};
scTextForm FormOfHead(const clsProfJob& job, const uint8_t head[4]) {
  scTextForm f;
  if (head[0] == 0xFF && head[1] == 0xFE) {
    f.mode = (head[2] == '<' && head[3] == 0) ? kModeXml : kModeIni;
  } else {
    f.wide = false;
    f.mode = head[0] == '<' ? kModeXfdf : kModeIni;
    f.namedRoot = IsRootSlash(job.rootList) && head[0] == '[' && memcmp(head, "[/]", 3) != 0;
  }
  return f;
}

// The verdict on an inflate that did not end well.
bool InflateFailed(clsProfJob& job, clsFile& file, int result) {
  switch (result) {
    case codec::kStreamTooLarge: return FormatError(job, file, L"packed profile inflates beyond the size limit");
    case codec::kStreamReadShort: return ReadFailed(job, file, L"read error in packed profile");
    case codec::kStreamWriteShort: return ReadFailed(job, file, L"no room to unpack the packed profile");
    default: return ReadFailed(job, file, L"damaged packed profile");
  }
}

// Compressed content above this is inflated from the file as before, not read into memory first.
constexpr uint64_t kMaxPackedInMemory = uint64_t(256) << 20;
// Below this the text is about one inflated piece: nothing to overlap, and a thread costs more.
constexpr uint64_t kOverlapFrom = 64 * 1024;

// The inflated text as it arrives; the head taken for the format check comes first.
class InflateFeed : public clsTextFeed {
 public:
  InflateFeed(codec::clsInflatePipe& pipe, std::vector<uint8_t> head) : pipe_(pipe), head_(std::move(head)) {}
  bool Pull(std::vector<uint8_t>& piece) override {
    if (!head_.empty()) {
      piece.swap(head_);
      head_.clear();
      return true;
    }
    return pipe_.Next(piece);
  }

 private:
  codec::clsInflatePipe& pipe_;
  std::vector<uint8_t> head_;
};

// The packed container read while it inflates on a second thread: the same results as
// inflating it whole and loading that (LoadContainer below). An inflate that fails anywhere
// wins over whatever the reader made of the text before it, and what was read is taken back:
// a partial text must not pass for the profile. -1 when the thread could not be had.
int LoadContainerOverlapped(clsProfJob& job, clsFile& file, uint64_t limit) {
  if (ovut::env::CompressionWorkers() < 2) return -1;
  const uint64_t size = file.Size();
  if (size == clsFile::kUnknown || size < 4 + kOverlapFrom || size - 4 > kMaxPackedInMemory) return -1;
  codec::ByteBuffer packed;
  try {
    packed.resize(static_cast<size_t>(size - 4));
  } catch (const std::bad_alloc&) {
    return -1;
  }
  if (file.Seek(uint64_t(4)) != 4) return -1;
  // A short read fails in the inflate where it would have been noticed reading piece by piece.
  packed.resize(ReadFully(file, packed.data(), packed.size()));
  codec::clsInflatePipe pipe(std::move(packed), size - 4, limit);
  if (!pipe.Start()) return -1;

  std::vector<uint8_t> head, piece;
  while (head.size() < 4 && pipe.Next(piece)) head.insert(head.end(), piece.begin(), piece.end());
  if (head.size() < 4) {
    const int result = pipe.Finish();
    if (result != codec::kStreamOk) return InflateFailed(job, file, result);
    return head.empty() ? 1 : 0;  // nothing is an empty profile; 1 to 3 bytes are no form at all
  }
  if (memcmp(head.data(), "ZLeZ", 4) == 0) {
    const int result = pipe.Finish();
    if (result != codec::kStreamOk) return InflateFailed(job, file, result);
    return FormatError(job, file, L"packed profile inside a packed profile");
  }
  const scTextForm form = FormOfHead(job, head.data());

  clsItem* const lastBefore = job.rootList.Last();
  bool parsed = true, raised = false, outOfMemory = false;
  clsLoadException error{};
  try {
    InflateFeed feed(pipe, std::move(head));
    clsLineSource lines(feed, form.wide);
    if (form.namedRoot) {
      parsed = ReadNamedRootIni(job.rootList, lines) != 0;
    } else {
      uint32_t counter = 0;
      ReadProfileText(job.rootList, job.streamOptions - 1, lines, form.mode, counter);
    }
  } catch (const clsLoadException& e) {
    parsed = false;
    raised = true;
    error.line = e.line;
    error.message = e.message;
  } catch (const std::bad_alloc&) {
    parsed = false;
    outOfMemory = true;
  }
  const int result = pipe.Finish();
  if (result != codec::kStreamOk) {
    while (job.rootList.Last() != lastBefore) job.rootList.Remove(job.rootList.Last());
    return InflateFailed(job, file, result);
  }
  if (parsed) return 1;
  if (outOfMemory) {
    ovut::debug::Warning(L"ERR: %s: out of memory while loading", file.DisplayName().c_str());
    return 0;
  }
  if (raised)  // named-root reading has reported its own failure
    ovut::debug::Warning(L"%s: error '%s' in line %d", file.DisplayName().c_str(), error.message.c_str(),
                         static_cast<int>(error.line));
  job.lastError = -7;
  return 0;
}

// The packed container: inflate everything after "ZLeZ" into a temporary file and load that,
// or overlapped with a second thread when the host allows one. One level only: its content
// must be a plain form, so hostile nesting costs nothing.
bool LoadContainer(clsProfJob& job, clsFile& file) {
  job.loadedPacked = true;
  const uint64_t limit = std::min<uint64_t>(codec::MaxInflatedBytes(), kMaxProfileBytes);
  int overlapped;
  try {
    overlapped = LoadContainerOverlapped(job, file, limit);
  } catch (const std::bad_alloc&) {
    ovut::debug::Warning(L"ERR: %s: out of memory while loading", file.DisplayName().c_str());
    return false;
  }
  if (overlapped >= 0) return overlapped != 0;
  clsAutoRelease<clsFile> plain(new clsFileRWTemp(L"PRF", L"prf"));
  if (!plain->IsOpen()) {
    plain = ovut::NewMemoryFile();
    if (!plain) return false;
  }
  file.Seek(uint64_t(4));
  const int result = codec::StreamInflate(*plain.Get(), file, codec::kAllRemaining, limit);
  if (result != codec::kStreamOk) return InflateFailed(job, file, result);
  // Saving an empty profile packed stores the deflate of nothing: an empty profile.
  if (plain->Size() == 0) return true;
  plain->Seek(uint64_t(0));
  return Load(job, *plain.Get(), true);
}

bool Load(clsProfJob& job, clsFile& file, bool insideContainer) {
  ovut::FileLockHold lock(file, file.Lock(0, 1, kLockTimeoutMs));
  if (!lock) return false;
  bool wide = true, namedRoot = false;
  int mode = kModeIni;
  if (job.streamOptions != 0) {
    wchar_t first = 0;
    uint64_t pos = file.Position();
    ReadFully(file, &first, sizeof first);
    mode = first == L'<' ? kModeXml : kModeIni;
    file.Seek(pos);
  } else {
    uint8_t head[4] = {};
    file.Seek(uint64_t(0));
    const size_t got = ReadFully(file, head, 4);
    if (got < 4) {
      const uint64_t size = file.Size();
      if (size != clsFile::kUnknown && size < 4) return false;  // too short for any form
      return ReadFailed(job, file, L"the first bytes could not be read");
    }
    if (memcmp(head, "ZLeZ", 4) == 0) {
      if (insideContainer) return FormatError(job, file, L"packed profile inside a packed profile");
      return LoadContainer(job, file);
    }
    const scTextForm form = FormOfHead(job, head);
    wide = form.wide;
    namedRoot = form.namedRoot;
    mode = form.mode;
  }
  try {
    clsLineSource lines(file, wide);
    if (lines.status() == clsLineSource::kTooLarge)
      return ReadFailed(job, file, L"the profile is larger than 1 GiB and is not loaded");
    if (lines.status() != clsLineSource::kComplete)
      return ReadFailed(job, file, L"the profile could not be read completely");
    // The text is read in pieces while it is parsed, so a read can fail after lines were taken:
    // the load then fails as a whole and keeps nothing, and it does so even where the text read
    // so far had a format error, as when the whole text was read before parsing.
    auto readFailed = [&]() {
      job.rootList.Clear();
      return ReadFailed(job, file, L"the profile could not be read completely");
    };
    if (namedRoot) {
      const int ok = ReadNamedRootIni(job.rootList, lines);
      if (lines.status() != clsLineSource::kComplete) return readFailed();
      if (!ok) {
        job.lastError = -7;
        return false;
      }
      return true;
    }
    uint32_t counter = 0;
    try {
      ReadProfileText(job.rootList, job.streamOptions - 1, lines, mode, counter);
    } catch (const clsLoadException&) {
      size_t n = 0;
      while (lines.Next(n)) {
      }
      if (lines.status() == clsLineSource::kComplete) throw;
    }
    if (lines.status() != clsLineSource::kComplete) return readFailed();
    return true;
  } catch (const clsLoadException& e) {
    ovut::debug::Warning(L"%s: error '%s' in line %d", file.DisplayName().c_str(), e.message.c_str(),
                         static_cast<int>(e.line));
    job.lastError = -7;
    return false;
  } catch (const std::bad_alloc&) {
    ovut::debug::Warning(L"ERR: %s: out of memory while loading", file.DisplayName().c_str());
    return false;
  }
}

}  // namespace

bool LoadProfile(clsProfJob& job, clsFile& file) { return Load(job, file, false); }

UINT ProfileClipboardFormat() noexcept {
  static const UINT format = RegisterClipboardFormatW(L"ZelProfCBFormat");
  return format;
}

bool ClipboardHasProfile() noexcept {
  UINT f = ProfileClipboardFormat();
  return f && IsClipboardFormatAvailable(f);
}

ProfHandle OpenStreamJob(IStream* stream, const wchar_t* name, int level) noexcept {
  clsProfJob* job = ovut::profile::NewJob();
  if (!job) return 0;
  try {
    job->keepOpen = true;
    // The reader starts one level above; INT_MIN would wrap to the deepest level.
    job->streamOptions = level == INT_MIN ? INT_MIN + 1 : level;
    const wchar_t* n = name ? name : L"/";
    uint32_t len = static_cast<uint32_t>(wcslen(n));
    clsItemList::ListNameOfSegment(n, len);
    job->rootList.SetName(n, len);
    if (!stream) return job->Handle();
    job->openFile.Reset(new clsFile(stream));
    if (!job->openFile->IsOpen()) {
      job->lastError = -1;
      job->openFile.Reset();
      return job->Handle();
    }
    LoadProfile(*job, *job->openFile.Get());  // records a format or read error
  } catch (...) {
  }
  return job->Handle();
}

ProfHandle OpenClipboardJob(HWND window) noexcept {
  clsProfJob* job = ovut::profile::NewJob();
  if (!job) return 0;
  try {
    clsAutoRelease<clsFile> temp(new clsFileRWTemp(L"Prf"));
    if (!temp->IsOpen()) {
      job->lastError = -1;
      return job->Handle();
    }
    temp->Seek(uint64_t(0));
    int rc = -1;
    ovut::ClipboardSession clipboard(window);
    if (clipboard.IsOpen()) {
      HANDLE data = ClipboardHasProfile() ? GetClipboardData(ProfileClipboardFormat()) : nullptr;
      if (data) {
        SIZE_T size = GlobalSize(data);
        ovut::GlobalLockView view(data);
        if (view.Data()) {
          if (size) temp->Write(view.Data(), static_cast<DWORD>(size));
          rc = 0;
        }
      }
    }
    job->lastError = rc;
    if (rc == 0 && temp->Size() > 0) LoadProfile(*job, *temp.Get());
  } catch (...) {
  }
  return job->Handle();
}

}  // namespace ovut::persist
