// clsRegEx: one pattern run over UTF-16 text by the PCRE2 engine (16-bit code units, no UTF
// check, so any unit sequence is a valid subject). Every match runs under the engine's match,
// depth and heap limits: patterns from this library run over untrusted documents, and a limit
// that is hit counts as "no match".
#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

#include "foundation/string.h"

struct pcre2_real_code_16;
struct pcre2_real_match_data_16;
struct pcre2_real_match_context_16;
struct pcre2_real_jit_stack_16;

// One captured group: start offset in UTF-16 units within the searched text (-1 when the group
// did not take part in the match) and its text.
struct scRegExMatch {
  int32_t start = -1;
  String text;
  scRegExMatch* next = nullptr;
};

// Singly linked list of match records in group order: record 0 is the whole match. An engine
// run only notes the groups' offsets and copies the matched stretch of the subject; the records
// are built when the list is first read, so a caller that only asks whether a pattern matched
// pays for no records. Cleared records and buffers are kept for reuse, so a list that serves
// many matches stops allocating. One thread at a time.
class clsRegExMatchList {
 public:
  clsRegExMatchList() = default;
  ~clsRegExMatchList();
  clsRegExMatchList(const clsRegExMatchList&) = delete;
  clsRegExMatchList& operator=(const clsRegExMatchList&) = delete;

  void Clear();
  void Append(int32_t start, const String& text);
  void Append(int32_t start, const wchar_t* text, uint32_t count);
  uint32_t Count() const { return count_ + pending_; }
  const scRegExMatch* First() const {
    Build();
    return head_;
  }
  const scRegExMatch* At(uint32_t index) const;  // null when out of range

  // The groups of one engine run: `count` pairs of offsets into `subject` (an unset group has
  // a start of ~0). Replaces what the list held.
  void SetGroups(const wchar_t* subject, const size_t* offsets, uint32_t count);

 private:
  mutable scRegExMatch* head_ = nullptr;
  mutable scRegExMatch* tail_ = nullptr;
  mutable scRegExMatch* spare_ = nullptr;
  mutable uint32_t count_ = 0;
  // Groups noted by SetGroups and not yet made records: their offsets (from, to; from ~0 when
  // unset) and a copy of the subject from base_ on.
  mutable uint32_t pending_ = 0;
  size_t base_ = 0;
  size_t* offsets_ = nullptr;
  uint32_t offsetCapacity_ = 0;
  wchar_t* copy_ = nullptr;
  size_t copyCapacity_ = 0;

  scRegExMatch* NewRecord(int32_t start) const;
  void Build() const {
    if (pending_) BuildPending();
  }
  void BuildPending() const;
};

// Supplies the replacement of one match for clsRegEx::GSub.
class IclsRegExGSubCB {
 public:
  virtual String Replacement(const clsRegExMatchList& matches) = 0;

 protected:
  ~IclsRegExGSubCB() = default;
};

class clsRegEx {
 public:
  // Compile options (masked by kCompileMask).
  static constexpr uint32_t kCaseless = 0x1;
  static constexpr uint32_t kMultiline = 0x2;
  static constexpr uint32_t kDotAll = 0x4;
  static constexpr uint32_t kExtended = 0x8;
  static constexpr uint32_t kAnchored = 0x10;        // compile and match
  static constexpr uint32_t kDollarEndOnly = 0x20;
  static constexpr uint32_t kExtra = 0x40;           // unknown escapes are errors (always so)
  static constexpr uint32_t kUngreedy = 0x200;
  // Match options (masked by kMatchMask).
  static constexpr uint32_t kNotBOL = 0x80;
  static constexpr uint32_t kNotEOL = 0x100;
  static constexpr uint32_t kNotEmpty = 0x400;
  static constexpr uint32_t kCompileMask = 0x27F;
  static constexpr uint32_t kMatchMask = 0x5B0;

  // Engine limits per match.
  static constexpr uint32_t kMatchLimit = 1000000;
  static constexpr uint32_t kDepthLimit = 1000000;
  static constexpr uint32_t kHeapLimitKiB = 65536;
  // The JIT starts on a small machine-stack block; a pattern that needs more gets a stack of
  // its own, up to this size, then falls back to the interpreter (whose frames are on the heap).
  static constexpr size_t kJitStackMax = 4u << 20;

  clsRegEx() = default;
  clsRegEx(const String& pattern, uint32_t options = 0) : pattern_(pattern), options_(options) {}
  clsRegEx(const wchar_t* pattern, uint32_t options = 0) : pattern_(pattern), options_(options) {}
  ~clsRegEx();
  clsRegEx(const clsRegEx&) = delete;
  clsRegEx& operator=(const clsRegEx&) = delete;

  bool Compile();
  bool IsCompiled() const { return code_ != nullptr; }
  const String& Pattern() const { return pattern_; }
  uint32_t Options() const { return options_; }
  const String& LastError() const { return error_; }
  uint32_t CaptureCount() const { return captureCount_; }

  // True when the pattern matches; `matches` (optional) is cleared and, on a match, filled
  // with one record per group the engine reports.
  bool Exec(const String& subject, clsRegExMatchList* matches = nullptr);
  bool Exec(const wchar_t* subject, clsRegExMatchList* matches = nullptr);
  bool Exec(const wchar_t* subject, size_t length, clsRegExMatchList* matches);

  // Text of record `index`; empty text and an ERR line when the list is shorter.
  static String Match(const clsRegExMatchList& matches, int index);

  // Pieces between successive matches, then the remainder (possibly empty).
  std::vector<String> Split(const String& subject);
  // For every successive match: the text of group 1, or the whole match without groups.
  std::vector<String> Collect(const String& subject);
  // Every match replaced by the template: \d inserts group d, \\ stays as written.
  String GSub(const String& subject, const String& replacementTemplate);
  String GSub(const String& subject, IclsRegExGSubCB& callback);

 private:
  void Release();
  // One engine run over subject[0, length) with the stored match options plus `extraEngine`
  // (PCRE2 bits). Returns the number of groups reported (records put into `matches` when given),
  // 0 when there is no match.
  int Run(const wchar_t* subject, size_t length, uint32_t extraEngine, clsRegExMatchList* matches);
  template <class OnMatch>
  void WalkMatches(const String& subject, OnMatch&& onMatch);

  String pattern_;
  uint32_t options_ = 0;
  String error_;
  pcre2_real_code_16* code_ = nullptr;
  pcre2_real_match_data_16* matchData_ = nullptr;
  pcre2_real_match_context_16* matchContext_ = nullptr;
  pcre2_real_jit_stack_16* jitStack_ = nullptr;
  uint32_t captureCount_ = 0;
};
