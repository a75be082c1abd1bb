// "prof": builds a small profile with typed values and prints its tree, then reads values back.
#include <string>

#include "command.h"
#include "ovut19.h"

namespace {

struct PrintContext {
  int depth;
};

int WINAPI PrintItem(HPROFJOB job, LPCWSTR name, LPCWSTR value, HPROFLIST list, INT_PTR user) {
  auto* ctx = reinterpret_cast<PrintContext*>(user);
  std::wstring indent(static_cast<size_t>(ctx->depth) * 2, L' ');
  if (list) {
    ovuthost::Print(L"%s[%s]\n", indent.c_str(), name);
    PrintContext inner{ctx->depth + 1};
    ProfEnumW(job, list, PrintItem, reinterpret_cast<INT_PTR>(&inner));
  } else {
    ovuthost::Print(L"%s%s=%s\n", indent.c_str(), name, value);
  }
  return 1;
}

int RunProf(int argc, wchar_t** argv) {
  HPROFJOB job = ProfJobOpenW(nullptr);
  if (!job) return 1;
  const wchar_t* title = argc >= 2 ? argv[1] : L"Demo window";
  ProfSetStringW(job, 0, L"Window/Title", title);
  RECT place{10, 20, 110, 70};
  ProfSetRectW(job, 0, L"Window/Placement", &place);
  ProfSetRectLTWHW(job, 0, L"Window/PlacementLTWH", &place);
  POINT origin{10, -5};
  ProfSetPointW(job, 0, L"Window/Origin", &origin);
  ProfSetBoolW(job, 0, L"Window/Maximized", FALSE);
  ProfSetIntW(job, 0, L"Settings/Count", -42);
  ProfAppendIntHexW(job, 0, L"Settings/Mask", 31);
  ProfSetIntHexW(job, 0, L"Settings/MaskSet", 31);
  ProfSetInt64W(job, 0, L"Settings/Big", -1);
  ProfAppendInt64HexW(job, 0, L"Settings/BigHex", 0x1F);
  ProfSetDoubleW(job, 0, L"Settings/Ratio", 3.14);
  HPROFLIST colors = ProfCreateListW(job, 0, L"[Colors]");
  ProfSetColorrefW(job, colors, L"Back", RGB(255, 128, 0));
  ProfAppendStringW(job, colors, L"Recent", L"first");
  ProfAppendStringW(job, colors, L"Recent", L"second");

  ovuthost::Print(L"profile tree:\n");
  PrintContext top{1};
  ProfEnumW(job, 0, PrintItem, reinterpret_cast<INT_PTR>(&top));

  RECT r{};
  ProfGetRectLTWHW(job, 0, L"Window/PlacementLTWH", &r, &r);
  int count = 0, mask = 0;
  ProfGetIntW(job, 0, L"Settings/Count", &count, 0);
  ProfGetIntW(job, 0, L"/Settings/Mask", &mask, 0);
  LONGLONG big = 0;
  ProfGetInt64W(job, 0, L"Settings/Big", &big, 0);
  double ratio = 0;
  ProfGetDoubleW(job, 0, L"Settings/Ratio", &ratio, 0);
  COLORREF back = 0;
  ProfGetColorrefW(job, 0, L"Colors/Back", &back, 0);
  BOOL maximized = TRUE;
  ProfGetBoolW(job, 0, L"Window/Maximized", &maximized, TRUE);
  int missing = 0;
  int rc = ProfGetIntW(job, 0, L"Settings/Missing", &missing, 7);
  ovuthost::Print(L"read back:\n  PlacementLTWH = %ld,%ld,%ld,%ld\n  Count = %d, Mask = %d, Big = %lld\n"
                  L"  Ratio = %g, Back = 0x%06lX, Maximized = %d\n  Missing = %d (result %d)\n",
                  r.left, r.top, r.right, r.bottom, count, mask, big, ratio, static_cast<unsigned long>(back),
                  maximized, missing, rc);
  ProfJobClose(job);
  return 0;
}

}  // namespace

OVUTHOST_COMMAND(prof, L"prof", L"[title]  build a small profile, print its tree and typed values", RunProf);
OVUTHOST_EXAMPLE(prof, L"Demo");
