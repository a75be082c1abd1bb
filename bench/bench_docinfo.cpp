// Document properties: 1,000 generated documents of mixed kinds (mail, HTML, RTF, PDF, JPEG,
// ZIP containers, plain data), read through one handle: files per second on the first pass
// (every file opened and handed to its reader), on a second pass through the cache (files whose
// reader refused them are read again), and over the cached answers alone.
// The peer, measured in the same run, opens each file, reads its times and its first 4 KiB:
// the floor of any per-file work. The files stay in "bench_docinfo_files" for outside tools.
#include <windows.h>
#include <oleauto.h>

#include <cstdio>
#include <string>
#include <vector>

#include "bench_clock.h"
#include "ovut19/docinfo.h"

namespace {

constexpr int kFiles = 1000;

bool WriteAll(const std::wstring& path, const std::string& data) {
  HANDLE h = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  if (h == INVALID_HANDLE_VALUE) return false;
  DWORD put = 0;
  const BOOL ok = WriteFile(h, data.data(), static_cast<DWORD>(data.size()), &put, nullptr);
  CloseHandle(h);
  return ok && put == data.size();
}

std::string Body(int i, size_t size) {
  std::string s;
  while (s.size() < size) s += "Line " + std::to_string(i) + " of the generated document, with some words.\n";
  s.resize(size);
  return s;
}

// One document of kind i % 7; sizes from 1 KiB to 64 KiB.
std::pair<std::wstring, std::string> MakeDocument(int i) {
  const size_t size = 1024u << (i % 7);
  const std::string n = std::to_string(i);
  switch (i % 7) {
    case 0:
      return {L".eml", "From: Writer " + n + " <w" + n + "@example.org>\r\nSubject: Document " + n +
                           "\r\nDate: Tue, 14 May 2024 09:30:12 +0200\r\n\r\n" + Body(i, size)};
    case 1:
      return {L".html", "<html><head><title>Page " + n + "</title><meta name=\"author\" content=\"A " + n +
                            "\"></head><body><pre>" + Body(i, size) + "</pre></body></html>"};
    case 2:
      return {L".rtf", "{\\rtf1\\ansi{\\info{\\title Letter " + n + "}{\\author Writer}}" + Body(i, size) + "}"};
    case 3: {
      // A whole file: the Info object, its cross-reference entry (20 bytes) and the trailer.
      std::string pdf = "%PDF-1.4\n";
      std::string at = std::to_string(pdf.size());
      pdf += "1 0 obj\n<< /Title (Report " + n + ") >>\nendobj\n% " + Body(i, size) + "\n";
      const std::string xref = std::to_string(pdf.size());
      pdf += "xref\n0 2\n0000000000 65535 f\r\n" + std::string(10 - at.size(), '0') + at + " 00000 n\r\n";
      pdf += "trailer\n<< /Size 2 /Info 1 0 R >>\nstartxref\n" + xref + "\n%%EOF\n";
      return {L".pdf", pdf};
    }
    case 4: return {L".jpg", std::string("\xFF\xD8\xFF\xE0\x00\x10JFIF\x00", 11) + Body(i, size)};
    case 5: return {L".zip", std::string("PK\x03\x04", 4) + Body(i, size)};
    default: return {L".dat", Body(i, size)};
  }
}

// One request per file; `answered` (may be null) collects the files with information.
double Pass(HUTILDOCINFO handle, const std::vector<std::wstring>& files, int* available,
            std::vector<std::wstring>* answered = nullptr) {
  VARIANT v[9];
  for (VARIANT& x : v) VariantInit(&x);
  UTIL_DOCINFO_REQUEST request = {UTIL_DOCINFO_REQUEST_FULL_SIZE, &v[0], &v[1], &v[2], &v[3], &v[4],
                                  &v[5], &v[6], &v[7], &v[8]};
  *available = 0;
  const double start = Now();
  for (const std::wstring& f : files) {
    const int rc = UtilDocInfoGet(handle, f.c_str(), &request, 10);
    *available += rc;
    if (rc == 1 && answered) answered->push_back(f);
  }
  const double seconds = Now() - start;
  for (VARIANT& x : v) VariantClear(&x);
  return seconds;
}

double Floor(const std::vector<std::wstring>& files) {
  char buffer[4096];
  const double start = Now();
  for (const std::wstring& f : files) {
    HANDLE h = CreateFileW(f.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (h == INVALID_HANDLE_VALUE) continue;
    FILETIME c, w;
    GetFileTime(h, &c, nullptr, &w);
    DWORD got = 0;
    ReadFile(h, buffer, sizeof buffer, &got, nullptr);
    CloseHandle(h);
  }
  return Now() - start;
}

}  // namespace

int main() {
  const std::wstring folder = L"bench_docinfo_files";
  CreateDirectoryW(folder.c_str(), nullptr);
  std::vector<std::wstring> files;
  for (int i = 0; i < kFiles; ++i) {
    auto doc = MakeDocument(i);
    files.push_back(folder + L"\\doc" + std::to_wstring(i) + doc.first);
    if (!WriteAll(files.back(), doc.second)) {
      std::printf("cannot write %ls\n", files.back().c_str());
      return 1;
    }
  }
  const double floor = Floor(files);
  HUTILDOCINFO handle = UtilDocInfoOpen(600);
  int cold = 0, cached = 0, hits = 0;
  std::vector<std::wstring> answered;
  const double first = Pass(handle, files, &cold, &answered);
  const double second = Pass(handle, files, &cached);
  // Files without information (their reader refused them) are asked again on every request.
  const double third = answered.empty() ? 0 : Pass(handle, answered, &hits);
  UtilDocInfoClose(handle);
  std::printf("documents:                 %d (7 kinds, 1-64 KiB)\n", kFiles);
  std::printf("first pass (read):         %8.0f files/s  (%d with information)\n", kFiles / first, cold);
  std::printf("second pass (cache):       %8.0f files/s  (%d with information)\n", kFiles / second, cached);
  if (third > 0) std::printf("cached answers only:       %8.0f files/s  (%d files)\n", hits / third, hits);
  std::printf("peer: open+times+4 KiB:    %8.0f files/s\n", kFiles / floor);
  return 0;
}
