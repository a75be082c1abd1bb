#include "profile/string_ops.h"

#include <cwchar>

#include "profile/job_open.h"
#include "profile/job_table.h"
#include "profile/tree_path.h"

namespace ovut::profile {
namespace {

void CopyCut(wchar_t* buffer, int size, const wchar_t* text, size_t length) {
  size_t n = length < static_cast<size_t>(size - 1) ? length : static_cast<size_t>(size - 1);
  std::wmemmove(buffer, text, n);
  buffer[n] = 0;
}

}  // namespace

ProfHandle OpenJob(const wchar_t* fileName, bool exclusive) noexcept {
  clsProfJob* job = NewJob();
  if (!job) return 0;
  job->keepOpen = exclusive;
  if (fileName) {
    try {
      job->fileName = fileName;
    } catch (...) {
      job->lastError = -10;
      return job->Handle();
    }
    OpenAndLoadFile(*job, exclusive);
  }
  return job->Handle();
}

int GetString(ProfHandle jobHandle, ProfHandle list, const wchar_t* name, wchar_t* buffer, int size,
              const wchar_t* defaultText) noexcept {
  if (buffer && buffer != defaultText && size > 0)
    CopyCut(buffer, size, defaultText ? defaultText : L"", defaultText ? std::wcslen(defaultText) : 0);
  JobRef job = FindJob(jobHandle);
  if (!job) return 0;
  PathText path = PathText::Of(name ? name : L"");
  clsItem* item = FindValueItem(StartList(*job, list, path), path);
  if (!item) return -6;
  if (!buffer || size <= 0) return static_cast<int>(item->ValueLength());
  CopyCut(buffer, size, item->Value(), item->ValueLength());
  return static_cast<int>(item->ValueLength() < static_cast<uint32_t>(size - 1) ? item->ValueLength() : size - 1);
}

int GetStringLength(ProfHandle jobHandle, ProfHandle list, const wchar_t* name) noexcept {
  JobRef job = FindJob(jobHandle);
  if (!job) return 0;
  PathText path = PathText::Of(name ? name : L"");
  clsItem* item = FindValueItem(StartList(*job, list, path), path);
  return item ? static_cast<int>(item->ValueLength()) : -6;
}

void WriteString(ProfHandle jobHandle, ProfHandle list, const wchar_t* name, const wchar_t* value, bool append) noexcept {
  JobRef job = FindJob(jobHandle);
  if (!job) return;
  if (!value) value = L"";
  PathText path = PathText::Of(name ? name : L"");
  PathText itemName{};
  clsItemList* target = WriteTarget(StartList(*job, list, path), path, itemName);
  if (!target) return;
  size_t valueLength = std::wcslen(value);
  if (append) {
    target->AppendValue(itemName.text, static_cast<uint32_t>(itemName.length), value, static_cast<uint32_t>(valueLength));
  } else {
    SetValueIn(target, itemName, value, valueLength);
  }
}

}  // namespace ovut::profile
