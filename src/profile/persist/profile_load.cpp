#include "profile/persist/profile_load.h"

#include <objbase.h>

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

// The packed container: inflate everything after "ZLeZ" into a temporary file and load that.
bool LoadContainer(clsProfJob& job, clsFile& file) {
  job.loadedPacked = true;
  clsAutoRelease<clsFile> plain(new clsFileRWTemp(L"PRF", L"prf"));
  if (!plain->IsOpen()) {
    plain = ovut::NewMemoryFile();
    if (!plain) return false;
  }
  file.Seek(uint64_t(4));
  if (codec::StreamInflate(*plain.Get(), file) != codec::kStreamOk) {
    ovut::debug::Warning(L"%s: damaged packed profile", file.DisplayName().c_str());
    return false;
  }
  plain->Seek(uint64_t(0));
  return LoadProfile(job, *plain.Get());
}

}  // namespace

bool LoadProfile(clsProfJob& job, clsFile& file) {
  ovut::FileLockHold lock(file, file.Lock(0, 1, kLockTimeoutMs));
  if (!lock) return false;
  bool wide = true, namedRoot = false;
  int mode = kModeIni;
  if (job.streamOptions != 0) {
    wchar_t first = 0;
    uint64_t pos = file.Position();
    file.ReadChars(&first, 1);
    mode = first == L'<' ? kModeXml : kModeIni;
    file.Seek(pos);
  } else {
    uint8_t head[4] = {};
    file.Seek(uint64_t(0));
    DWORD got = file.Read(head, 4);
    if (got < 4) {
      // Only a 2- or 3-byte UTF-16 text could still be read; a short file does not load.
      return false;
    }
    if (memcmp(head, "ZLeZ", 4) == 0) return LoadContainer(job, file);
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
    if (namedRoot) {
      if (!ReadNamedRootIni(job.rootList, lines)) {
        job.lastError = -7;
        return false;
      }
      return true;
    }
    uint32_t counter = 0;
    ReadProfileText(job.rootList, job.streamOptions - 1, lines, mode, counter);
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
    LoadProfile(*job, *job->openFile.Get());  // only a format error is recorded
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
