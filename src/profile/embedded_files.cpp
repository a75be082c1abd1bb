#include "profile/embedded_files.h"

#include <cwchar>
#include <vector>

#include "diagnostics/debug_output.h"
#include "foundation/file.h"
#include "foundation/scoped_handle.h"
#include "profile/codec/packed_decode.h"
#include "profile/codec/packed_text.h"
#include "profile/embedded_stream.h"
#include "profile/job_table.h"
#include "profile/tree_path.h"

namespace ovut::profile {

namespace {

constexpr wchar_t kEntry[] = L"File.Entry";
constexpr uint32_t kEntryLength = 10;
constexpr size_t kMaxStoredName = 259;

bool IsSeparator(wchar_t c) { return c == L'\\' || c == L'/'; }

// Up to and including the last separator or drive colon of a pattern.
String FolderOf(const wchar_t* pattern) {
  size_t cut = 0;
  for (size_t i = 0; pattern[i]; ++i)
    if (IsSeparator(pattern[i]) || pattern[i] == L':') cut = i + 1;
  return String(pattern, 0, static_cast<int>(cut));
}

bool IsDeviceName(const String& name) noexcept {
  // Devices are reserved with any extension and with blanks before it.
  uint32_t end = 0;
  while (end < name.Length() && name.At(end) != L'.') ++end;
  while (end > 0 && name.At(end - 1) == L' ') --end;
  const wchar_t* p = name.c_str();
  auto is = [&](const wchar_t* device) {
    return std::wcslen(device) == end && _wcsnicmp(p, device, end) == 0;
  };
  if (is(L"CON") || is(L"PRN") || is(L"AUX") || is(L"NUL") || is(L"CONIN$") || is(L"CONOUT$")) return true;
  if (end == 4 && (_wcsnicmp(p, L"COM", 3) == 0 || _wcsnicmp(p, L"LPT", 3) == 0)) {
    wchar_t d = p[3];
    return (d >= L'0' && d <= L'9') || d == 0xB9 || d == 0xB2 || d == 0xB3;  // also superscript 1-3
  }
  return false;
}

struct Entry {
  clsItemList* list;
  clsItem* name;
  clsItem* contents;
};

// Entry name to write under, or empty when the entry is skipped (with its debug line).
String TargetName(const Entry& e) {
  if (!e.name || e.name->ValueLength() == 0) {
    ovut::debug::Warning(L"ProfExtractFiles:\"Filename=\" not found");
    return String();
  }
  size_t length = e.name->ValueLength() < kMaxStoredName ? e.name->ValueLength() : kMaxStoredName;
  String stored(e.name->Value(), 0, static_cast<int>(length));
  String leaf = LastPathComponent(stored.c_str(), stored.Length());
  if (!IsPlainFileName(leaf)) {
    ovut::debug::Warning(L"WRN: ProfExtractFiles: the entry name '%s' is refused", stored.c_str());
    return String();
  }
  if (leaf.Length() != stored.Length())
    ovut::debug::Warning(L"WRN: ProfExtractFiles: the entry name '%s' is written as '%s'", stored.c_str(), leaf.c_str());
  return leaf;
}

}  // namespace

String LastPathComponent(const wchar_t* name, size_t length) {
  size_t start = length;
  while (start > 0 && !IsSeparator(name[start - 1])) --start;
  return String(name + start, 0, static_cast<int>(length - start));
}

bool IsPlainFileName(const String& name) noexcept {
  bool onlyDotsAndBlanks = true;
  for (uint32_t i = 0; i < name.Length(); ++i) {
    wchar_t c = name.At(i);
    if (c < 0x20 || std::wcschr(L"<>:\"/\\|?*", c)) return false;
    if (c != L'.' && c != L' ') onlyDotsAndBlanks = false;
  }
  return !onlyDotsAndBlanks && !IsDeviceName(name);
}

int AppendFiles(ProfHandle job, ProfHandle list, const wchar_t* pattern, const wchar_t* password) {
  JobRef held = FindJob(job);
  if (!held || !pattern) return 0;
  const String folder = FolderOf(pattern);
  const String key(password ? password : L"");
  clsItemList* target = held->ListOf(list);
  WIN32_FIND_DATAW found;
  ovut::UniqueFindHandle search(FindFirstFileW(pattern, &found));
  if (!search) return 0;
  int matched = 0;
  do {
    if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) continue;
    ++matched;
    String path = folder;
    path += found.cFileName;
    clsFileRO file(path.c_str(), clsFile::kShareRead, clsFile::kOptSequentialScan);
    if (!file.IsOpen()) continue;
    String text = ovut::codec::StreamToText(file, true, key);
    if (text.IsEmpty()) continue;
    clsItemList* entry = AppendListPath(target, PathText::Of(kEntry));
    if (!entry) continue;
    const uint32_t nameLength = static_cast<uint32_t>(std::wcslen(found.cFileName));
    if (!entry->AppendValue(L"Name", 4, found.cFileName, nameLength) ||
        !entry->AppendValue(L"Contents", 8, text.c_str(), text.Length())) {
      DeleteListByHandle(*held, entry);  // no half entries
    }
  } while (FindNextFileW(search.get(), &found));
  return matched;
}

int ExtractFiles(ProfHandle job, ProfHandle list, const wchar_t* folder, const wchar_t* password) {
  JobRef held = FindJob(job);
  if (!held || !folder) return 0;
  std::vector<Entry> entries;
  for (clsItem* it = held->ListOf(list)->First(); it; it = it->Next()) {
    if (!it->IsList() || !it->NameEquals(kEntry, kEntryLength)) continue;
    clsItemList* l = it->SubList();
    entries.push_back({l, l->FindValue(L"Name", 4), l->FindValue(L"Contents", 8)});
  }
  if (entries.empty()) return 0;
  const String key(password ? password : L"");

  // A password that does not fit must leave the disk as it was: check every entry first.
  ovut::codec::ByteBuffer data;
  for (const Entry& e : entries) {
    if (!e.contents || e.contents->ValueLength() == 0) continue;
    if (ovut::codec::DecodeText(e.contents->Value(), e.contents->ValueLength(), key, data, true) ==
        ovut::codec::DecodeVerdict::kNoMarker) {
      ovut::debug::Warning(L"WRN: ProfExtractFiles: the password does not fit the stored files; nothing written");
      return kPayloadWrongPassword;
    }
  }

  if (!CreateDirectoryW(folder, nullptr) && GetLastError() != ERROR_ALREADY_EXISTS) {
    ovut::debug::Warning(L"problem creating directory '%s'", folder);
    return kExtractNoFolder;
  }
  String base(folder);
  if (base.IsEmpty() || !IsSeparator(base.At(base.Length() - 1))) base += L'\\';

  int written = 0;
  for (const Entry& e : entries) {
    String name = TargetName(e);
    if (name.IsEmpty()) continue;
    String path = base;
    path += name;
    // Decode before creating: an entry that cannot be read leaves an existing file alone.
    const int rc = e.contents ? DecodePayload(e.contents->Value(), e.contents->ValueLength(), key, data) : -6;
    if (rc != 0) {
      ovut::debug::Warning(rc == -6 ? L"WRN: ProfExtractFiles: '%s' has no contents"
                                    : L"ERR: ProfExtractFiles: the contents of '%s' are damaged",
                           path.c_str());
      continue;
    }
    clsFileRW file(path.c_str(), clsFile::kCreateAlways, clsFile::kShareExclusive);
    if (!file.IsOpen()) {
      ovut::debug::Warning(L"'%s' could not be created", path.c_str());
      continue;
    }
    if (!WriteWhole(file, data)) {
      file.Close();
      DeleteFileW(path.c_str());
      ovut::debug::Warning(L"ERR: ProfExtractFiles: '%s' could not be written", path.c_str());
      continue;
    }
    ++written;
  }
  return written;
}

}  // namespace ovut::profile
