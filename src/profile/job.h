// clsProfJob: one open profile. The handle a host holds is the record's address; the job table
// (job_table.h) knows which handles are live. The tree has no lock: the caller serialises the
// operations on one job.
#pragma once
#include <windows.h>
#include <cstdint>

#include "foundation/com_ptr.h"
#include "foundation/string.h"
#include "profile/item_list.h"

class clsFile;

using ProfHandle = INT_PTR;  // job and list handles as they cross the interface
static_assert(sizeof(ProfHandle) == sizeof(void*), "handles carry addresses on 32 and 64 bits");

class clsProfJob {
 public:
  clsProfJob() noexcept;
  ~clsProfJob();
  clsProfJob(const clsProfJob&) = delete;
  clsProfJob& operator=(const clsProfJob&) = delete;

  // The list a handle stands for: 0 is this job's root.
  clsItemList* ListOf(ProfHandle list) noexcept {
    return list ? reinterpret_cast<clsItemList*>(list) : &rootList;
  }
  static ProfHandle HandleOf(const clsItemList* list) noexcept { return reinterpret_cast<ProfHandle>(list); }
  ProfHandle Handle() const noexcept { return reinterpret_cast<ProfHandle>(this); }

  String fileName;                   // file the job was opened from, empty when none
  bool keepOpen = false;             // holds its file (exclusive open) or stream for its life
  clsItemList rootList;              // named "/" unless a stream open names it otherwise
  int lastError = 0;                 // result of the open and load; only they write it
  clsAutoRelease<clsFile> openFile;  // file an exclusive or stream job keeps open
  int streamOptions = 0;             // nesting level of a stream object's text; 0 = whole document
  volatile LONG refCount = 1;
  bool loadedPacked = false;         // set by the loader when the contents were packed
};
