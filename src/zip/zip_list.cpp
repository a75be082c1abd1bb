// clsZIPFile::AppendList: the files of a directory, optionally with all sub-directories.
//
// The walk keeps its pending directories on a heap stack, not the call stack, so a deep tree
// cannot overflow it. Order: the files of a directory, then each sub-directory as a directory
// entry followed by everything below it, in the order of the directory search.
//
// Directories that are reparse points (junctions, symbolic links, mount points) are neither
// entered nor listed: a link to an ancestor would repeat the tree without end, and two such links
// double it at every level. A file reparse point is archived as the file it leads to.
//
// With compression workers the walk goes on while files are being compressed: what the walk
// produces (files, directory entries, messages) waits in order in a short queue and is finished
// from its front, so the archive and the debug lines are those of a walk without workers.
#include <deque>
#include <memory>
#include <utility>
#include <vector>

#include "diagnostics/debug_output.h"
#include "environment/parallel_compression.h"
#include "foundation/scoped_handle.h"
#include "zip/zip_file.h"
#include "zip/zip_workers.h"

using namespace ovut::zip;

namespace ovut::zip {
namespace {
WalkObserver g_walkObserver = nullptr;
}
void SetWalkObserver(WalkObserver observer) { g_walkObserver = observer; }
}  // namespace ovut::zip

namespace {

bool IsDotOrDotDot(const wchar_t* name) {
  return name[0] == L'.' && (name[1] == 0 || (name[1] == L'.' && name[2] == 0));
}

struct scPendingDirectory {
  String relative;  // sub-path below the base directory
  WIN32_FIND_DATAW found;
};

// Files posted per worker before the walk waits for the oldest: keeps the workers busy while
// bounding open sources and compressed data not yet in the entry list.
constexpr size_t kAheadPerWorker = 4;

// Where the walk's results go: straight into the archive, or through the workers in order.
class clsListOutput {
 public:
  clsListOutput(clsZIPFile& zip, unsigned workers) : zip_(zip), wanted_(workers) {}
  ~clsListOutput() = default;  // on an exception: workers end before the jobs they hold go

  void File(const String& path, const String& name) {
    if (wanted_ > 1 && !workers_) StartWorkers();
    if (!workers_) {
      if (zip_.AppendFile(path, name, String()) == clsZIPFile::kSourceNotOpened) CannotOpen(path);
      return;
    }
    scItem& item = Queue();
    item.job.reset(new scZIPFileJob);
    item.job->path = path;
    item.job->name = name;
    if (zip_.OpenSource(*item.job)) {
      workers_->Post(*item.job);
      ++files_;
    }
    KeepAhead();
  }

  void Directory(const String& path, const String& name, const WIN32_FIND_DATAW& found) {
    if (!workers_) return zip_.AppendDirectory(path, name, found);
    scItem& item = Queue();
    item.directory = true;
    item.path = path;
    item.name = name;
    item.found = found;
    KeepAhead();
  }

  // A warning about `path`: the directory cannot be listed (`error`), or a link is not followed.
  enum Note { kCannotList, kLinkNotFollowed };
  void Warn(Note note, const String& path, DWORD error = 0) {
    if (!workers_) return Emit(note, path, error);
    scItem& item = Queue();
    item.note = true;
    item.kind = note;
    item.path = path;
    item.error = error;
    KeepAhead();
  }

  // Finishes everything still queued.
  void Flush() { Advance(0); }

 private:
  // Finishes what lies further back than the workers' allowance of files in work.
  void KeepAhead() { Advance(kAheadPerWorker * workers_->Count()); }
  struct scItem {
    std::unique_ptr<scZIPFileJob> job;  // a file
    bool directory = false;             // else a directory entry
    String path, name;
    WIN32_FIND_DATAW found;
    bool note = false;                  // else a warning
    Note kind = kCannotList;
    DWORD error = 0;
  };

  static void Emit(Note note, const String& path, DWORD error) {
    if (note == kCannotList) ovut::debug::Warning(L"WRN: ZIP: cannot list '%s' (%u)", path.c_str(), error);
    else ovut::debug::Warning(L"WRN: ZIP: link '%s' not followed", path.c_str());
  }

  scItem& Queue() {
    ahead_.emplace_back();
    return ahead_.back();
  }

  // At the first file, so that a walk without files starts no threads. Where no thread
  // starts, the walk goes on without workers.
  void StartWorkers() {
    std::unique_ptr<clsZIPWorkers> workers(new clsZIPWorkers(zip_));
    if (workers->Start(wanted_)) workers_ = std::move(workers);
    wanted_ = 1;  // one attempt
  }

  static void CannotOpen(const String& path) { ovut::debug::Warning(L"WRN: ZIP: cannot open '%s'", path.c_str()); }

  // Finishes queued items from the front: those that are ready, and beyond that as many as it
  // takes to leave at most `keepFiles` files in compression.
  void Advance(size_t keepFiles) {
    while (!ahead_.empty()) {
      scItem& item = ahead_.front();
      if (item.job) {
        const bool open = static_cast<bool>(item.job->source);
        if (open && !item.job->done.load()) {
          if (files_ <= keepFiles) return;
          workers_->Wait(*item.job);
        }
        if (open) {
          --files_;
          zip_.Finish(*item.job);
        } else {
          CannotOpen(item.job->path);
        }
      } else if (item.directory) {
        zip_.AppendDirectory(item.path, item.name, item.found);
      } else if (item.note) {
        Emit(item.kind, item.path, item.error);
      }
      ahead_.pop_front();
    }
  }

  clsZIPFile& zip_;
  unsigned wanted_;
  size_t files_ = 0;  // queued files with an open source
  std::deque<scItem> ahead_;
  std::unique_ptr<clsZIPWorkers> workers_;  // declared last: destroyed first
};

}  // namespace

void clsZIPFile::AppendList(const String& directory, const String& pattern, bool recursive) {
  std::vector<scPendingDirectory> pending;
  String relative;  // the top directory
  String mask = pattern.IsEmpty() ? String(L"*.*") : pattern;
  clsListOutput out(*this, ovut::env::CompressionWorkers());
  for (;;) {
    const String current = JoinPath(directory, relative);

    WIN32_FIND_DATAW found;
    ovut::UniqueFindHandle search(FindFirstFileW(JoinPath(current, mask).c_str(), &found));
    if (search) {
      do {
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) continue;
        out.File(JoinPath(current, found.cFileName), JoinPath(relative, found.cFileName));
      } while (FindNextFileW(search.get(), &found));
    } else if (GetLastError() != ERROR_FILE_NOT_FOUND) {
      out.Warn(clsListOutput::kCannotList, current, GetLastError());
    }
    search.reset();

    if (recursive) {
      std::vector<scPendingDirectory> children;
      ovut::UniqueFindHandle dirs(FindFirstFileW(JoinPath(current, L"*.*").c_str(), &found));
      if (dirs) {
        do {
          if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) || IsDotOrDotDot(found.cFileName)) continue;
          if (found.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) {
            out.Warn(clsListOutput::kLinkNotFollowed, JoinPath(current, found.cFileName));
            continue;
          }
          children.push_back({JoinPath(relative, found.cFileName), found});
        } while (FindNextFileW(dirs.get(), &found));
      }
      if (g_walkObserver) g_walkObserver(current);
      // Reversed onto the stack, so they come off in search order.
      for (auto it = children.rbegin(); it != children.rend(); ++it) pending.push_back(std::move(*it));
    }

    if (pending.empty()) return out.Flush();
    scPendingDirectory next = std::move(pending.back());
    pending.pop_back();
    out.Directory(JoinPath(directory, next.relative), next.relative, next.found);
    relative = next.relative;
    mask = L"*.*";  // below the top directory every file counts
  }
}
