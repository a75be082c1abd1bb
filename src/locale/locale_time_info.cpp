#include "locale/locale_time_info.h"

#include <cwctype>
#include <memory>
#include <new>
#include <vector>

#include "foundation/critical_section.h"

namespace ovut::locale {
namespace {

String ReadInfo(LCID lcid, LCTYPE type) {
  wchar_t buf[10];  // the conventions read here are short; a longer value reads as absent
  int n = GetLocaleInfoW(lcid, type, buf, 10);
  return n > 1 ? String(buf, 0, n - 1) : String();
}

// Every ASCII character that is not a letter or digit is escaped: the engine takes "\x" for
// any such x as the literal, and no separator can open a group or an alternative.
String Escaped(const String& text) {
  String out;
  for (uint32_t i = 0; i < text.Length(); ++i) {
    wchar_t c = text.At(i);
    if (c < 0x80 && !iswalnum(c)) out.Append(L'\\');
    out.Append(c);
  }
  return out;
}

volatile LONG g_compiled = 0;
constexpr size_t kMaxCachedLocales = 256;

}  // namespace

clsLocaleTimeInfo::clsLocaleTimeInfo(LCID id) : lcid(id) {
  dateSeparator = ReadInfo(id, LOCALE_SDATE);
  if (dateSeparator.IsEmpty()) dateSeparator = L".";
  timeSeparator = ReadInfo(id, LOCALE_STIME);
  if (timeSeparator.IsEmpty()) timeSeparator = L":";
  String order = ReadInfo(id, LOCALE_IDATE);
  dateOrder = order == L"0" ? kMonthDayYear : order == L"2" ? kYearMonthDay : kDayMonthYear;
  am = ReadInfo(id, LOCALE_S1159);
  pm = ReadInfo(id, LOCALE_S2359);
  twelveHour = ReadInfo(id, LOCALE_ITIME) == L"0";
}

String LocaleDatePattern(const clsLocaleTimeInfo& info) {
  const String d = Escaped(info.dateSeparator), t = Escaped(info.timeSeparator);
  // The last date number may not be the start of a time ("10:75" is a time of today, not the
  // year 1 at 0:75), hence the look-ahead after group 3. A separator may end the date, as in
  // the short dates of locales written "yyyy. MM. dd.".
  String date = String::Formatted(
      L"(?:(\\d+)\\s*%s\\s*)?(?:(\\d+)\\s*%s\\s*)?(?:(\\d+)(?!\\d|\\s*%s))?(?:\\s*%s)?", d.c_str(), d.c_str(),
      t.c_str(), d.c_str());
  String time = String::Formatted(L"(\\d+)(?:\\s*%s\\s*(\\d+))?(?:\\s*%s\\s*(\\d+))?(\\s*[AP]M?|\\.\\d+)?",
                                  t.c_str(), t.c_str());
  return String::Formatted(L"^%s[ ,]*(?:$|%s$)", date.c_str(), time.c_str());
}

namespace {

// Compiled copies of one pattern that are not lent out. Capacity for every copy in existence is
// reserved while lending, so giving one back never allocates.
struct PatternPool {
  PatternPool(const String& p, uint32_t o) : pattern(p), options(o) {}
  ~PatternPool() {
    for (clsPooledPattern* r : spare) delete r;
  }
  const String pattern;
  const uint32_t options;
  std::vector<clsPooledPattern*> spare;
  size_t lent = 0;
};

struct LocaleEntry {
  explicit LocaleEntry(LCID lcid) : info(lcid), pool(LocaleDatePattern(info), clsRegEx::kCaseless) {}
  const clsLocaleTimeInfo info;
  PatternPool pool;
};

struct LocaleCache {
  CriticalSection lock;  // guards everything below and every pool's spare list
  std::vector<std::unique_ptr<LocaleEntry>> locales;
  std::vector<std::unique_ptr<PatternPool>> pools;  // patterns not tied to a locale
};
LocaleCache* g_cache = nullptr;

clsPooledPattern* NewCompiled(const String& pattern, uint32_t options) {
  std::unique_ptr<clsPooledPattern> r(new clsPooledPattern(pattern, options));
  r->regex.Compile();
  InterlockedIncrement(&g_compiled);
  return r.release();
}

// Under the cache lock: a spare copy, or null when a new one must be compiled (counted as lent).
clsPooledPattern* Borrow(PatternPool& pool) {
  pool.spare.reserve(pool.spare.size() + pool.lent + 1);
  ++pool.lent;
  if (pool.spare.empty()) return nullptr;
  clsPooledPattern* r = pool.spare.back();
  pool.spare.pop_back();
  return r;
}

}  // namespace

void InitializeLocaleCache() {
  if (!g_cache) g_cache = new (std::nothrow) LocaleCache;
}

void ShutdownLocaleCache() {
  delete g_cache;
  g_cache = nullptr;
}

long PatternsCompiledForTesting() { return g_compiled; }

void clsPatternLease::Lend(void* pool, const String& pattern, uint32_t options) {
  if (pool) {
    AutoLock hold(g_cache->lock);
    item_ = Borrow(*static_cast<PatternPool*>(pool));
    pool_ = pool;
  }
  if (!item_) {
    try {
      item_ = NewCompiled(pattern, options);  // outside the lock: compiling is the slow part
    } catch (...) {
      if (pool_) {
        AutoLock hold(g_cache->lock);
        --static_cast<PatternPool*>(pool_)->lent;
        pool_ = nullptr;
      }
      throw;
    }
  }
}

clsPatternLease::clsPatternLease(const wchar_t* pattern, uint32_t options) {
  PatternPool* pool = nullptr;
  if (g_cache) {
    AutoLock hold(g_cache->lock);
    for (auto& p : g_cache->pools)
      if (p->options == options && p->pattern == pattern) {
        pool = p.get();
        break;
      }
    if (!pool && g_cache->pools.size() < kMaxCachedLocales) {
      g_cache->pools.push_back(std::make_unique<PatternPool>(pattern, options));
      pool = g_cache->pools.back().get();
    }
  }
  Lend(pool, pool ? pool->pattern : String(pattern), options);
}

clsPatternLease::~clsPatternLease() {
  if (!item_) return;
  if (!pool_ || !g_cache) {
    delete item_;
    return;
  }
  AutoLock hold(g_cache->lock);
  auto* pool = static_cast<PatternPool*>(pool_);
  --pool->lent;
  pool->spare.push_back(item_);
}

clsLocaleLease::clsLocaleLease(LCID lcid) {
  LocaleEntry* entry = nullptr;
  if (g_cache) {
    AutoLock hold(g_cache->lock);
    for (auto& e : g_cache->locales)
      if (e->info.lcid == lcid) {
        entry = e.get();
        break;
      }
    if (!entry && g_cache->locales.size() < kMaxCachedLocales) {
      g_cache->locales.push_back(std::make_unique<LocaleEntry>(lcid));
      entry = g_cache->locales.back().get();
    }
  }
  if (entry) {
    info_ = &entry->info;
    pattern_.Lend(&entry->pool, entry->pool.pattern, entry->pool.options);
  } else {  // before attach, or more locales than the cache keeps
    owned_.reset(new clsLocaleTimeInfo(lcid));
    info_ = owned_.get();
    pattern_.Lend(nullptr, LocaleDatePattern(*info_), clsRegEx::kCaseless);
  }
}

clsLocaleLease::~clsLocaleLease() = default;

}  // namespace ovut::locale
