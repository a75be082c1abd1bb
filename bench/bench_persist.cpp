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

#include "bench_summary.h"
#include "dll/lifecycle.h"
#include "environment/parallel_compression.h"
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
void FileLoad(int reps = 7) {
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

// Raw deflate / inflate in memory with the packed container's parameters (level 9, memory
// level 9): the limit for one core.
std::string RawDeflate(const std::string& in) {
  z_stream z{};
  deflateInit2(&z, 9, Z_DEFLATED, -MAX_WBITS, 9, Z_DEFAULT_STRATEGY);
  std::string out(deflateBound(&z, uLong(in.size())), '\0');
  z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(in.data()));
  z.avail_in = uInt(in.size());
  z.next_out = reinterpret_cast<Bytef*>(&out[0]);
  z.avail_out = uInt(out.size());
  deflate(&z, Z_FINISH);
  out.resize(z.total_out);
  deflateEnd(&z);
  return out;
}

void RawInflate(const std::string& in, std::string& out) {
  z_stream z{};
  inflateInit2(&z, -MAX_WBITS);
  z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(in.data()));
  z.avail_in = uInt(in.size());
  z.next_out = reinterpret_cast<Bytef*>(&out[0]);
  z.avail_out = uInt(out.size());
  inflate(&z, Z_FINISH);
  inflateEnd(&z);
}

template <class F>
double Best(int reps, F f) {
  double best = 1e9;
  for (int r = 0; r < reps; ++r) {
    double t0 = Now();
    f();
    best = std::min(best, Now() - t0);
  }
  return best;
}

// The packed pipeline: packed save and load (two threads, and one for comparison) next to its
// stages alone, measured in this run.
void Pipeline(int items) {
  clsProfJob* job = NewJob();
  Generate(job->rootList, items);
  auto xmlFile = MemFile();
  ovut::persist::WriteProfile(*job, *xmlFile.Get(), 1);
  const std::string xml = Content(*xmlFile.Get());
  const std::string packed = "ZLeZ" + RawDeflate(xml);
  const double mb = xml.size() / 1048576.0;
  const int reps = 5;

  auto saveXml = [&] {
    auto f = MemFile();
    ovut::persist::WriteProfile(*job, *f.Get(), 1);
  };
  auto savePacked = [&] {
    auto f = MemFile();
    ovut::persist::WriteProfile(*job, *f.Get(), 65);
  };
  auto load = [](const std::string& bytes) {
    clsAutoRelease<clsFile> f = MemFile();
    f->Write(bytes.data(), DWORD(bytes.size()));
    return [f] {
      f->Seek(uint64_t(0));
      clsProfJob* back = NewJob();
      if (!ovut::persist::LoadProfile(*back, *f.Get())) std::printf("  load FAILED\n");
      ReleaseJob(back);
    };
  };
  std::string inflated(xml.size(), '\0');
  const std::string raw = packed.substr(4);
  const double tXml = Best(reps, saveXml);
  const double tDeflate = Best(reps, [&] { RawDeflate(xml); });
  const double tParse = Best(reps, load(xml));
  const double tInflate = Best(reps, [&] { RawInflate(raw, inflated); });
  ovut::env::SetParallelCompression(false);
  const double tSave1 = Best(reps, savePacked), tLoad1 = Best(reps, load(packed));
  ovut::env::SetParallelCompression(true);
  const double tSave2 = Best(reps, savePacked), tLoad2 = Best(reps, load(packed));

  std::printf("== packed pipeline, %d items, %.1f MB of XML text, %u compression workers\n", items, mb,
              ovut::env::CompressionWorkers());
  auto row = [&](const char* what, double t) { std::printf("%-34s %9.1f ms %8.1f MB/s\n", what, t * 1e3, mb / t); };
  row("XML write alone", tXml);
  row("raw deflate level 9 alone", tDeflate);
  row("packed save, one thread", tSave1);
  row("packed save, overlapped", tSave2);
  row("XML load (parse) alone", tParse);
  row("raw inflate alone", tInflate);
  row("packed load, one thread", tLoad1);
  row("packed load, overlapped", tLoad2);

  char ours[64], peer[64], figure[96];
  const double saveLimit = std::max(tXml, tDeflate), loadLimit = std::max(tParse, tInflate);
  std::snprintf(figure, sizeof figure, "packed save %d items vs max(XML write, deflate)", items);
  std::snprintf(ours, sizeof ours, "%.1f ms", tSave2 * 1e3);
  std::snprintf(peer, sizeof peer, "%.1f ms", saveLimit * 1e3);
  Summary(figure, ours, peer, tSave2 / saveLimit, "<= 1.10", 1.10);
  std::snprintf(figure, sizeof figure, "packed load %d items vs max(inflate, parse)", items);
  std::snprintf(ours, sizeof ours, "%.1f ms", tLoad2 * 1e3);
  std::snprintf(peer, sizeof peer, "%.1f ms", loadLimit * 1e3);
  Summary(figure, ours, peer, tLoad2 / loadLimit, "<= 1.10", 1.10);
  ReleaseJob(job);
}

}  // namespace

// "bench_persist load [N]" runs the XML file load and its peer only (best of N, default 7).
int main(int argc, char** argv) {
  ovut::ProcessAttach(GetModuleHandleW(nullptr));
  CoInitialize(nullptr);
  FileLoad(argc > 2 ? atoi(argv[2]) : 7);
  if (argc < 2 || strcmp(argv[1], "load") != 0) {
    Run(100000);
    Run(200000);
    Pipeline(100000);
  }
  CoUninitialize();
  ovut::ProcessDetach();
  return 0;
}
