// The profile text reader: a line-oriented reader of the three stored forms (mode 0 INI,
// 1 XML, 2 XFDF) that appends what it reads to a list. It recognises the line structure the
// tree writer produces and tolerates blanks, blank lines, comments and unknown tags. Nested
// lists are kept on an explicit stack, without recursion; text that nests lists deeper than
// kMaxListDepth (tree_depth.h) below the root is a format error in every mode, and so is an
// XFDF value whose joined field name exceeds 4,096 units. Time and memory are linear in the
// text.
#pragma once
#include <cstdint>
#include <vector>

#include "foundation/string.h"

class clsItemList;

namespace ovut::persist {

class clsLineSource;

enum Mode { kModeIni = 0, kModeXml = 1, kModeXfdf = 2 };

// A format error: the line counter at that point and one of the reader's fixed messages.
struct clsLoadException {
  uint32_t line;
  String message;
  std::vector<String> fieldNames;  // XFDF field-name stack at the time
};

// Reads until the element that `level` stands in ends or the text runs out. A whole document
// starts at level -1. Lists completed before an error stay in `list`; the lists still open at
// the error are discarded. Throws clsLoadException (and std::bad_alloc).
void ReadProfileText(clsItemList& list, int level, clsLineSource& lines, int mode, uint32_t& lineCounter);

// Text whose first line is a "[name]" header other than "[/]": the header is consumed and the
// rest read at level 0 in INI mode into `root`. 1, or 0 after reporting a format error; a read
// failure of `lines` gives 1 and is left to the caller, which checks its status.
int ReadNamedRootIni(clsItemList& root, clsLineSource& lines);

}  // namespace ovut::persist
