// How deep profile lists may nest. Real profiles use a handful of levels; the bound keeps every
// walk, every stored form and every indentation of a tree small, whatever a file or a caller
// asks for. A list at depth d lies d list items below its job's root (the root has depth 0).
// The reader fails a text that nests deeper with a format error; path operations that would
// create a list deeper create nothing; a copy that would end deeper copies nothing.
#pragma once
#include <cstdint>

class clsItemList;

namespace ovut::profile {

constexpr uint32_t kMaxListDepth = 1000;

// Indentation levels the writer and the debug listing spell out; a line deeper than this is
// indented as this level. Every tree within kMaxListDepth stays below it, so saved files of such
// trees keep their exact bytes; only the extra level of a stream object can reach it.
constexpr int kMaxIndentLevel = 1024;

inline int IndentLevel(int level) noexcept { return level < kMaxIndentLevel ? level : kMaxIndentLevel; }

// Depth of `list` below the root of its tree, counted no further than kMaxListDepth + 1.
uint32_t ListDepth(const clsItemList* list) noexcept;

// Levels of lists below `list` (0 for a list without sub-lists), counted no further than
// `limit` + 1: a walk of the list's items, without recursion.
uint32_t ListHeight(const clsItemList* list, uint32_t limit) noexcept;

}  // namespace ovut::profile
