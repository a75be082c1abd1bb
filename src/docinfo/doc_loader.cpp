#include "docinfo/doc_loader.h"

#include <cwchar>

#include "docinfo/doc_fields.h"
#include "docinfo/whole_file_lock.h"
#include "foundation/file.h"

namespace docinfo {

namespace {

volatile LONG g_opens = 0;
volatile LONG g_readerRuns = 0;

volatile LONG g_lockRetryMs = 5000;

// Takes the optional lock for one write.
class MaybeLock {
 public:
  explicit MaybeLock(ovut::CriticalSection* cs) noexcept : cs_(cs) { if (cs_) cs_->Enter(); }
  ~MaybeLock() { if (cs_) cs_->Leave(); }
  MaybeLock(const MaybeLock&) = delete;
  MaybeLock& operator=(const MaybeLock&) = delete;

 private:
  ovut::CriticalSection* cs_;
};

bool LocalTime(const FILETIME& utc, SYSTEMTIME& local) noexcept {
  FILETIME l;
  return FileTimeToLocalFileTime(&utc, &l) && FileTimeToSystemTime(&l, &local);
}

bool SameTime(const SYSTEMTIME& a, const SYSTEMTIME& b) noexcept {
  return a.wYear == b.wYear && a.wMonth == b.wMonth && a.wDay == b.wDay && a.wHour == b.wHour &&
         a.wMinute == b.wMinute && a.wSecond == b.wSecond && a.wMilliseconds == b.wMilliseconds;
}

// The extension with its dot ("" without one), for case-insensitive comparison.
const wchar_t* Extension(const String& path) noexcept {
  const wchar_t* p = path.c_str();
  const wchar_t* dot = wcsrchr(p, L'.');
  if (!dot || wcschr(dot, L'\\') || wcschr(dot, L'/')) return L"";
  return dot;
}

bool Is(const wchar_t* ext, const wchar_t* wanted) noexcept { return _wcsicmp(ext, wanted) == 0; }

// The first four bytes as a little-endian number (missing bytes are 0).
DWORD Signature(HANDLE file) noexcept {
  unsigned char b[4] = {};
  DWORD got = 0;
  OVERLAPPED at{};
  if (!ReadFile(file, b, sizeof b, &got, &at)) return 0;
  return b[0] | (b[1] << 8) | (b[2] << 16) | (static_cast<DWORD>(b[3]) << 24);
}

void Rewind(HANDLE file) noexcept {
  LARGE_INTEGER zero{};
  SetFilePointerEx(file, zero, nullptr, FILE_BEGIN);
}

// Readers chosen by the first bytes, for files whose extension has no reader and that are no
// compound files. Their result does not count: the load is complete either way.
void ReadBySignature(const DocSource& source, DocFields& fields) noexcept {
  const DWORD sig = Signature(source.file);
  Rewind(source.file);
  switch (sig) {
    case 0x04034B50: ReadZipContainer(source, fields); return;
    case 0x46445025: ReadPdf(source, fields); return;
    case 0x002A4949: ReadTiff(source, fields); return;
    case 0x435057FF: ReadWordProcessorFF57(source, fields); return;
    case 0x002DA5DB: ReadWordProcessorDBA5(source, fields); return;
    default:
      if ((sig & 0xFFFF) == 0xD8FF) ReadJpeg(source, fields);
      return;
  }
}

// Runs the reader for the file; negative when the reader its extension names failed.
int RunReaders(const DocSource& source, const String& path, DocFields& fields) noexcept {
  if (ReadFilter(source, fields) >= 0) return 0;
  Rewind(source.file);
  const wchar_t* ext = Extension(path);
  if (Is(ext, L".tif")) return ReadTiff(source, fields);
  if (Is(ext, L".jpg") || Is(ext, L".jpeg")) {
    ReadJpeg(source, fields);  // a JPEG without properties still has its dates
    return 0;
  }
  if (Is(ext, L".pdf")) return ReadPdf(source, fields);
  if (Is(ext, L".htm") || Is(ext, L".html") || Is(ext, L".mht")) return ReadHtml(source, fields);
  if (Is(ext, L".xml")) return ReadXml(source, fields);
  if (Is(ext, L".rtf")) return ReadRtf(source, fields);
  if (Is(ext, L".msg")) {
    if (ReadOutlookMessage(source, fields) >= 0) return 0;
    Rewind(source.file);
    return ReadMail(source, fields);
  }
  if (Is(ext, L".eml")) return ReadMail(source, fields);
  if (ReadOlePropertySets(source, fields) >= 0) return 0;
  Rewind(source.file);
  ReadBySignature(source, fields);
  return 0;
}

}  // namespace

void ResetFields(DocuState& state) noexcept {
  state.loaded = false;
  state.fields = DocFields();
  state.lastLoad = 0;
}

void LoadDocument(DocuState& state, ovut::CriticalSection* lock) noexcept {
  String source;
  bool loadedBefore;
  SYSTEMTIME stamp;
  {
    MaybeLock hold(lock);
    source = state.sourcePath;
    loadedBefore = state.loaded;
    stamp = state.stamp;
  }
  InterlockedIncrement(&g_opens);
  clsFileRO file(source.c_str(), clsFile::kShareRead, clsFile::kOptNormal);
  if (!file.IsOpen()) {
    MaybeLock hold(lock);
    // In use by another program: try again on the next request.
    if (file.OpenErrorState() == clsFile::kOpenSharing) state.lastLoad = 0;
    else ResetFields(state);
    return;
  }
  FILETIME created, written;
  SYSTEMTIME localCreated, localWritten;
  if (!GetFileTime(file.Handle(), &created, nullptr, &written) || !LocalTime(written, localWritten) ||
      !LocalTime(created, localCreated)) {
    MaybeLock hold(lock);
    ResetFields(state);
    return;
  }
  {
    MaybeLock hold(lock);
    state.loaded = true;
    if (loadedBefore && stamp.wYear != 0 && SameTime(localWritten, stamp)) return;  // unchanged
    state.stamp = localWritten;
    state.fields.modified = localWritten;
    state.fields.created = localCreated;
    state.lastLoad = GetTickCount64();
  }

  const ULONGLONG size = file.Size();
  WholeFileLock locked(file.Handle(), size == clsFile::kUnknown ? 0 : size,
                       static_cast<DWORD>(InterlockedCompareExchange(&g_lockRetryMs, 0, 0)));
  if (!locked) {
    MaybeLock hold(lock);
    // Forget the stamp too: otherwise the next load would take the file as unchanged and never
    // read it.
    state.lastLoad = 0;
    state.stamp = SYSTEMTIME{};
    return;
  }

  InterlockedIncrement(&g_readerRuns);
  // Texts start empty: a changed file must not keep values its new content no longer has.
  DocFields found;
  found.created = localCreated;
  found.modified = localWritten;
  const DocSource src{source.c_str(), file.Handle(), size == clsFile::kUnknown ? 0 : size};
  const int rc = RunReaders(src, source, found);
  MaybeLock hold(lock);
  if (rc < 0) {
    ResetFields(state);
    return;
  }
  state.fields = found;
}

LONG OpenCountForTesting() noexcept { return InterlockedCompareExchange(&g_opens, 0, 0); }
LONG ReaderRunCountForTesting() noexcept { return InterlockedCompareExchange(&g_readerRuns, 0, 0); }

DWORD SetLockRetryMsForTesting(DWORD ms) noexcept {
  return static_cast<DWORD>(InterlockedExchange(&g_lockRetryMs, static_cast<LONG>(ms)));
}

}  // namespace docinfo
