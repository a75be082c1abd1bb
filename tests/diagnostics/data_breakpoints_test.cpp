// Data breakpoints: what the calling thread's debug registers hold afterwards, read back with
// GetThreadContext. (Wine keeps the registers but raises nothing on a watched write, so the
// firing itself is not tested here.)
#include <gtest/gtest.h>
#include <windows.h>

#include "diagnostics/data_breakpoints.h"

namespace {

using ovut::debug::RemoveDataBreakpoint;
using ovut::debug::scDataBreakpoint;
using ovut::debug::SetDataBreakpoint;

CONTEXT Registers() {
  CONTEXT c = {};
  c.ContextFlags = CONTEXT_DEBUG_REGISTERS;
  EXPECT_TRUE(GetThreadContext(GetCurrentThread(), &c));
  return c;
}

UINT_PTR Address(const CONTEXT& c, int slot) {
  const decltype(c.Dr0) r[4] = {c.Dr0, c.Dr1, c.Dr2, c.Dr3};
  return static_cast<UINT_PTR>(r[slot]);
}

// Condition and length bits of one slot, and its local enable bit.
unsigned Field(const CONTEXT& c, int slot) { return static_cast<unsigned>((c.Dr7 >> (16 + 4 * slot)) & 0xF); }
bool Enabled(const CONTEXT& c, int slot) { return (c.Dr7 >> (2 * slot)) & 1; }

alignas(8) volatile char g_watched[64];

TEST(DataBreakpoints, FourSlotsThenNoneAndReuse) {
  scDataBreakpoint* bp[5];
  const int sizes[4] = {1, 2, 4, 4};
  for (int i = 0; i < 5; ++i) {
    bp[i] = SetDataBreakpoint(const_cast<char*>(g_watched + 8 * i), i < 4 ? sizes[i] : 1, i != 1);
    ASSERT_NE(bp[i], nullptr);
  }
  for (int i = 0; i < 4; ++i) EXPECT_EQ(bp[i]->slot, i);
  EXPECT_EQ(bp[4]->slot, -1);  // all four taken

  const CONTEXT c = Registers();
  for (int i = 0; i < 4; ++i) {
    EXPECT_TRUE(Enabled(c, i)) << i;
    EXPECT_EQ(Address(c, i), reinterpret_cast<UINT_PTR>(g_watched + 8 * i)) << i;
  }
  // condition in the low two bits (1 write, 3 read or write), length code above it
  EXPECT_EQ(Field(c, 0), 0x1u | (0u << 2));
  EXPECT_EQ(Field(c, 1), 0x3u | (1u << 2));
  EXPECT_EQ(Field(c, 2), 0x1u | (3u << 2));  // write-only, 4 bytes
  EXPECT_EQ(Field(c, 3), 0x1u | (3u << 2));

  RemoveDataBreakpoint(bp[1]);
  EXPECT_FALSE(Enabled(Registers(), 1));
  scDataBreakpoint* again = SetDataBreakpoint(const_cast<char*>(g_watched + 40), 2, TRUE);
  ASSERT_NE(again, nullptr);
  EXPECT_EQ(again->slot, 1);
  EXPECT_EQ(Address(Registers(), 1), reinterpret_cast<UINT_PTR>(g_watched + 40));

  RemoveDataBreakpoint(again);
  for (int i : {0, 2, 3, 4}) RemoveDataBreakpoint(bp[i]);
  RemoveDataBreakpoint(nullptr);
  const CONTEXT after = Registers();
  for (int i = 0; i < 4; ++i) EXPECT_FALSE(Enabled(after, i)) << i;
}

// The length field has two bits: other sizes would spill into the next slot's bits.
TEST(DataBreakpoints, SizesTheProcessorCannotWatchAreRefused) {
  for (int size : {0, 3, 5, 16, -4
#ifndef _WIN64
                   , 8
#endif
       }) {
    EXPECT_EQ(SetDataBreakpoint(const_cast<char*>(g_watched), size, TRUE), nullptr) << size;
  }
  EXPECT_EQ(Registers().Dr7 & 0xFF, 0u);
#ifdef _WIN64
  scDataBreakpoint* eight = SetDataBreakpoint(const_cast<char*>(g_watched), 8, TRUE);
  ASSERT_NE(eight, nullptr);
  ASSERT_EQ(eight->slot, 0);
  EXPECT_EQ(Field(Registers(), 0), 0x1u | (2u << 2));
  EXPECT_EQ(Registers().Dr7 >> 20, 0u);  // nothing beyond slot 0's field
  RemoveDataBreakpoint(eight);
#endif
}

}  // namespace
