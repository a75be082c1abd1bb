#include "environment/assert_box.h"

#include <cstdlib>

#include "diagnostics/debug_output.h"
#include "environment/ui_policy.h"

namespace ovut::env {

String AssertionText(const wchar_t* expression, const wchar_t* file, UINT line) noexcept {
  try {
    String text = String::Formatted(L"line %u in file %s:\n\"%s\"", line, file ? file : L"(null)",
                                    expression ? expression : L"(null)");
    return text.Length() > 80 ? text.Left(80) : text;
  } catch (...) {
    return String();
  }
}

void FailAssertion(const wchar_t* expression, const wchar_t* file, UINT line) noexcept {
  debug::Warning(L"ERR: Assertion Failure: line %u in file %s: \"%s\"", line, file ? file : L"(null)",
                 expression ? expression : L"(null)");
  if (UIInteractionAllowed()) {
    String text = AssertionText(expression, file, line);
    MessageBoxW(nullptr, text.c_str(), L"Assertion Failure", MB_TASKMODAL | MB_ICONSTOP | MB_RETRYCANCEL);
  }
  exit(-1);
}

}  // namespace ovut::env
