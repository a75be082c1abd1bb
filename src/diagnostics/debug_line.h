// Layout of one channel line and its cutting into viewer pieces. Pure functions: no state, no I/O.
#pragma once
#include <windows.h>
#include <cstddef>
#include <cstdint>

namespace ovut::debug {

constexpr int kLineUnits = 1024;  // whole line, prefix included
constexpr int kPieceBytes = 510;  // below the mailslot message limit
constexpr int kMaxIndent = 50;
constexpr int kStampUnits = 16;   // room for either time-stamp form

// Fields of the line prefix; `module` null (or empty) means no module column.
struct LinePrefix {
  const wchar_t* module = nullptr;
  size_t moduleLength = 0;
  const wchar_t* stamp = L"";
  DWORD thread = 0;
  DWORD processor = 0;
  uint32_t sequence = 0;
  int level = 0;  // shared indentation level, clamped to 0..kMaxIndent here
};

// "hh:mm:ss.mmm" and "mm:ss.mmm" (minutes and seconds taken modulo 60).
void FormatLocalStamp(const SYSTEMTIME& t, wchar_t (&out)[kStampUnits]);
void FormatElapsedStamp(uint64_t milliseconds, wchar_t (&out)[kStampUnits]);

// Writes the prefix into `out` (kLineUnits + 1 units) and returns its length.
int BuildPrefix(const LinePrefix& p, wchar_t* out);

// Appends `text` after `length` units already in `line`, cut so the whole stays within
// kLineUnits without splitting a surrogate pair; terminates and returns the new length.
int AppendCut(wchar_t* line, int length, const wchar_t* text, size_t textLength);

// Receives the pieces of a converted line.
class IPieceSink {
 public:
  virtual void Piece(const char* bytes, int count) = 0;
  virtual void Bell() = 0;

 protected:
  ~IPieceSink() = default;
};

// Cuts converted bytes into pieces: leading CR/LF skipped, BEL rings and is dropped, CR, LF or
// CR LF ends a piece, a piece is at most kPieceBytes and never ends inside a character of
// `codePage` (65001 or an ANSI page, 0 = CP_ACP).
void SplitPieces(const char* bytes, int count, UINT codePage, IPieceSink& sink);

}  // namespace ovut::debug
