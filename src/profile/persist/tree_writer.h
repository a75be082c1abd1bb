// The tree writer: one walk over a profile list that emits the XML form (UTF-16), the INI form
// (UTF-16) or the XFDF export (8-bit, default String code page). Lines end with CR LF and are
// indented by level: level / 4 TABs and level % 4 spaces, no deeper than kMaxIndentLevel
// (tree_depth.h), so a line costs the same at any level. The walk keeps its own stack, so
// lists nested to any depth are written without deep recursion.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>

class clsFile;
class clsItemList;

namespace ovut::persist {

enum Form { kFormIni = 0, kFormXml = 1, kFormXfdf = 2 };

// Where the writer's output goes instead of a file (the deflate of a packed save).
class clsTextSink {
 public:
  // Takes `bytes` of output; false when they could not be taken.
  virtual bool Put(const void* data, size_t bytes) = 0;

 protected:
  ~clsTextSink() = default;
};

class clsTreeWriter {
 public:
  clsTreeWriter(clsFile& target, int form);
  clsTreeWriter(clsTextSink& sink, int form);
  ~clsTreeWriter();  // flushes what is left
  clsTreeWriter(const clsTreeWriter&) = delete;
  clsTreeWriter& operator=(const clsTreeWriter&) = delete;

  // The list at `level` (XML/XFDF: a list named "/" writes no element of its own). False as
  // soon as a line could not be written completely; the walk stops there.
  bool WriteList(const clsItemList& list, int level);
  // Whole-document framing: byte-order mark and header, or the XFDF prologue; the epilogue.
  bool WritePrologue();
  bool WriteEpilogue();
  // Pushes buffered output to the target; false when it fell short.
  bool Flush();

 private:
  void Indent(int level);
  void Text(const wchar_t* text) { line_.append(text); }
  bool EndLine();  // appends CR LF, moves the line to the output buffer
  bool ItemLine(const wchar_t* name, uint32_t nameLength, const wchar_t* value, uint32_t valueLength, int level);
  bool ListStart(const wchar_t* name, uint32_t length, int level);
  bool ListEnd(int level);

  bool Emit(const void* data, size_t bytes);  // to the target or the sink

  clsFile* target_ = nullptr;
  clsTextSink* sink_ = nullptr;
  int form_;
  bool ok_ = true;
  std::wstring line_;
  std::wstring wide_;    // pending UTF-16 output
  std::string narrow_;   // pending 8-bit output (XFDF)
};

// Upper-bound-like figure of the bytes WriteList will produce, from escaped lengths.
uint64_t SizeEstimate(const clsItemList& list, int level, int form) noexcept;

}  // namespace ovut::persist
