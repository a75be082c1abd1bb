// Real windows on the test thread, F1 pressed through the system's input queue, boxes answered
// by a CBT hook, and a help source whose answers a test chooses.
#pragma once
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ovut19/help.h"

namespace helptest {

constexpr UINT kHelpMessage = WM_APP + 5;

// What the application's windows were asked.
struct scRequest {
  HWND window;
  WPARAM command;
  LPARAM data;
};

struct scBox {
  std::wstring text;
  std::wstring caption;
};

// A help source with chosen answers; failing answers return E_FAIL.
class clsTestSource : public IUtilHelp {
 public:
  clsTestSource(const wchar_t* file, UINT message, bool fail = false) : file_(file), message_(message), fail_(fail) {}
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID, void** out) override {
    *out = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return ++refs_; }
  ULONG STDMETHODCALLTYPE Release() override { return --refs_; }
  HRESULT STDMETHODCALLTYPE GetHelpFile(BSTR* file) override {
    ++fileQuestions_;
    if (fail_) return E_FAIL;
    *file = SysAllocString(file_.c_str());
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetHelpMessage(UINT* message) override {
    if (fail_) return E_FAIL;
    *message = message_;
    return S_OK;
  }
  ULONG refs_ = 1;  // the test's own reference
  int fileQuestions_ = 0;

 private:
  std::wstring file_;
  UINT message_;
  bool fail_;
};

class HelpWindows : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // A visible top-level window of the test class (owner optional), made active.
  HWND TopWindow(HWND owner = nullptr);
  HWND Child(HWND parent, const wchar_t* cls, int id, const wchar_t* text = L"");
  void Activate(HWND window, HWND focus);

  // Presses F1 with the given modifiers through SendInput and handles the messages until the
  // F1 release has been taken. peekFirst: a PM_NOREMOVE look at every message before taking it.
  void PressF1(const std::vector<WORD>& modifiers = {}, bool peekFirst = false);
  // Handles messages for a while.
  void Pump(DWORD ms);

  static std::vector<scRequest> requests_;
  static std::vector<scBox> boxes_;
  static LRESULT contextAnswer_;  // the answer to "ZelUtilGetContextHelpID"
  static LRESULT helpAnswer_;     // the answer to the help message

 private:
  static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  static LRESULT CALLBACK AnswerBoxes(int code, WPARAM wParam, LPARAM lParam);
  static void CALLBACK AnswerBox(HWND, UINT, UINT_PTR timer, DWORD);
  static LRESULT CALLBACK WatchF1(int code, WPARAM key, LPARAM data);
  static bool f1Released_;
  std::vector<HWND> windows_;
  HHOOK boxHook_ = nullptr;
  HHOOK keyHook_ = nullptr;
};

// Text in a temporary folder of the test.
std::wstring TempPath(const wchar_t* name);
// Writes the text as the whole file (a failure fails the test).
void WriteFileText(const std::wstring& path, const char* text);
std::string ReadFileText(const std::wstring& path);

}  // namespace helptest
