// Profile persistence figures: save and load of a generated profile in every stored form,
// in memory (no disk), next to plain zlib deflate/inflate of the same bytes; 100,000 and
// 200,000 items to show how the cost grows.
#include <windows.h>

#include "bench_clock.h"
#include <objbase.h>
#include <zlib.h>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "dll/lifecycle.h"
#include "foundation/file.h"
#include "bench_summary.h"
#include "profile/job_open.h"
#include "profile/job_table.h"
#include "profile/persist/profile_load.h"
#include "profile/persist/profile_save.h"

#ifdef OVUT_PEER_PUGIXML
#include <pugixml.hpp>
#endif

using namespace ovut::profile;

namespace {


clsAutoRelease<clsFile> MemFile() {
  IStream* s = nullptr;
  CreateStreamOnHGlobal(nullptr, TRUE, &s);
  return clsAutoRelease<clsFile>(new clsFileRWTempStream(s));
}

// n items: lists of 100 values each, names and values of typical lengths, some escaping.
void Generate(clsItemList& root, int n) {
  wchar_t name[64], value[96];
  clsItemList* list = nullptr;
  for (int i = 0; i < n; ++i) {
    if (i % 100 == 0) {
      int k = wsprintfW(name, L"Section%d", i / 100);
      list = root.AppendNewList(name, k);
    }
    int nl = wsprintfW(name, L"Key%d", i);
    int vl = wsprintfW(value, i % 10 ? L"value %d of the generated profile" : L"a <b> & \"c\"\tline %d", i);
    list->AppendValue(name, nl, value, vl);
  }
}

std::string Content(clsFile& f) {
  std::string s(static_cast<size_t>(f.Size()), '\0');
  f.Seek(uint64_t(0));
  if (!s.empty()) f.Read(&s[0], static_cast<DWORD>(s.size()));
  return s;
}

void Run(int items) {
  clsProfJob* job = NewJob();
  Generate(job->rootList, items);
  std::printf("== %d items\n", items);
  std::printf("%-8s %10s %10s %10s %10s %10s\n", "form", "bytes", "save ms", "save MB/s", "load ms", "load MB/s");
  std::printf("(MB/s of profile text; packed: of the XML text inside)\n");
  std::string xmlBytes;
  for (auto [label, flags] : {std::pair<const char*, int>{"xml", 1}, {"ini", 0}, {"xfdf", 2}, {"packed", 65}}) {
    const int reps = 3;
    double save = 1e9, load = 1e9;
    std::string bytes;
    for (int r = 0; r < reps; ++r) {
      auto f = MemFile();
      double t0 = Now();
      ovut::persist::WriteProfile(*job, *f.Get(), flags);
      save = std::min(save, Now() - t0);
      bytes = Content(*f.Get());
      clsProfJob* back = NewJob();
      f->Seek(uint64_t(0));
      t0 = Now();
      bool ok = ovut::persist::LoadProfile(*back, *f.Get());
      load = std::min(load, Now() - t0);
      // XFDF keeps no lists (nested fields become dotted names), so only its load result counts.
      if (!ok || (flags != 2 && back->rootList.Count() != job->rootList.Count()))
        std::printf("  load of %s FAILED\n", label);
      ReleaseJob(back);
    }
    if (flags == 1) xmlBytes = bytes;
    // Throughput in profile text: the packed form is measured by the XML text it holds.
    const double mb = (flags & 64 ? xmlBytes.size() : bytes.size()) / 1048576.0;
    std::printf("%-8s %10zu %10.1f %10.1f %10.1f %10.1f\n", label, bytes.size(), save * 1e3, mb / save, load * 1e3,
                mb / load);
  }
  // zlib on the XML bytes for scale (level 9, the packed container's preset).
  uLongf zn = compressBound(static_cast<uLong>(xmlBytes.size()));
  std::vector<Bytef> z(zn);
  double t0 = Now();
  compress2(z.data(), &zn, reinterpret_cast<const Bytef*>(xmlBytes.data()), static_cast<uLong>(xmlBytes.size()), 9);
  double d = Now() - t0;
  std::vector<Bytef> back(xmlBytes.size());
  uLongf bn = static_cast<uLongf>(back.size());
  t0 = Now();
  uncompress(back.data(), &bn, z.data(), zn);
  double inf = Now() - t0;
  const double mb = xmlBytes.size() / 1048576.0;
  std::printf("%-8s %10lu %10.1f %10.1f %10.1f %10.1f   (zlib level 9 over the xml bytes)\n", "zlib", zn, d * 1e3,
              mb / d, inf * 1e3, mb / inf);
  ReleaseJob(job);
}

// The XML form loaded from a file the way a host opens a job, next to a native UTF-16 XML
// parser building its DOM from the same file (the file is read warm, from the cache, by both).
void FileLoad() {
  const int items = 100000;
  clsProfJob* job = NewJob();
  Generate(job->rootList, items);
  wchar_t dir[MAX_PATH], path[MAX_PATH];
  GetTempPathW(MAX_PATH, dir);
  GetTempFileNameW(dir, L"bpx", 0, path);
  {
    clsAutoRelease<clsFile> f(new clsFile());
    f->Open(path, clsFile::kAccessReadWrite, clsFile::kCreateAlways, clsFile::kShareRead, clsFile::kOptNormal);
    ovut::persist::WriteProfile(*job, *f.Get(), 1);
  }
  ReleaseJob(job);
  WIN32_FILE_ATTRIBUTE_DATA fa{};
  GetFileAttributesExW(path, GetFileExInfoStandard, &fa);
  const double mb = (double(fa.nFileSizeHigh) * 4294967296.0 + fa.nFileSizeLow) / 1048576.0;
  std::printf("== XML load from a file: %d items, %.1f MB UTF-16\n", items, mb);

  const int reps = 7;
  double ours = 1e9;
  for (int r = 0; r < reps; ++r) {
    clsProfJob* back = NewJob();
    back->fileName = path;
    double t0 = Now();
    OpenAndLoadFile(*back, false);
    ours = std::min(ours, Now() - t0);
    if (back->lastError != 0 || back->rootList.Count() != static_cast<uint32_t>(items / 100))
      std::printf("  our load FAILED (%d)\n", back->lastError);
    t0 = Now();
    ReleaseJob(back);
    if (r == 0) std::printf("  (our tree freed in %.1f ms, not counted)\n", (Now() - t0) * 1e3);
  }
  std::printf("ours: open job and load            %8.1f ms %8.1f MB/s\n", ours * 1e3, mb / ours);
#ifdef OVUT_PEER_PUGIXML
  double peer = 1e9;
  for (int r = 0; r < reps; ++r) {
    auto doc = std::make_unique<pugi::xml_document>();
    double t0 = Now();
    pugi::xml_parse_result res = doc->load_file(path);
    peer = std::min(peer, Now() - t0);
    if (!res) std::printf("  peer load FAILED: %s\n", res.description());
  }
  std::printf("peer: pugixml (wchar_t) load_file  %8.1f ms %8.1f MB/s\n", peer * 1e3, mb / peer);
  char o[32], p[32];
  std::snprintf(o, sizeof o, "%.1f ms", ours * 1e3);
  std::snprintf(p, sizeof p, "%.1f ms", peer * 1e3);
  Summary("profile XML load from file, 100k items (peer/ours)", o, p, peer / ours, ">= 1.0 (1.5 leads)", 1.0, true);
#else
  std::printf("peer: pugixml not built (scripts/peer_pugixml.sh); no summary row\n");
#endif
  DeleteFileW(path);
}

}  // namespace

int main() {
  ovut::ProcessAttach(GetModuleHandleW(nullptr));
  CoInitialize(nullptr);
  FileLoad();
  Run(100000);
  Run(200000);
  CoUninitialize();
  ovut::ProcessDetach();
  return 0;
}
