#include <gtest/gtest.h>
#include <zlib.h>

#include <algorithm>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "ovut19/zip.h"
#include "support/test_support.h"
#include "zip/zip_archive.h"
#include "zip/zip_file.h"
#include "zip/zip_readers.h"
#include "zip/zip_text.h"

using testsupport::ReadFileBytes;
using testsupport::TempDir;
using testsupport::WriteFileBytes;
using namespace ziptest;

namespace {

// The readers are part of the setup (scripts/setup.sh); without them the check fails.
#define REQUIRE_READERS() ASSERT_TRUE(ReadersAvailable()) << "python3/unzip cannot be started through Wine"

std::string RawDeflate(const std::string& in) {
  z_stream z{};
  deflateInit2(&z, 6, Z_DEFLATED, -15, 8, Z_DEFAULT_STRATEGY);
  std::string out(deflateBound(&z, in.size()) + 16, '\0');
  z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(in.data()));
  z.avail_in = static_cast<uInt>(in.size());
  z.next_out = reinterpret_cast<Bytef*>(&out[0]);
  z.avail_out = static_cast<uInt>(out.size());
  deflate(&z, Z_FINISH);
  out.resize(z.total_out);
  deflateEnd(&z);
  return out;
}

uint32_t Crc(const std::string& s) {
  return static_cast<uint32_t>(crc32(0, reinterpret_cast<const Bytef*>(s.data()), static_cast<uInt>(s.size())));
}

std::string Narrow(const std::wstring& w) {
  std::string s;
  for (wchar_t c : w) s += static_cast<char>(c);
  return s;
}

// Files below `base` ("sub/x.txt" style names); each holds its own name as content, repeated.
void MakeTree(const std::wstring& base, const std::vector<std::wstring>& files) {
  for (const std::wstring& f : files) {
    std::wstring path = base;
    size_t start = 0;
    for (size_t slash; (slash = f.find(L'/', start)) != std::wstring::npos; start = slash + 1) {
      path += L"\\" + f.substr(start, slash - start);
      CreateDirectoryW(path.c_str(), nullptr);
    }
    std::string content;
    for (int i = 0; i < 20; ++i) content += Narrow(f) + "\n";
    ASSERT_TRUE(WriteFileBytes(path + L"\\" + f.substr(start), content));
  }
}

std::wstring Windows(std::wstring name) {
  std::replace(name.begin(), name.end(), L'/', L'\\');
  return name;
}

// Every file unpacked below `folder` equals its source below `base`.
void ExpectSameFiles(const std::wstring& base, const std::wstring& folder, const std::vector<std::wstring>& files) {
  for (const std::wstring& f : files) {
    std::string a = ReadFileBytes(base + L"\\" + Windows(f));
    EXPECT_FALSE(a.empty()) << Narrow(f);
    EXPECT_EQ(ReadFileBytes(folder + L"\\" + Windows(f)), a) << Narrow(f);
  }
}

std::vector<std::string> Names(const ArchiveView& v) {
  std::vector<std::string> n;
  for (const CentralEntry& e : v.central) n.push_back(e.name);
  return n;
}

struct LimitsOverride {
  ovut::zip::scZipLimits saved = ovut::zip::Limits();
  LimitsOverride(uint64_t size, uint64_t count) {
    ovut::zip::Limits().size = size;
    ovut::zip::Limits().count = count;
  }
  ~LimitsOverride() { ovut::zip::Limits() = saved; }
};

TEST(ZipWriter, SmallArchiveBytesAreExact) {
  TempDir dir;
  const std::string content = "hello hello hello hello, zip\n";
  const std::wstring src = dir.File(L"a.txt");
  ASSERT_TRUE(WriteFileBytes(src, content));
  SYSTEMTIME st = {2024, 5, 5, 17, 13, 45, 30, 0};
  FILETIME ft;
  SystemTimeToFileTime(&st, &ft);
  {
    HANDLE h = CreateFileW(src.c_str(), FILE_WRITE_ATTRIBUTES, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    SetFileTime(h, nullptr, nullptr, &ft);
    CloseHandle(h);
  }
  FILETIME local;
  FileTimeToLocalFileTime(&ft, &local);
  WORD date = 0, time = 0;
  FileTimeToDosDateTime(&local, &date, &time);
  const uint32_t attributes = GetFileAttributesW(src.c_str());

  const std::wstring zipPath = dir.File(L"t.zip");
  HUTILZIP zip = UtilZIPCreate(zipPath.c_str(), L"archive note");
  ASSERT_NE(zip, nullptr);
  ASSERT_EQ(UtilZIPAppend(zip, src.c_str(), L"c1", L"report\\a.txt"), 0);
  ASSERT_EQ(UtilZIPClose(zip), 0);

  const std::string data = RawDeflate(content), name = "report/a.txt";
  std::string want;
  PutLE<uint32_t>(want, 0x04034B50);
  PutLE<uint16_t>(want, 20);
  PutLE<uint16_t>(want, 0);
  PutLE<uint16_t>(want, 8);
  PutLE<uint16_t>(want, time);
  PutLE<uint16_t>(want, date);
  PutLE<uint32_t>(want, Crc(content));
  PutLE<uint32_t>(want, static_cast<uint32_t>(data.size()));
  PutLE<uint32_t>(want, static_cast<uint32_t>(content.size()));
  PutLE<uint16_t>(want, static_cast<uint16_t>(name.size()));
  PutLE<uint16_t>(want, 0);
  want += name + data;
  const size_t directoryOffset = want.size();
  PutLE<uint32_t>(want, 0x02014B50);
  PutLE<uint16_t>(want, 0x0A14);
  PutLE<uint16_t>(want, 20);
  PutLE<uint16_t>(want, 0);
  PutLE<uint16_t>(want, 8);
  PutLE<uint16_t>(want, time);
  PutLE<uint16_t>(want, date);
  PutLE<uint32_t>(want, Crc(content));
  PutLE<uint32_t>(want, static_cast<uint32_t>(data.size()));
  PutLE<uint32_t>(want, static_cast<uint32_t>(content.size()));
  PutLE<uint16_t>(want, static_cast<uint16_t>(name.size()));
  PutLE<uint16_t>(want, 0);       // extra
  PutLE<uint16_t>(want, 2);       // comment
  PutLE<uint16_t>(want, 0);       // disk
  PutLE<uint16_t>(want, 0);       // internal attributes
  PutLE<uint32_t>(want, attributes);
  PutLE<uint32_t>(want, 0);       // local header offset
  want += name + "c1";
  const size_t directorySize = want.size() - directoryOffset;
  EXPECT_EQ(directorySize, 46 + name.size() + 2);
  PutLE<uint32_t>(want, 0x06054B50);
  PutLE<uint32_t>(want, 0);
  PutLE<uint16_t>(want, 1);
  PutLE<uint16_t>(want, 1);
  PutLE<uint32_t>(want, static_cast<uint32_t>(directorySize));
  PutLE<uint32_t>(want, static_cast<uint32_t>(directoryOffset));
  PutLE<uint16_t>(want, 12);
  want += "archive note";
  EXPECT_EQ(ReadFileBytes(zipPath), want);

  REQUIRE_READERS();
  EXPECT_TRUE(ReadersAccept(zipPath));
  EXPECT_TRUE(UnpackWithUnzip(zipPath, dir.File(L"out")));
  EXPECT_EQ(ReadFileBytes(dir.File(L"out\\report\\a.txt")), content);
}

TEST(ZipWriter, ArchiveWithoutEntriesIsTheEndRecord) {
  TempDir dir;
  for (const wchar_t* comment : {static_cast<const wchar_t*>(nullptr), L"", L"only a comment"}) {
    const std::wstring path = dir.File(L"empty.zip");
    HUTILZIP zip = UtilZIPCreate(path.c_str(), comment);
    ASSERT_NE(zip, nullptr);
    ASSERT_EQ(UtilZIPClose(zip), 0);
    std::string c = comment ? Narrow(comment) : std::string();
    std::string want("PK\x05\x06", 4);
    want += std::string(16, '\0');
    PutLE<uint16_t>(want, static_cast<uint16_t>(c.size()));
    want += c;
    EXPECT_EQ(ReadFileBytes(path), want);
    REQUIRE_READERS();
    EXPECT_TRUE(ReadersAccept(path));
  }
}

TEST(ZipWriter, EmptyFileIsAnEmptyDeflateStream) {
  TempDir dir;
  ASSERT_TRUE(WriteFileBytes(dir.File(L"empty.bin"), ""));
  const std::wstring path = dir.File(L"e.zip");
  HUTILZIP zip = UtilZIPCreate(path.c_str(), nullptr);
  ASSERT_EQ(UtilZIPAppend(zip, dir.File(L"empty.bin").c_str(), nullptr, L"empty.bin"), 0);
  ASSERT_EQ(UtilZIPClose(zip), 0);
  const std::string bytes = ReadFileBytes(path);
  ArchiveView v = ReadArchive(bytes);
  ASSERT_TRUE(v.ok);
  ASSERT_EQ(v.central.size(), 1u);
  EXPECT_EQ(v.central[0].method, 8);
  EXPECT_EQ(v.central[0].crc, 0u);
  EXPECT_EQ(v.central[0].uncompressed, 0u);
  EXPECT_EQ(v.central[0].compressed, 2u);
  EXPECT_EQ(bytes.substr(30 + 9, 2), std::string("\x03\x00", 2));
  REQUIRE_READERS();
  EXPECT_TRUE(ReadersAccept(path));
}

TEST(ZipWriter, EntryNamesLoseDriveAndServer) {
  struct Case {
    const wchar_t* path;
    const wchar_t* name;
    const wchar_t* stored;
  } cases[] = {
      {L"C:\\x\\y.txt", L"", L"/x/y.txt"},
      {L"C:\\x\\y.txt", L"report\\y.txt", L"report/y.txt"},
      {L"\\\\server\\share\\a.txt", L"", L"/share/a.txt"},
      {L"sub\\a.txt", L"", L"sub/a.txt"},
      {L"d:rel.txt", L"", L"rel.txt"},
      {L"ignored", L"\\\\srv\\s\\dir\\", L"/s/dir/"},
      {L"mixed/sep\\x", L"", L"mixed/sep/x"},
      // "." and ".." segments would place an entry outside the folder it unpacks into.
      {L"C:..\\..\\x", L"", L"x"},
      {L"ignored", L"a\\.\\b\\..\\c.txt", L"a/b/c.txt"},
      {L"\\\\srv\\s\\..\\..\\e.txt", L"", L"/s/e.txt"},
      {L"ignored", L"up/..", L"up"},
      {L"ignored", L"..dots../.x./...", L"..dots../.x./..."},
  };
  ovut::zip::clsZIPEntryNamer namer;
  for (const Case& c : cases) {
    EXPECT_STREQ(namer.Name(c.path, c.name).c_str(), c.stored) << Narrow(c.path) << " " << Narrow(c.name);
  }
}

TEST(ZipWriter, NamesOutsideCodePage437AreUTF8) {
  TempDir dir;
  ASSERT_TRUE(WriteFileBytes(dir.File(L"src.txt"), "payload"));
  struct Case {
    const wchar_t* name;
    const wchar_t* comment;
    bool utf8;
    std::string nameBytes, commentBytes;
  } cases[] = {
      {L"plain.txt", L"", false, "plain.txt", ""},
      {L"\x00E4\x00F6\x00FC.txt", L"\x00E9t\x00E9", false, "\x84\x94\x81.txt", "\x82t\x82"},
      {L"\x65E5\x672C.txt", L"", true, "\xE6\x97\xA5\xE6\x9C\xAC.txt", ""},
      {L"cp.txt", L"\x20AC", true, "cp.txt", "\xE2\x82\xAC"},   // the comment decides for both
      {L"\x0101.txt", L"", true, "\xC4\x81.txt", ""},             // no look-alike in 437
  };
  const std::wstring path = dir.File(L"n.zip");
  HUTILZIP zip = UtilZIPCreate(path.c_str(), nullptr);
  for (const Case& c : cases) ASSERT_EQ(UtilZIPAppend(zip, dir.File(L"src.txt").c_str(), c.comment, c.name), 0);
  ASSERT_EQ(UtilZIPClose(zip), 0);
  ArchiveView v = ReadArchive(ReadFileBytes(path));
  ASSERT_TRUE(v.ok);
  ASSERT_EQ(v.central.size(), std::size(cases));
  for (size_t i = 0; i < v.central.size(); ++i) {
    EXPECT_EQ((v.central[i].flags & 0x800) != 0, cases[i].utf8) << i;
    EXPECT_EQ(v.central[i].name, cases[i].nameBytes) << i;
    EXPECT_EQ(v.central[i].comment, cases[i].commentBytes) << i;
  }
  REQUIRE_READERS();
  EXPECT_TRUE(ReadersAccept(path));
  ASSERT_TRUE(UnpackWithPython(path, dir.File(L"out")));
  for (const Case& c : cases)
    EXPECT_EQ(ReadFileBytes(dir.File(L"out\\") + c.name), "payload") << Narrow(c.name);
}

TEST(ZipWriter, RecursiveListPutsFilesBeforeSubDirectories) {
  TempDir dir;
  const std::wstring top = dir.File(L"top");
  CreateDirectoryW(top.c_str(), nullptr);
  const std::vector<std::wstring> files = {L"a.txt", L"b.log", L"z.txt", L"sub1/c.log", L"sub1/deep/d.txt",
                                           L"sub1/deep/e.bin", L"sub2/f.txt", L"sub3/g.dat"};
  MakeTree(top, files);

  const std::wstring flat = dir.File(L"flat.zip");
  HUTILZIP zip = UtilZIPCreate(flat.c_str(), nullptr);
  EXPECT_EQ(UtilZIPAppendList(zip, top.c_str(), L"*.txt", 0), 0);
  ASSERT_EQ(UtilZIPClose(zip), 0);
  std::vector<std::string> names = Names(ReadArchive(ReadFileBytes(flat)));
  std::sort(names.begin(), names.end());
  EXPECT_EQ(names, (std::vector<std::string>{"a.txt", "z.txt"}));

  const std::wstring deep = dir.File(L"deep.zip");
  zip = UtilZIPCreate(deep.c_str(), L"tree");
  EXPECT_EQ(UtilZIPAppendList(zip, (top + L"\\").c_str(), L"*.txt", UTIL_ZIP_RECURSIVE), 0);
  ASSERT_EQ(UtilZIPClose(zip), 0);
  ArchiveView v = ReadArchive(ReadFileBytes(deep));
  ASSERT_TRUE(v.ok);
  names = Names(v);
  // The pattern holds only at the top; every directory is a stored entry ending in "/".
  std::set<std::string> want = {"a.txt",      "z.txt",      "sub1/", "sub1/c.log", "sub1/deep/", "sub1/deep/d.txt",
                                "sub1/deep/e.bin", "sub2/", "sub2/f.txt", "sub3/", "sub3/g.dat"};
  EXPECT_EQ(std::set<std::string>(names.begin(), names.end()), want);
  ASSERT_EQ(names.size(), want.size());
  for (size_t i = 0; i < names.size(); ++i) {
    const std::string& n = names[i];
    const bool isDir = n.back() == '/';
    EXPECT_EQ(v.central[i].method, isDir ? 0 : 8) << n;
    if (isDir) {
      EXPECT_TRUE(v.central[i].attributes & FILE_ATTRIBUTE_DIRECTORY) << n;
      EXPECT_EQ(v.central[i].compressed, 0u);
      // Everything below a directory follows its entry in one run.
      size_t j = i + 1;
      while (j < names.size() && names[j].compare(0, n.size(), n) == 0) ++j;
      for (size_t k = j; k < names.size(); ++k) EXPECT_NE(names[k].compare(0, n.size(), n), 0) << n << " " << names[k];
    }
    // Files of one directory come before its sub-directories.
    const std::string parent = n.substr(0, n.find_last_of('/', isDir ? n.size() - 2 : std::string::npos) + 1);
    for (size_t k = 0; k < i && !isDir; ++k) {
      const std::string& m = names[k];
      if (m.size() > parent.size() && m.compare(0, parent.size(), parent) == 0 && m.back() == '/' &&
          m.find('/', parent.size()) == m.size() - 1)
        ADD_FAILURE() << "directory " << m << " before file " << n;
    }
  }
  REQUIRE_READERS();
  EXPECT_TRUE(ReadersAccept(deep));
  std::vector<std::wstring> packed = {L"a.txt", L"z.txt", L"sub1/c.log", L"sub1/deep/d.txt", L"sub1/deep/e.bin",
                                      L"sub2/f.txt", L"sub3/g.dat"};
  ASSERT_TRUE(UnpackWithUnzip(deep, dir.File(L"u")));
  ExpectSameFiles(top, dir.File(L"u"), packed);
  ASSERT_TRUE(UnpackWithPython(deep, dir.File(L"p")));
  ExpectSameFiles(top, dir.File(L"p"), packed);
}

TEST(ZipWriter, BadSourcesAndHandlesNeverBreakTheArchive) {
  TempDir dir;
  ASSERT_TRUE(WriteFileBytes(dir.File(L"good.txt"), "good"));
  ASSERT_TRUE(WriteFileBytes(dir.File(L"held.txt"), "held"));
  HANDLE held = CreateFileW(dir.File(L"held.txt").c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                            0, nullptr);
  ASSERT_NE(held, INVALID_HANDLE_VALUE);

  EXPECT_EQ(UtilZIPCreate(dir.File(L"missing\\x.zip").c_str(), nullptr), nullptr);
  EXPECT_EQ(UtilZIPCreate(nullptr, nullptr), nullptr);
  EXPECT_EQ(UtilZIPCreate(dir.File(L"held.txt").c_str(), nullptr), nullptr);  // opened elsewhere

  const std::wstring path = dir.File(L"b.zip");
  HUTILZIP zip = UtilZIPCreate(path.c_str(), nullptr);
  ASSERT_NE(zip, nullptr);
  EXPECT_EQ(UtilZIPAppend(zip, dir.File(L"nothing.txt").c_str(), nullptr, nullptr), -1);
  EXPECT_EQ(UtilZIPAppend(zip, dir.File(L"held.txt").c_str(), nullptr, nullptr), -1);
  EXPECT_EQ(UtilZIPAppend(zip, nullptr, nullptr, nullptr), -1);
  EXPECT_EQ(UtilZIPAppend(zip, dir.path().c_str(), nullptr, L"folder"), -1);  // a directory
  EXPECT_EQ(UtilZIPAppendList(zip, dir.File(L"no such folder").c_str(), nullptr, UTIL_ZIP_RECURSIVE), 0);
  EXPECT_EQ(UtilZIPAppendList(zip, nullptr, nullptr, 0), 0);
  EXPECT_EQ(UtilZIPAppend(zip, dir.File(L"good.txt").c_str(), nullptr, L"good.txt"), 0);
  ASSERT_EQ(UtilZIPClose(zip), 0);
  CloseHandle(held);

  // Null handles do nothing; closed or made-up handles are refused.
  EXPECT_EQ(UtilZIPAppend(nullptr, dir.File(L"good.txt").c_str(), nullptr, nullptr), 0);
  EXPECT_EQ(UtilZIPAppendList(nullptr, dir.path().c_str(), nullptr, 1), 0);
  EXPECT_EQ(UtilZIPClose(nullptr), 0);
  EXPECT_EQ(UtilZIPClose(zip), -3);
  EXPECT_EQ(UtilZIPAppend(zip, dir.File(L"good.txt").c_str(), nullptr, nullptr), -1);
  int junk = 0;
  EXPECT_EQ(UtilZIPClose(reinterpret_cast<HUTILZIP>(&junk)), -3);

  ArchiveView v = ReadArchive(ReadFileBytes(path));
  ASSERT_TRUE(v.ok);
  EXPECT_EQ(Names(v), (std::vector<std::string>{"good.txt"}));
  REQUIRE_READERS();
  EXPECT_TRUE(ReadersAccept(path));
}

std::wstring g_vanishing;
void RemoveVanishing(const String&) {
  if (g_vanishing.empty()) return;
  DeleteFileW((g_vanishing + L"\\x.txt").c_str());
  RemoveDirectoryW(g_vanishing.c_str());
  g_vanishing.clear();
}

TEST(ZipWriter, DirectoryThatDisappearsDuringTheWalk) {
  TempDir dir;
  const std::wstring top = dir.File(L"top");
  CreateDirectoryW(top.c_str(), nullptr);
  MakeTree(top, {L"keep/k.txt", L"gone/x.txt", L"later/l.txt"});
  g_vanishing = top + L"\\gone";
  ovut::zip::SetWalkObserver(RemoveVanishing);
  const std::wstring path = dir.File(L"v.zip");
  HUTILZIP zip = UtilZIPCreate(path.c_str(), nullptr);
  EXPECT_EQ(UtilZIPAppendList(zip, top.c_str(), nullptr, UTIL_ZIP_RECURSIVE), 0);
  ovut::zip::SetWalkObserver(nullptr);
  ASSERT_EQ(UtilZIPClose(zip), 0);
  std::vector<std::string> names = Names(ReadArchive(ReadFileBytes(path)));
  std::set<std::string> got(names.begin(), names.end());
  EXPECT_TRUE(got.count("keep/k.txt"));
  EXPECT_TRUE(got.count("later/l.txt"));
  EXPECT_FALSE(got.count("gone/x.txt"));
  REQUIRE_READERS();
  EXPECT_TRUE(ReadersAccept(path));
}

namespace {

// Runs a program of the host (Wine's drive Z:) in `dir`, then waits until `done` holds: Wine
// reports such a process finished before its work shows.
template <typename Done>
bool RunOnHost(const std::wstring& dir, const std::wstring& program, const std::wstring& args, Done done) {
  const std::wstring path = L"Z:\\bin\\" + program;
  std::wstring cmd = path + L" " + args;
  STARTUPINFOW si = {sizeof si};
  PROCESS_INFORMATION pi;
  if (!CreateProcessW(path.c_str(), &cmd[0], nullptr, nullptr, FALSE, 0, nullptr, dir.c_str(), &si, &pi)) return false;
  WaitForSingleObject(pi.hProcess, 5000);
  CloseHandle(pi.hThread);
  CloseHandle(pi.hProcess);
  for (int i = 0; i < 100 && !done(); ++i) Sleep(50);
  return done();
}

// Symbolic links in a folder, made with CreateSymbolicLinkW or, where that makes nothing (Wine),
// with the host's ln. Removed at the end: the folder's removal cannot get past a link to an ancestor.
class Links {
 public:
  explicit Links(std::wstring dir) : dir_(std::move(dir)) {}
  ~Links() {
    for (const std::wstring& name : names_) {
      const std::wstring link = dir_ + L"\\" + name;
      if (!RemoveDirectoryW(link.c_str()) && !DeleteFileW(link.c_str()))
        RunOnHost(dir_, L"rm", L"-f " + name, [&] { return !Exists(link); });
    }
  }
  // `name` and `target` are relative, without separators. A link to a directory shows as a reparse point.
  bool Add(const std::wstring& name, const std::wstring& target, bool directory) {
    const std::wstring link = dir_ + L"\\" + name;
    auto made = [&] {
      DWORD a = GetFileAttributesW(link.c_str());
      return a != INVALID_FILE_ATTRIBUTES && (!directory || (a & FILE_ATTRIBUTE_REPARSE_POINT));
    };
    names_.push_back(name);
    const DWORD flags = (directory ? SYMBOLIC_LINK_FLAG_DIRECTORY : 0) | 0x2;  // unprivileged allowed
    if (CreateSymbolicLinkW(link.c_str(), target.c_str(), flags) && made()) return true;
    return RunOnHost(dir_, L"ln", L"-s " + target + L" " + name, made);
  }

 private:
  static bool Exists(const std::wstring& p) { return GetFileAttributesW(p.c_str()) != INVALID_FILE_ATTRIBUTES; }
  std::wstring dir_;
  std::vector<std::wstring> names_;
};

}  // namespace

TEST(ZipWriter, LinkedDirectoriesAreNotEntered) {
  TempDir dir;
  const std::wstring top = dir.File(L"top");
  CreateDirectoryW(top.c_str(), nullptr);
  MakeTree(top, {L"a.txt", L"sub/b.txt"});
  Links links(top), subLinks(top + L"\\sub");
  // Two links to ancestors: followed, they would repeat the tree 2^depth times.
  if (!links.Add(L"loop", L".", true) || !subLinks.Add(L"up", L"..", true))
    GTEST_SKIP() << "no symbolic links to directories here";
  ASSERT_TRUE(links.Add(L"alias.txt", L"a.txt", false));
  const std::wstring path = dir.File(L"l.zip");
  HUTILZIP zip = UtilZIPCreate(path.c_str(), nullptr);
  EXPECT_EQ(UtilZIPAppendList(zip, top.c_str(), nullptr, UTIL_ZIP_RECURSIVE), 0);
  ASSERT_EQ(UtilZIPClose(zip), 0);
  std::vector<std::string> names = Names(ReadArchive(ReadFileBytes(path)));
  // A link to a file is archived as that file.
  EXPECT_EQ(std::set<std::string>(names.begin(), names.end()),
            (std::set<std::string>{"a.txt", "alias.txt", "sub/", "sub/b.txt"}));
  EXPECT_EQ(names.size(), 4u);
}

TEST(ZipWriter, DeepTreeAndManyFiles) {
  TempDir dir;
  const std::wstring top = dir.File(L"t");
  CreateDirectoryW(top.c_str(), nullptr);
  // 150 nested levels: deeper than MAX_PATH allows, made through the long-path prefix.
  std::wstring level = L"\\\\?\\" + top;
  for (int i = 0; i < 150; ++i) {
    level += L"\\d";
    ASSERT_TRUE(CreateDirectoryW(level.c_str(), nullptr)) << i;
    if (i % 10 == 0) {
      ASSERT_TRUE(WriteFileBytes(level + L"\\f.txt", "level"));
    }
  }
  const int kFiles = 2000;
  const std::wstring many = top + L"\\many";
  CreateDirectoryW(many.c_str(), nullptr);
  for (int i = 0; i < kFiles; ++i)
    ASSERT_TRUE(WriteFileBytes(many + L"\\" + std::to_wstring(i) + L".txt", std::to_string(i)));

  const std::wstring path = dir.File(L"big.zip");
  HUTILZIP zip = UtilZIPCreate(path.c_str(), nullptr);
  EXPECT_EQ(UtilZIPAppendList(zip, top.c_str(), nullptr, UTIL_ZIP_RECURSIVE), 0);
  ASSERT_EQ(UtilZIPClose(zip), 0);
  ArchiveView v = ReadArchive(ReadFileBytes(path));
  ASSERT_TRUE(v.ok);
  size_t manyFiles = 0, levels = 0;
  for (const CentralEntry& e : v.central) {
    if (e.name.compare(0, 5, "many/") == 0 && e.name.size() > 5) ++manyFiles;
    if (e.name.size() >= 2 && e.name.compare(e.name.size() - 2, 2, "d/") == 0) ++levels;
  }
  EXPECT_EQ(manyFiles, static_cast<size_t>(kFiles));
  EXPECT_GE(levels, 50u);  // at least as far as ordinary paths reach
  REQUIRE_READERS();
  EXPECT_TRUE(ReadersAccept(path));
}

// With lowered limits every ZIP64 form appears in a small archive: sizes in the local and
// central extra fields, local header offsets in the central extra field, the ZIP64 end record.
TEST(ZipWriter, Zip64RecordsBeyondTheClassicFields) {
  TempDir dir;
  std::string noise;
  uint32_t x = 12345;
  for (int i = 0; i < 5000; ++i) noise += static_cast<char>((x = x * 1103515245 + 12345) >> 24);
  const std::vector<std::pair<std::wstring, std::string>> files = {
      {L"small.txt", "tiny"}, {L"noise.bin", noise}, {L"text.txt", std::string(3000, 'a')}, {L"late.txt", "late"}};
  for (const auto& f : files) ASSERT_TRUE(WriteFileBytes(dir.File(f.first.c_str()), f.second));

  const std::wstring path = dir.File(L"z64.zip");
  {
    LimitsOverride lowered(1000, 3);
    HUTILZIP zip = UtilZIPCreate(path.c_str(), L"z64");
    for (const auto& f : files) ASSERT_EQ(UtilZIPAppend(zip, dir.File(f.first.c_str()).c_str(), nullptr, f.first.c_str()), 0);
    ASSERT_EQ(UtilZIPClose(zip), 0);
  }
  const std::string bytes = ReadFileBytes(path);
  ArchiveView v = ReadArchive(bytes);
  ASSERT_TRUE(v.ok);
  EXPECT_TRUE(v.zip64End);
  EXPECT_EQ(v.entries, files.size());
  EXPECT_EQ(GetLE<uint16_t>(bytes, bytes.size() - 3 - 22 + 10), 0xFFFF);  // classic count: marker
  ASSERT_EQ(v.central.size(), files.size());
  EXPECT_TRUE(v.central[0].extra.empty());               // small and at offset 0
  EXPECT_EQ(v.central[1].uncompressed, 0xFFFFFFFFu);     // 5000 bytes > 1000
  EXPECT_EQ(v.central[1].needed, 45);
  EXPECT_EQ(v.central[1].extra.size(), 4u + 16);         // both sizes; offset 34 fits
  EXPECT_EQ(v.central[3].offset, 0xFFFFFFFFu);           // behind the noise
  EXPECT_EQ(v.central[3].extra.size(), 4u + 8);
  EXPECT_EQ(GetLE<uint16_t>(bytes, 28), 0);              // first local header: no extra
  REQUIRE_READERS();
  EXPECT_TRUE(ReadersAccept(path));
  ASSERT_TRUE(UnpackWithUnzip(path, dir.File(L"u")));
  ASSERT_TRUE(UnpackWithPython(path, dir.File(L"p")));
  for (const auto& f : files) {
    EXPECT_EQ(ReadFileBytes(dir.File(L"u\\") + f.first), f.second) << Narrow(f.first);
    EXPECT_EQ(ReadFileBytes(dir.File(L"p\\") + f.first), f.second) << Narrow(f.first);
  }
}

}  // namespace
