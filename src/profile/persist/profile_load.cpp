#include "profile/persist/profile_load.h"

#include <objbase.h>

#include <algorithm>
#include <climits>
#include <cstring>
#include <new>

#include "diagnostics/debug_output.h"
#include "foundation/file.h"
#include "foundation/file_lock_hold.h"
#include "foundation/memory_file.h"
#include "foundation/scoped_calls.h"
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

// The packed container: inflate everything after "ZLeZ" into a temporary file and load that.
// One level only: its content must be a plain form, so hostile nesting costs nothing.
bool LoadContainer(clsProfJob& job, clsFile& file) {
  job.loadedPacked = true;
  clsAutoRelease<clsFile> plain(new clsFileRWTemp(L"PRF", L"prf"));
  if (!plain->IsOpen()) {
    plain = ovut::NewMemoryFile();
    if (!plain) return false;
  }
  file.Seek(uint64_t(4));
  const uint64_t limit = std::min<uint64_t>(codec::MaxInflatedBytes(), kMaxProfileBytes);
  switch (codec::StreamInflate(*plain.Get(), file, codec::kAllRemaining, limit)) {
    case codec::kStreamOk: break;
    case codec::kStreamTooLarge: return FormatError(job, file, L"packed profile inflates beyond the size limit");
    case codec::kStreamReadShort: return ReadFailed(job, file, L"read error in packed profile");
    case codec::kStreamWriteShort: return ReadFailed(job, file, L"no room to unpack the packed profile");
    default: return ReadFailed(job, file, L"damaged packed profile");
  }
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
    if (head[0] == 0xFF && head[1] == 0xFE) {
      mode = (head[2] == '<' && head[3] == 0) ? kModeXml : kModeIni;
    } else {
      wide = false;
      mode = head[0] == '<' ? kModeXfdf : kModeIni;
      if (IsRootSlash(job.rootList) && head[0] == '[' && memcmp(head, "[/]", 3) != 0) namedRoot = true;
    }
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
