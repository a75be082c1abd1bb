// Profile persistence figures: save and load of a generated profile in every stored form,
// in memory (no disk), next to plain zlib deflate/inflate of the same bytes; 100,000 and
// 200,000 items to show how the cost grows.
#include <windows.h>

#include "bench_clock.h"
#include <objbase.h>
#include <zlib.h>

#include <cstdio>
#include <string>
#include <vector>

#include "dll/lifecycle.h"
#include "foundation/file.h"
#include "profile/job_table.h"
#include "profile/persist/profile_load.h"
#include "profile/persist/profile_save.h"

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

}  // namespace

int main() {
  ovut::ProcessAttach(GetModuleHandleW(nullptr));
  CoInitialize(nullptr);
  Run(100000);
  Run(200000);
  CoUninitialize();
  ovut::ProcessDetach();
  return 0;
}
