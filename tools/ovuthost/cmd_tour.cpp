// "tour": the demonstration run on the sample data; each step is another command of the host,
// and steps whose command this build lacks are skipped.
#include <windows.h>

#include <string>
#include <vector>

#include "command.h"

namespace {

int Tour(int argc, wchar_t** argv) {
  std::wstring samples = argc > 1 ? argv[1] : L".";
  wchar_t temp[MAX_PATH] = L"";
  GetTempPathW(MAX_PATH, temp);
  struct Step { std::vector<std::wstring> args; };
  std::vector<Step> steps = {
      {{L"version"}},
      {{L"debug", L"the tour has started"}},
      {{L"prof"}},
      {{L"convert", samples + L"\\settings.prf"}},
      {{L"date", L"5.3.2024 14:30", L"0x0407"}},
      {{L"maildate", L"Tue, 1 Oct 2024 10:00 EST"}},
      {{L"zip", std::wstring(temp) + L"ovuthost-samples.zip", samples, L"-r", L"-c", L"the sample data"}},
  };
  int failures = 0;
  for (auto& step : steps) {
    if (!ovuthost::Find(step.args[0].c_str())) continue;
    ovuthost::Print(L"\n== ovuthost");
    for (auto& a : step.args) ovuthost::Print(L" %s", a.c_str());
    ovuthost::Print(L"\n");
    std::vector<wchar_t*> av;
    for (auto& a : step.args) av.push_back(&a[0]);
    if (ovuthost::Run(static_cast<int>(av.size()), av.data()) != 0) ++failures;
  }
  return failures ? 1 : 0;
}

}  // namespace

OVUTHOST_COMMAND(tour, L"tour", L"[samples folder]  the demonstration run on the sample data", Tour);
OVUTHOST_EXAMPLE(tour, L"samples");
