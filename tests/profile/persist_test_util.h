// Profile trees and in-memory files for the persistence tests.
#pragma once
#include <cwchar>
#include <string>

#include "codec_test_util.h"
#include "profile/codec/stream_deflate.h"
#include "profile/job_table.h"
#include "profile/persist/line_source.h"
#include "profile/persist/profile_load.h"
#include "profile/persist/profile_save.h"
#include "profile/persist/text_reader.h"

namespace persisttest {

struct Job {
  clsProfJob* job = ovut::profile::NewJob();
  ~Job() { ovut::profile::ReleaseJob(job); }
  clsItemList& root() { return job->rootList; }
};

inline void Add(clsItemList& l, const std::wstring& name, const std::wstring& value) {
  l.AppendValue(name.data(), static_cast<uint32_t>(name.size()), value.data(), static_cast<uint32_t>(value.size()));
}
inline clsItemList& AddList(clsItemList& l, const std::wstring& name) {
  return *l.AppendNewList(name.data(), static_cast<uint32_t>(name.size()));
}

// A rich tree: escapes, control units, lists named like the root, non-ASCII text in `deep`.
inline void Fill(clsItemList& root, const std::wstring& deep) {
  Add(root, L"City", L"Bonn <&> \"q\" 'a'");
  Add(root, L"ctl", L"1\t2\r\n3\x01");
  Add(root, L"a=b[c]", L"x=y");
  clsItemList& l = AddList(root, L"Addr");
  Add(l, L"Zip", L"53111");
  Add(AddList(l, L"Inner"), L"k", L"");
  Add(AddList(AddList(root, L"/"), L"[x]"), L"deep", deep);
}

// The tree as one text: "name=value;" and "[name]{...}" for lists.
inline std::wstring Dump(const clsItemList& l) {
  std::wstring out;
  struct F { const clsItem* it; };
  std::vector<F> st{{l.First()}};
  while (!st.empty()) {
    const clsItem* it = st.back().it;
    if (!it) {
      st.pop_back();
      if (!st.empty()) out += L"}";
      continue;
    }
    st.back().it = it->Next();
    if (it->IsList()) {
      out += L"[" + std::wstring(it->SubList()->Name(), it->SubList()->NameLength()) + L"]{";
      st.push_back({it->SubList()->First()});
    } else {
      out += std::wstring(it->Name(), it->NameLength()) + L"=" + std::wstring(it->Value(), it->ValueLength()) + L";";
    }
  }
  return out;
}

// Bytes of a UTF-16 text (no terminator).
inline std::string Bytes(const std::wstring& w) {
  return std::string(reinterpret_cast<const char*>(w.data()), w.size() * 2);
}
inline std::wstring Wide(const std::string& b) {
  return std::wstring(reinterpret_cast<const wchar_t*>(b.data()), b.size() / 2);
}

// Saves with `flags` into memory and returns the bytes.
inline std::string Save(clsProfJob& job, int flags) {
  auto f = codectest::MemFile();
  EXPECT_EQ(ovut::persist::WriteProfile(job, *f.Get(), flags), 0);
  return codectest::Content(*f.Get());
}

// Loads bytes into a fresh job; returns the dump and the job's error.
inline std::wstring Load(const std::string& bytes, int* error = nullptr, bool* packed = nullptr) {
  Job j;
  auto f = codectest::MemFile(bytes);
  ovut::persist::LoadProfile(*j.job, *f.Get());
  if (error) *error = j.job->lastError;
  if (packed) *packed = j.job->loadedPacked;
  return Dump(j.root());
}

// Reads UTF-16 text with the text reader at `level`; returns the message of a format error
// ("" when none) and the line counter then.
inline std::wstring ReadError(const std::wstring& text, int mode, std::wstring* dump = nullptr, int level = -1,
                              uint32_t* line = nullptr) {
  clsItemList root(L"/", 1);
  ovut::persist::clsLineSource src(text);
  uint32_t counter = 0;
  std::wstring msg;
  try {
    ovut::persist::ReadProfileText(root, level, src, mode, counter);
  } catch (const ovut::persist::clsLoadException& e) {
    msg = e.message.c_str();
    if (line) *line = e.line;
  }
  if (dump) *dump = Dump(root);
  return msg;
}

}  // namespace persisttest
