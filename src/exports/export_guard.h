// The boundary every export runs behind: nothing thrown inside may cross into the host. What
// it catches becomes the export's failure result and one debug line naming the export.
#pragma once
#include <exception>

namespace ovut::exports {

// Writes "ERR: <function>: exception caught (<what>)" as a library warning. Allocates nothing,
// catches everything and never enters the boundary again, so it is safe under out-of-memory.
void ReportCaught(const char* function, const char* what) noexcept;

// `function` defaults to the name of the calling export.
template <typename R, typename F>
R Guarded(R fallback, F&& body, const char* function = __builtin_FUNCTION()) noexcept {
  try {
    return body();
  } catch (const std::exception& e) {
    ReportCaught(function, e.what());
  } catch (...) {
    ReportCaught(function, nullptr);
  }
  return fallback;
}

template <typename F>
void Guarded(F&& body, const char* function = __builtin_FUNCTION()) noexcept {
  try {
    body();
  } catch (const std::exception& e) {
    ReportCaught(function, e.what());
  } catch (...) {
    ReportCaught(function, nullptr);
  }
}

}  // namespace ovut::exports
