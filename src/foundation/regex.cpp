// clsRegEx: compile and single match over PCRE2 (16-bit).
#include "foundation/regex.h"

#include <pcre2.h>

#include <climits>
#include <cstdint>
#include <cstring>
#include <cwchar>

#include "diagnostics/debug_output.h"

static_assert(sizeof(wchar_t) == sizeof(PCRE2_UCHAR16), "UTF-16 subjects go to the engine unchanged");
static_assert(sizeof(PCRE2_SIZE) == sizeof(size_t) && PCRE2_UNSET == ~size_t{0}, "offsets go to the match list unchanged");

// ---- match list -------------------------------------------------------------------------

clsRegExMatchList::~clsRegExMatchList() {
  Clear();
  while (spare_) {
    scRegExMatch* next = spare_->next;
    delete spare_;
    spare_ = next;
  }
  delete[] offsets_;
  delete[] copy_;
}

void clsRegExMatchList::Clear() {
  if (tail_) {
    tail_->next = spare_;
    spare_ = head_;
  }
  head_ = tail_ = nullptr;
  count_ = 0;
  pending_ = 0;
}

scRegExMatch* clsRegExMatchList::NewRecord(int32_t start) const {
  scRegExMatch* m = spare_;
  if (m) spare_ = m->next;
  else m = new scRegExMatch;
  m->start = start;
  m->next = nullptr;
  if (tail_) tail_->next = m;
  else head_ = m;
  tail_ = m;
  ++count_;
  return m;
}

void clsRegExMatchList::Append(int32_t start, const String& text) {
  Build();
  NewRecord(start)->text = text;
}

void clsRegExMatchList::Append(int32_t start, const wchar_t* text, uint32_t count) {
  Build();
  String& s = NewRecord(start)->text;
  s.Clear();  // keeps a buffer nobody else shares
  s.Append(text, count);
}

const scRegExMatch* clsRegExMatchList::At(uint32_t index) const {
  Build();
  if (index >= count_) return nullptr;
  const scRegExMatch* m = head_;
  while (index--) m = m->next;
  return m;
}

void clsRegExMatchList::SetGroups(const wchar_t* subject, const size_t* offsets, uint32_t count) {
  Clear();
  if (!count) return;
  // The stretch every set group lies in (lookarounds can reach outside the whole match).
  size_t from = SIZE_MAX, to = 0;
  for (uint32_t i = 0; i < count; ++i) {
    const size_t a = offsets[2 * i], b = offsets[2 * i + 1];
    if (a == ~size_t{0} || b < a) continue;
    if (a < from) from = a;
    if (b > to) to = b;
  }
  if (from > to) from = to = 0;
  if (offsetCapacity_ < count) {
    auto* grown = new size_t[2 * count];
    delete[] offsets_;
    offsets_ = grown;
    offsetCapacity_ = count;
  }
  if (copyCapacity_ < to - from) {
    const size_t capacity = (to - from) < 256 ? 256 : to - from;
    auto* grown = new wchar_t[capacity];
    delete[] copy_;
    copy_ = grown;
    copyCapacity_ = capacity;
  }
  std::memcpy(offsets_, offsets, 2 * count * sizeof(size_t));
  if (to > from) std::memcpy(copy_, subject + from, (to - from) * sizeof(wchar_t));
  base_ = from;
  pending_ = count;
}

void clsRegExMatchList::BuildPending() const {
  const uint32_t n = pending_;
  pending_ = 0;
  for (uint32_t i = 0; i < n; ++i) {
    const size_t from = offsets_[2 * i], to = offsets_[2 * i + 1];
    String& s = NewRecord(from == ~size_t{0} || to < from ? -1 : static_cast<int32_t>(from))->text;
    s.Clear();  // keeps a buffer nobody else shares
    if (from != ~size_t{0} && to > from) s.Append(copy_ + (from - base_), static_cast<uint32_t>(to - from));
  }
}

// ---- clsRegEx ---------------------------------------------------------------------------

namespace {

uint32_t EngineCompileOptions(uint32_t options) {
  options &= clsRegEx::kCompileMask;
  uint32_t o = 0;
  if (options & clsRegEx::kCaseless) o |= PCRE2_CASELESS;
  if (options & clsRegEx::kMultiline) o |= PCRE2_MULTILINE;
  if (options & clsRegEx::kDotAll) o |= PCRE2_DOTALL;
  if (options & clsRegEx::kExtended) o |= PCRE2_EXTENDED;
  if (options & clsRegEx::kAnchored) o |= PCRE2_ANCHORED;
  if (options & clsRegEx::kDollarEndOnly) o |= PCRE2_DOLLAR_ENDONLY;
  if (options & clsRegEx::kUngreedy) o |= PCRE2_UNGREEDY;
  // kExtra (unknown escapes are errors) is the engine's fixed behaviour.
  return o;
}

// Dollar-end-only is in the match mask too, but it only means something at compile time.
uint32_t EngineMatchOptions(uint32_t options) {
  options &= clsRegEx::kMatchMask;
  uint32_t o = 0;
  if (options & clsRegEx::kAnchored) o |= PCRE2_ANCHORED;
  if (options & clsRegEx::kNotBOL) o |= PCRE2_NOTBOL;
  if (options & clsRegEx::kNotEOL) o |= PCRE2_NOTEOL;
  if (options & clsRegEx::kNotEmpty) o |= PCRE2_NOTEMPTY;
  return o;
}

}  // namespace

clsRegEx::~clsRegEx() { Release(); }

void clsRegEx::Release() {
  if (matchData_) pcre2_match_data_free(matchData_);
  if (matchContext_) pcre2_match_context_free(matchContext_);
  if (jitStack_) pcre2_jit_stack_free(jitStack_);
  if (code_) pcre2_code_free(code_);  // also frees the JIT code
  matchData_ = nullptr;
  matchContext_ = nullptr;
  jitStack_ = nullptr;
  code_ = nullptr;
  captureCount_ = 0;
}

bool clsRegEx::Compile() {
  Release();
  error_.Clear();
  int errorCode = 0;
  PCRE2_SIZE errorOffset = 0;
  code_ = pcre2_compile(reinterpret_cast<PCRE2_SPTR>(pattern_.c_str()), pattern_.Length(),
                        EngineCompileOptions(options_), &errorCode, &errorOffset, nullptr);
  if (!code_) {
    PCRE2_UCHAR text[256];
    if (pcre2_get_error_message(errorCode, text, 256) < 0) text[0] = 0;
    error_ = reinterpret_cast<const wchar_t*>(text);
    ovut::debug::Warning(L"Error in RegEx offset %d: '%s'", static_cast<int>(errorOffset), error_.c_str());
    return false;
  }
  // JIT is an accelerator only: without it the interpreter runs the same pattern.
  pcre2_jit_compile(code_, PCRE2_JIT_COMPLETE);
  pcre2_pattern_info(code_, PCRE2_INFO_CAPTURECOUNT, &captureCount_);
  matchData_ = pcre2_match_data_create_from_pattern(code_, nullptr);
  matchContext_ = pcre2_match_context_create(nullptr);
  if (!matchData_ || !matchContext_) {
    Release();
    error_ = L"out of memory";
    ovut::debug::Warning(L"Error in RegEx offset %d: '%s'", 0, error_.c_str());
    return false;
  }
  pcre2_set_match_limit(matchContext_, kMatchLimit);
  pcre2_set_depth_limit(matchContext_, kDepthLimit);
  pcre2_set_heap_limit(matchContext_, kHeapLimitKiB);
  return true;
}

int clsRegEx::Run(const wchar_t* subject, size_t length, uint32_t extraEngine, clsRegExMatchList* matches) {
  if (!code_ && !Compile()) return 0;
  if (length > static_cast<size_t>(INT32_MAX)) return 0;  // offsets are 32-bit
  if (!subject) subject = L"";
  auto s = reinterpret_cast<PCRE2_SPTR>(subject);
  uint32_t options = EngineMatchOptions(options_) | extraEngine;
  int rc = pcre2_match(code_, s, length, 0, options, matchData_, matchContext_);
  if (rc == PCRE2_ERROR_JIT_STACKLIMIT && !jitStack_) {
    jitStack_ = pcre2_jit_stack_create(64 * 1024, kJitStackMax, nullptr);
    if (jitStack_) {
      pcre2_jit_stack_assign(matchContext_, nullptr, jitStack_);
      rc = pcre2_match(code_, s, length, 0, options, matchData_, matchContext_);
    }
  }
  if (rc == PCRE2_ERROR_JIT_STACKLIMIT)
    rc = pcre2_match(code_, s, length, 0, options | PCRE2_NO_JIT, matchData_, matchContext_);
  if (rc < 0) return 0;  // no match, or a limit was hit
  if (rc == 0) {
    ovut::debug::Warning(L"clsRegEx: error: vector too small, or something else happened");
    return 0;
  }
  if (matches) matches->SetGroups(subject, pcre2_get_ovector_pointer(matchData_), static_cast<uint32_t>(rc));
  return rc;
}

bool clsRegEx::Exec(const wchar_t* subject, size_t length, clsRegExMatchList* matches) {
  if (matches) matches->Clear();
  return Run(subject, length, 0, matches) > 0;
}

bool clsRegEx::Exec(const String& subject, clsRegExMatchList* matches) {
  return Exec(subject.c_str(), subject.Length(), matches);
}

bool clsRegEx::Exec(const wchar_t* subject, clsRegExMatchList* matches) {
  return Exec(subject, subject ? wcslen(subject) : 0, matches);
}

String clsRegEx::Match(const clsRegExMatchList& matches, int index) {
  const scRegExMatch* m = index >= 0 ? matches.At(static_cast<uint32_t>(index)) : nullptr;
  if (!m) {
    ovut::debug::Warning(L"ERR: clsRegEx: Match(%d) not found (index too large, found only %d entries)", index,
                         static_cast<int>(matches.Count()));
    return String();
  }
  return m->text;
}
