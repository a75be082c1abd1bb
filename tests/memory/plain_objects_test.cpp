// Plain (non-debug) objects: the free path proves a pointer is a live object of its own heap
// before it touches it. Each case runs quiet (the lean path) and with the lines captured (the
// reporting path); both must refuse the same pointers and keep the same counts.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <vector>

#include "memory/line_capture.h"
#include "memory/object_layout.h"
#include "memory/registry.h"

namespace mem = ovut::memory;

namespace {

class PlainHeaps : public ::testing::TestWithParam<bool> {
 protected:
  void SetUp() override {
    module_ = mem::JobOpen(L"PlainMod", 0, OVUT_STACK_START());
    mine_ = mem::CreateHeap(module_, L"mine", 0, OVUT_STACK_START());
    theirs_ = mem::CreateHeap(module_, L"theirs", 0, OVUT_STACK_START());
    if (GetParam()) lines_ = std::make_unique<LineCapture>();
  }
  void TearDown() override {
    lines_.reset();
    LineCapture quiet;
    mem::JobClose(module_);
  }
  void* Alloc(void* heap, int size) { return mem::ObjectAlloc(heap, size, 0, 0, OVUT_STACK_START()); }
  LONG Live(void* heap) {
    mem::scHeapStats s = {};
    EXPECT_TRUE(mem::GetHeapStats(heap, &s));
    return s.liveObjects;
  }
  // The refusal was reported when lines are captured.
  void ExpectReported(const wchar_t* text) {
    if (lines_) { EXPECT_TRUE(lines_->Has(text)) << lines_->All(); }
  }

  void* module_ = nullptr;
  void* mine_ = nullptr;
  void* theirs_ = nullptr;
  std::unique_ptr<LineCapture> lines_;
};

TEST_P(PlainHeaps, PointersThatAreNotLiveObjectsOfTheHeapAreRefusedUntouched) {
  auto* live = static_cast<unsigned char*>(Alloc(mine_, 32));
  ASSERT_NE(live, nullptr);
  std::memset(live, 0x5A, 32);

  // Another heap's object, and a block that merely looks like one (magic in front of it).
  void* foreign = Alloc(theirs_, 16);
  auto* forged = static_cast<uint32_t*>(HeapAlloc(GetProcessHeap(), 0, 64));
  forged[0] = mem::kPlainMagic;
  // Inside a live object, with the magic written in front of the inner pointer.
  std::memcpy(live + 4, &mem::kPlainMagic, 4);

  struct Case {
    const char* what;
    void* pointer;
    const wchar_t* report;
  } cases[] = {
      {"another heap's object", foreign, L"bad object size -1"},
      {"forged block", forged + 1, L"bad object size -1"},
      {"inside an object", live + 8, L"bad object size -1"},
      {"unreadable", reinterpret_cast<void*>(0x40), L"bad pointer (not readable)"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(mem::ObjectFree(mine_, c.pointer), mem::kBadObject) << c.what;
    ExpectReported(c.report);
  }
  EXPECT_EQ(forged[0], mem::kPlainMagic);
  EXPECT_EQ(mem::MagicBefore(foreign), mem::kPlainMagic);
  EXPECT_EQ(live[20], 0x5A);
  EXPECT_EQ(Live(mine_), 1);
  EXPECT_EQ(Live(theirs_), 1);
  EXPECT_EQ(mem::ValidateHeap(mine_, live), 0);

  EXPECT_EQ(mem::ObjectFree(theirs_, foreign), 0);
  EXPECT_EQ(mem::ObjectFree(mine_, live), 0);
  EXPECT_EQ(Live(mine_), 0);
  HeapFree(GetProcessHeap(), 0, forged);
}

TEST_P(PlainHeaps, UnderrunObjectStaysUntilRepaired) {
  void* p = Alloc(mine_, 8);
  const uint32_t magic = mem::kPlainMagic;
  std::memset(static_cast<char*>(p) - 4, 0x77, 4);
  EXPECT_EQ(mem::ObjectFree(mine_, p), mem::kBadObject);
  ExpectReported(L"bad pointer, or memory underrun (magic=0x77777777)");
  EXPECT_EQ(Live(mine_), 1);
  std::memcpy(static_cast<char*>(p) - 4, &magic, 4);
  EXPECT_EQ(mem::ObjectFree(mine_, p), 0);
  EXPECT_EQ(Live(mine_), 0);
}

// Many objects at once, freed in an order unlike their allocation: each free succeeds once and
// is refused the second time, also after the heap's bookkeeping has grown and shrunk again.
TEST_P(PlainHeaps, EveryObjectIsFreedExactlyOnce) {
  std::vector<void*> objects;
  for (int i = 0; i < 5000; ++i) objects.push_back(Alloc(mine_, 1 + i % 40));
  EXPECT_EQ(Live(mine_), 5000);
  for (size_t step : {size_t{2}, size_t{1}})  // odd indexes first, then the rest
    for (size_t i = step == 2 ? 1 : 0; i < objects.size(); i += step) {
      if (!objects[i]) continue;
      EXPECT_EQ(mem::ObjectFree(mine_, objects[i]), 0) << i;
      objects[i] = nullptr;
    }
  EXPECT_EQ(Live(mine_), 0);
  void* p = Alloc(mine_, 8);
  EXPECT_EQ(mem::ObjectFree(mine_, p), 0);
  EXPECT_EQ(mem::ObjectFree(mine_, p), mem::kBadObject);
  EXPECT_EQ(Live(mine_), 0);
  mem::scHeapStats s = {};
  ASSERT_TRUE(mem::GetHeapStats(mine_, &s));
  EXPECT_EQ(s.totalAllocations, 5001);
  EXPECT_EQ(s.maxLiveObjects, 5000);
}

struct Handoff {
  void* heap;
  std::vector<void*> objects;
  std::vector<int> results;
};

DWORD WINAPI FreeAll(void* p) {
  auto* h = static_cast<Handoff*>(p);
  for (void* o : h->objects) h->results.push_back(mem::ObjectFree(h->heap, o));
  return 0;
}

TEST_P(PlainHeaps, ObjectsFreedByAnotherThread) {
  Handoff h{mine_, {}, {}};
  for (int i = 0; i < 100; ++i) h.objects.push_back(Alloc(mine_, 24));
  h.objects.push_back(h.objects.front());  // a second free of the first one
  HANDLE t = CreateThread(nullptr, 0, FreeAll, &h, 0, nullptr);
  ASSERT_NE(t, nullptr);
  WaitForSingleObject(t, 60000);
  CloseHandle(t);
  ASSERT_EQ(h.results.size(), 101u);
  for (size_t i = 0; i < 100; ++i) EXPECT_EQ(h.results[i], 0) << i;
  EXPECT_EQ(h.results[100], mem::kBadObject);
  EXPECT_EQ(Live(mine_), 0);
}

INSTANTIATE_TEST_SUITE_P(QuietAndReported, PlainHeaps, ::testing::Bool(),
                         [](const ::testing::TestParamInfo<bool>& i) { return i.param ? "Reported" : "Quiet"; });

}  // namespace
