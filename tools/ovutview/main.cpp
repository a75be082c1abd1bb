// ovutview: a console debug viewer for the library's debug channel. It publishes a window of the
// viewer class in the shared area, answers the channel's queries (6: UTF-8 accepted) and prints
// every line that arrives through the mailslot or as a window message, with the sending process,
// filtered and coloured, optionally also into a file. It depends on no sender: processes may come,
// go and crash while it runs.
#include <windows.h>

#include <cstdio>
#include <cwchar>
#include <map>
#include <string>
#include <vector>

#include "pcre2.h"

namespace {

const wchar_t kClass[] = L"ZelClsZOLVEN16";
const wchar_t kArea[] = L"ZOLVENGlobalData";
const wchar_t kMailslot[] = L"\\\\.\\mailslot\\zolven";
constexpr DWORD kQueryUtf8 = 6;
constexpr DWORD kQueryConnect = 7;

// ---- Options ---------------------------------------------------------------------------------

struct Options {
  std::wstring module;   // module column, without regard to case
  std::wstring process;  // executable name (without regard to case) or process id
  std::wstring text;     // regular expression on the message text
  std::wstring outFile;
  int color = -1;        // -1: when the output is a console
  DWORD seconds = 0;     // 0: until closed
};

void Usage() {
  fwprintf(stderr,
           L"usage: ovutview [-m MODULE] [-p PROCESS|PID] [-t REGEX] [-o FILE] [--color|--no-color] [--seconds N]\n"
           L"  Shows the debug lines of every process that uses OVUT19.DLL, live.\n"
           L"  -m  only lines of this module (the name before \":\", any case)\n"
           L"  -p  only lines of this process: executable name (any case) or process id\n"
           L"  -t  only lines whose message matches this regular expression (PCRE2)\n"
           L"  -o  also write what is shown to FILE (UTF-8)\n"
           L"  --seconds N  stop after N seconds; otherwise Ctrl+C or closing the window stops it\n"
           L"  example: ovutview -m OVUTHOST -t \"numbers|text\" -o view.log\n");
}

bool ParseOptions(int argc, wchar_t** argv, Options& o) {
  for (int i = 1; i < argc; ++i) {
    std::wstring a = argv[i];
    auto value = [&](std::wstring& out) {
      if (i + 1 >= argc) return false;
      out = argv[++i];
      return true;
    };
    if (a == L"-m") { if (!value(o.module)) return false; }
    else if (a == L"-p") { if (!value(o.process)) return false; }
    else if (a == L"-t") { if (!value(o.text)) return false; }
    else if (a == L"-o") { if (!value(o.outFile)) return false; }
    else if (a == L"--color") o.color = 1;
    else if (a == L"--no-color") o.color = 0;
    else if (a == L"--seconds") {
      std::wstring n;
      if (!value(n)) return false;
      wchar_t* end = nullptr;
      unsigned long s = wcstoul(n.c_str(), &end, 10);
      if (*end || s == 0 || s > 86400) return false;
      o.seconds = s;
    } else {
      return false;
    }
  }
  return true;
}

// ---- Output ----------------------------------------------------------------------------------

class Output {
 public:
  bool Open(const Options& o) {
    out_ = GetStdHandle(STD_OUTPUT_HANDLE);
    DWORD mode = 0;
    console_ = GetConsoleMode(out_, &mode) != 0;
    color_ = o.color < 0 ? console_ : o.color == 1;
    if (console_ && color_) SetConsoleMode(out_, mode | 0x0004 /* ENABLE_VIRTUAL_TERMINAL_PROCESSING */);
    if (!o.outFile.empty()) {
      file_ = CreateFileW(o.outFile.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS, 0, nullptr);
      if (file_ == INVALID_HANDLE_VALUE) {
        fwprintf(stderr, L"ovutview: cannot write %ls\n", o.outFile.c_str());
        return false;
      }
    }
    return true;
  }
  ~Output() {
    if (file_ != INVALID_HANDLE_VALUE) CloseHandle(file_);
  }
  // severity: 0 plain, 1 warning, 2 error, 3 attach/leave notice
  void Line(const std::wstring& text, int severity) {
    static const wchar_t* const kColors[] = {L"", L"\x1b[33m", L"\x1b[31m", L"\x1b[36m"};
    std::wstring shown = color_ && severity ? kColors[severity] + text + L"\x1b[0m" : text;
    shown += L"\r\n";
    if (console_) {
      DWORD n;
      WriteConsoleW(out_, shown.c_str(), static_cast<DWORD>(shown.size()), &n, nullptr);
    } else {
      Write(out_, shown);
    }
    if (file_ != INVALID_HANDLE_VALUE) Write(file_, text + L"\r\n");
  }

 private:
  static void Write(HANDLE h, const std::wstring& text) {
    std::string bytes = Utf8(text);
    DWORD n;
    WriteFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &n, nullptr);
  }
  static std::string Utf8(const std::wstring& text) {
    int n = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<size_t>(n > 0 ? n : 0), '\0');
    if (n > 0) WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), &out[0], n, nullptr, nullptr);
    return out;
  }

  HANDLE out_ = nullptr;
  HANDLE file_ = INVALID_HANDLE_VALUE;
  bool console_ = false;
  bool color_ = false;
};

// ---- Regular expressions (PCRE2, UTF-16) -------------------------------------------------------

class Regex {
 public:
  bool Compile(const std::wstring& pattern, bool caseless, std::wstring& error) {
    int code = 0;
    PCRE2_SIZE offset = 0;
    re_ = pcre2_compile(reinterpret_cast<PCRE2_SPTR>(pattern.c_str()), pattern.size(),
                        PCRE2_UTF | (caseless ? PCRE2_CASELESS : 0), &code, &offset, nullptr);
    if (!re_) {
      PCRE2_UCHAR message[256];
      pcre2_get_error_message(code, message, 256);
      error = reinterpret_cast<wchar_t*>(message);
      return false;
    }
    match_ = pcre2_match_data_create_from_pattern(re_, nullptr);
    return match_ != nullptr;
  }
  ~Regex() {
    if (match_) pcre2_match_data_free(match_);
    if (re_) pcre2_code_free(re_);
  }
  bool Valid() const { return re_ != nullptr; }
  // Match: the captured groups (0 = whole); empty when it does not match.
  std::vector<std::wstring> Match(const std::wstring& text) {
    std::vector<std::wstring> groups;
    int rc = pcre2_match(re_, reinterpret_cast<PCRE2_SPTR>(text.c_str()), text.size(), 0, 0, match_, nullptr);
    if (rc <= 0) return groups;
    PCRE2_SIZE* v = pcre2_get_ovector_pointer(match_);
    for (int i = 0; i < rc; ++i)
      groups.push_back(v[2 * i] == PCRE2_UNSET ? std::wstring() : text.substr(v[2 * i], v[2 * i + 1] - v[2 * i]));
    return groups;
  }

 private:
  pcre2_code* re_ = nullptr;
  pcre2_match_data* match_ = nullptr;
};

// ---- Senders -----------------------------------------------------------------------------------

struct Process {
  DWORD id = 0;
  std::wstring name;  // executable file name
  HANDLE handle = nullptr;
  bool ended = false;
};

std::wstring BaseName(const std::wstring& path) {
  size_t slash = path.find_last_of(L"\\/");
  return slash == std::wstring::npos ? path : path.substr(slash + 1);
}

// Lines name their thread; the thread names its process while it runs. Both are cached, so lines
// of a thread that has just ended still find their process.
class Senders {
 public:
  ~Senders() {
    for (auto& p : processes_)
      if (p.second.handle) CloseHandle(p.second.handle);
  }
  Process* OfThread(DWORD thread) {
    auto known = threads_.find(thread);
    if (known != threads_.end()) {
      Process* p = Find(known->second);
      if (p && !p->ended) return p;
    }
    HANDLE t = OpenThread(THREAD_QUERY_LIMITED_INFORMATION, FALSE, thread);
    if (!t) return known != threads_.end() ? Find(known->second) : nullptr;
    DWORD pid = GetProcessIdOfThread(t);
    CloseHandle(t);
    if (!pid) return nullptr;
    threads_[thread] = pid;
    Process* p = Find(pid);
    if (p && !p->ended) return p;
    Process fresh;
    fresh.id = pid;
    fresh.handle = OpenProcess(SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid);
    wchar_t path[MAX_PATH * 2];
    DWORD size = MAX_PATH * 2;
    if (fresh.handle && QueryFullProcessImageNameW(fresh.handle, 0, path, &size)) fresh.name = BaseName(path);
    else fresh.name = L"?";
    if (p && p->handle) CloseHandle(p->handle);  // an ended process whose id came back
    processes_[pid] = fresh;
    return &processes_[pid];
  }
  // Processes that ended since the last call (also the ones that crashed without a good-bye).
  std::vector<Process> Ended() {
    std::vector<Process> out;
    for (auto& entry : processes_) {
      Process& p = entry.second;
      if (p.ended || !p.handle || WaitForSingleObject(p.handle, 0) != WAIT_OBJECT_0) continue;
      p.ended = true;
      out.push_back(p);
    }
    return out;
  }
  static DWORD ExitCode(const Process& p) {
    DWORD code = 0;
    return GetExitCodeProcess(p.handle, &code) ? code : 0;
  }

 private:
  Process* Find(DWORD pid) {
    auto it = processes_.find(pid);
    return it == processes_.end() ? nullptr : &it->second;
  }
  std::map<DWORD, DWORD> threads_;
  std::map<DWORD, Process> processes_;
};

// ---- The viewer --------------------------------------------------------------------------------

class Viewer {
 public:
  explicit Viewer(const Options& o) : options_(o) { InitializeCriticalSection(&lock_); }

  bool Start(std::wstring& error) {
    if (!output_.Open(options_)) return false;
    if (!prefix_.Compile(L"^(?:(.*?) *: )?(\\d\\d:\\d\\d(?::\\d\\d)?\\.\\d{3}) ([0-9a-f]{8})/[0-9a-f]{2} \\d  (.*)$",
                         false, error))
      return false;
    if (!options_.text.empty() && !text_.Compile(options_.text, false, error)) {
      error = L"bad regular expression: " + error;
      return false;
    }
    mailslot_ = CreateMailslotW(kMailslot, 0, 0, nullptr);
    if (mailslot_ == INVALID_HANDLE_VALUE) {
      error = L"the mailslot \\\\.\\mailslot\\zolven is in use: is another viewer running?";
      return false;
    }
    WNDCLASSW wc = {};
    wc.lpfnWndProc = WndProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = kClass;
    RegisterClassW(&wc);
    window_ = CreateWindowW(kClass, L"ovutview", WS_OVERLAPPED, 0, 0, 10, 10, nullptr, nullptr, wc.hInstance, nullptr);
    if (!window_) {
      error = L"cannot create the viewer window";
      return false;
    }
    SetWindowLongPtrW(window_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    // Open to every process, as the channel creates it.
    SECURITY_DESCRIPTOR sd;
    InitializeSecurityDescriptor(&sd, SECURITY_DESCRIPTOR_REVISION);
    SetSecurityDescriptorDacl(&sd, TRUE, nullptr, FALSE);
    SECURITY_ATTRIBUTES sa = {sizeof sa, &sd, FALSE};
    area_ = CreateFileMappingW(INVALID_HANDLE_VALUE, &sa, PAGE_READWRITE | SEC_COMMIT, 0, 4, kArea);
    published_ = area_ ? static_cast<volatile LONG*>(MapViewOfFile(area_, FILE_MAP_ALL_ACCESS, 0, 0, 4)) : nullptr;
    if (!published_) {
      error = L"cannot open the shared area ZOLVENGlobalData";
      return false;
    }
    // Running processes notice the new handle with their next line, new ones at load.
    InterlockedExchange(published_, static_cast<LONG>(reinterpret_cast<LONG_PTR>(window_)));
    Notice(L"ovutview: waiting for debug lines (window class " + std::wstring(kClass) + L")");  // before any reader
    return true;
  }

  ~Viewer() {
    if (published_) {
      // Withdraw only our own handle: a viewer started after us keeps its place.
      InterlockedCompareExchange(published_, 0, static_cast<LONG>(reinterpret_cast<LONG_PTR>(window_)));
      UnmapViewOfFile(const_cast<LONG*>(published_));
    }
    if (area_) CloseHandle(area_);
    if (window_) DestroyWindow(window_);
    if (mailslot_ != INVALID_HANDLE_VALUE) CloseHandle(mailslot_);
    DeleteCriticalSection(&lock_);
  }

  // The window thread answers queries and watches the senders; a reader thread takes the lines
  // from the mailslot as they come, so that a line's thread is asked for its process while the
  // sender most likely still runs.
  int Run() {
    HANDLE reader = CreateThread(nullptr, 0, ReaderThread, this, 0, nullptr);
    if (!reader) {
      fwprintf(stderr, L"ovutview: cannot start the reader thread\n");
      return 1;
    }
    const ULONGLONG end = options_.seconds ? GetTickCount64() + options_.seconds * 1000ull : 0;
    while (!stop_ && !g_interrupted && (!end || GetTickCount64() < end)) {
      // A sender waits in SendMessageTimeout for the query replies: pump promptly.
      MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
      MSG m;
      while (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) {
        if (m.message == WM_QUIT) stop_ = true;
        DispatchMessageW(&m);
      }
      Locked lock(lock_);
      for (const Process& p : senders_.Ended())
        if (Shows(nullptr, &p))
          Notice(L"-- process ended: " + p.name + L" (" + std::to_wstring(p.id) + L"), exit code 0x" + Hex(Senders::ExitCode(p)));
    }
    readerStop_ = 1;
    WaitForSingleObject(reader, INFINITE);
    CloseHandle(reader);
    Notice(L"ovutview: stopped");
    return 0;
  }

  static volatile bool g_interrupted;

 private:
  static std::wstring Hex(DWORD v) {
    wchar_t b[16];
    swprintf(b, 16, L"%08lx", static_cast<unsigned long>(v));
    return b;
  }

  struct Locked {
    explicit Locked(CRITICAL_SECTION& cs) : cs_(cs) { EnterCriticalSection(&cs_); }
    ~Locked() { LeaveCriticalSection(&cs_); }
    CRITICAL_SECTION& cs_;
  };

  static DWORD WINAPI ReaderThread(void* param) {
    auto* self = static_cast<Viewer*>(param);
    std::vector<char> buffer(64 * 1024);  // above the largest mailslot message
    // Polls rather than waits in ReadFile: a read timeout is not honoured everywhere, and the
    // thread must notice the stop. After the stop, what is still queued is read first.
    for (;;) {
      DWORD next = MAILSLOT_NO_MESSAGE, got = 0;
      if (!GetMailslotInfo(self->mailslot_, nullptr, &next, nullptr, nullptr) || next == MAILSLOT_NO_MESSAGE) {
        if (self->readerStop_) return 0;
        Sleep(10);
        continue;
      }
      if (next > buffer.size()) buffer.resize(next);
      if (!ReadFile(self->mailslot_, buffer.data(), static_cast<DWORD>(buffer.size()), &got, nullptr)) continue;
      std::string bytes(buffer.data(), got);
      while (!bytes.empty() && (bytes.back() == '\r' || bytes.back() == '\n' || bytes.back() == '\0')) bytes.pop_back();
      Locked lock(self->lock_);
      self->Received(bytes);
    }
  }

  // One piece of text in the encoding the senders were told (UTF-8).
  void Received(const std::string& bytes) {
    int n = MultiByteToWideChar(CP_UTF8, 0, bytes.data(), static_cast<int>(bytes.size()), nullptr, 0);
    std::wstring text(static_cast<size_t>(n > 0 ? n : 0), L'\0');
    if (n > 0) MultiByteToWideChar(CP_UTF8, 0, bytes.data(), static_cast<int>(bytes.size()), &text[0], n);
    if (text.rfind(L"++", 0) == 0 || text.rfind(L"--", 0) == 0) {
      Announcement(text);
      return;
    }
    std::vector<std::wstring> parts = prefix_.Match(text);
    Process* sender = nullptr;
    std::wstring module, message = text;
    if (parts.size() >= 5) {
      module = parts[1];
      sender = senders_.OfThread(wcstoul(parts[3].c_str(), nullptr, 16));
      message = parts[4];
      last_ = sender ? *sender : Process();
      lastModule_ = module;
    } else {
      // The rest of a line longer than one piece: it follows its line's first piece.
      sender = last_.id ? &last_ : nullptr;
      module = lastModule_;
    }
    if (!Shows(&module, sender)) return;
    if (text_.Valid() && text_.Match(message).empty()) return;
    std::wstring who = sender ? sender->name + L"(" + std::to_wstring(sender->id) + L")" : L"?";
    output_.Line(who + L" | " + text, Severity(message));
  }

  // "++<library> [<executable>] [<library path>]" on attaching, "--<library> [<executable>]" on leaving.
  void Announcement(const std::wstring& text) {
    bool attach = text[0] == L'+';
    size_t open = text.find(L" [");
    std::wstring library = text.substr(2, open == std::wstring::npos ? std::wstring::npos : open - 2);
    std::wstring exe;
    if (open != std::wstring::npos) {
      size_t close = text.find(L']', open);
      exe = text.substr(open + 2, close == std::wstring::npos ? std::wstring::npos : close - open - 2);
    }
    Process named;
    named.name = BaseName(exe);
    if (!options_.process.empty() && !Shows(nullptr, &named)) return;
    Notice((attach ? L"++ attached: " : L"-- left: ") + named.name + L" [" + library + L"] " + exe);
  }

  bool Shows(const std::wstring* module, const Process* p) const {
    if (module && !options_.module.empty() && _wcsicmp(module->c_str(), options_.module.c_str()) != 0) return false;
    if (!options_.process.empty()) {
      if (!p) return false;
      wchar_t* end = nullptr;
      unsigned long pid = wcstoul(options_.process.c_str(), &end, 10);
      if (*end == 0 && !options_.process.empty()) {
        if (p->id != pid) return false;
      } else {
        std::wstring name = p->name, stem = name.substr(0, name.rfind(L'.'));
        if (_wcsicmp(name.c_str(), options_.process.c_str()) != 0 && _wcsicmp(stem.c_str(), options_.process.c_str()) != 0)
          return false;
      }
    }
    return true;
  }

  static int Severity(const std::wstring& message) {
    std::wstring m = message.substr(message.find_first_not_of(L' ') == std::wstring::npos ? 0 : message.find_first_not_of(L' '));
    auto starts = [&](const wchar_t* w) { return _wcsnicmp(m.c_str(), w, wcslen(w)) == 0; };
    if (starts(L"ERR") || starts(L"error") || starts(L"fatal")) return 2;
    if (starts(L"WRN") || starts(L"warning")) return 1;
    return 0;
  }

  void Notice(const std::wstring& text) { output_.Line(text, 3); }

  static LRESULT CALLBACK WndProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    auto* self = reinterpret_cast<Viewer*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (msg == WM_COPYDATA && self) {
      const auto* data = reinterpret_cast<const COPYDATASTRUCT*>(lp);
      if (data->dwData == kQueryUtf8) return 1;  // UTF-8: no text is lost to a code page
      if (data->dwData == kQueryConnect) return 1;
      if (data->dwData == 0 && data->lpData) {
        // A line sent as a message (the sender could not open the mailslot).
        std::string bytes(static_cast<const char*>(data->lpData), data->cbData);
        while (!bytes.empty() && bytes.back() == '\0') bytes.pop_back();
        Locked lock(self->lock_);
        self->Received(bytes);
        return 1;
      }
      return 0;
    }
    if (msg == WM_CLOSE && self) {
      self->stop_ = true;
      return 0;
    }
    return DefWindowProcW(hwnd, msg, wp, lp);
  }

  Options options_;
  Output output_;
  Regex prefix_, text_;
  Senders senders_;
  Process last_;
  std::wstring lastModule_;
  HANDLE mailslot_ = INVALID_HANDLE_VALUE;
  HANDLE area_ = nullptr;
  volatile LONG* published_ = nullptr;
  HWND window_ = nullptr;
  bool stop_ = false;
  volatile LONG readerStop_ = 0;
  CRITICAL_SECTION lock_;  // everything the reader thread and the window thread share
};

volatile bool Viewer::g_interrupted = false;

BOOL WINAPI OnConsoleEvent(DWORD) {
  Viewer::g_interrupted = true;
  return TRUE;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  Options options;
  if (!ParseOptions(argc, argv, options)) {
    Usage();
    return 2;
  }
  SetConsoleCtrlHandler(OnConsoleEvent, TRUE);
  Viewer viewer(options);
  std::wstring error;
  if (!viewer.Start(error)) {
    if (!error.empty()) fwprintf(stderr, L"ovutview: %ls\n", error.c_str());
    return 1;
  }
  return viewer.Run();
}
