// Help objects and the process-wide list they live in. The list holds shared owners, so an
// object that is closed while one of its help actions runs (the application may close it from
// its help message) stays alive until that action ends.
#pragma once
#include <windows.h>

#include <memory>
#include <vector>

#include "foundation/com_ptr.h"
#include "foundation/string.h"
#include "ovut19/help.h"

namespace ovut::help {

class clsHelpObject {
 public:
  clsHelpObject(HWND window, IUtilHelp* source, const wchar_t* helpFile) noexcept;
  // Quits the older viewer when it was used, closes the HTML viewer, destroys the cursor.
  ~clsHelpObject();
  clsHelpObject(const clsHelpObject&) = delete;
  clsHelpObject& operator=(const clsHelpObject&) = delete;

  HWND Window() const noexcept { return window_; }
  UINT HelpMessage() const noexcept { return helpMessage_; }
  HCURSOR Cursor() const noexcept { return cursor_; }
  LONG HelpMode() const noexcept { return helpMode_; }
  void SetHelpMode(LONG flag) noexcept { helpMode_ = flag; }

  // The fixed file, or the source's answer (translated) once it gave one; empty until then.
  String HelpFile() noexcept;

  void Push(int context);
  void Pop() noexcept;
  bool HasContexts() const noexcept { return !contexts_.empty(); }
  int TopContext() const noexcept { return contexts_.empty() ? -1 : contexts_.back(); }

  // The viewer started last for this object (null when none was found).
  HWND Viewer() const noexcept { return viewer_; }
  void SetViewer(HWND viewer) noexcept { viewer_ = viewer; }
  void MarkWinHelpUsed() noexcept { usedWinHelp_ = true; }

 private:
  HWND window_;
  clsAutoRelease<IUtilHelp> source_;
  UINT helpMessage_ = 0;
  String helpFile_;
  bool usedWinHelp_ = false;
  HWND viewer_ = nullptr;
  std::vector<int> contexts_;
  HCURSOR cursor_ = nullptr;
  LONG helpMode_ = 0;
};

using HelpPtr = std::shared_ptr<clsHelpObject>;

// Creates the object, appends it to the list and installs the F1 hook for the calling thread
// when the list was empty. Null when window is not a window.
HelpPtr Open(HWND window, IUtilHelp* source, const wchar_t* helpFile);
// Unlinks the object; the hook goes with the last one. False when it is not in the list.
bool Close(const void* handle) noexcept;
// The open object behind a handle, or null.
HelpPtr Find(const void* handle) noexcept;
// The object of the window, or of its nearest parent (for a child) or owner that has one.
HelpPtr FindForWindow(HWND window) noexcept;
// The F1 hook of the list, or null (for CallNextHookEx).
HHOOK CurrentHook() noexcept;
// Library unload: removes the hook (its procedure is about to go) and drops the objects without
// talking to the older viewer.
void Shutdown() noexcept;

}  // namespace ovut::help
