// Critical section with a scoped lock. The section is initialised in the constructor, so a
// process-wide instance must be constructed at attach (see dll/lifecycle.cpp), not lazily.
#pragma once
#include <windows.h>

namespace ovut {

class CriticalSection {
 public:
  explicit CriticalSection(DWORD spin = 0) { InitializeCriticalSectionAndSpinCount(&cs_, spin); }
  ~CriticalSection() { DeleteCriticalSection(&cs_); }
  CriticalSection(const CriticalSection&) = delete;
  CriticalSection& operator=(const CriticalSection&) = delete;
  void Enter() { EnterCriticalSection(&cs_); }
  void Leave() { LeaveCriticalSection(&cs_); }
  bool TryEnter() { return TryEnterCriticalSection(&cs_) != 0; }

 private:
  CRITICAL_SECTION cs_;
};

class AutoLock {
 public:
  explicit AutoLock(CriticalSection& cs) : cs_(cs) { cs_.Enter(); }
  ~AutoLock() { cs_.Leave(); }
  AutoLock(const AutoLock&) = delete;
  AutoLock& operator=(const AutoLock&) = delete;

 private:
  CriticalSection& cs_;
};

// Holds a slim reader/writer lock exclusively for its scope.
class ExclusiveSrwLock {
 public:
  explicit ExclusiveSrwLock(SRWLOCK& lock) : lock_(lock) { AcquireSRWLockExclusive(&lock_); }
  ~ExclusiveSrwLock() { ReleaseSRWLockExclusive(&lock_); }
  ExclusiveSrwLock(const ExclusiveSrwLock&) = delete;
  ExclusiveSrwLock& operator=(const ExclusiveSrwLock&) = delete;

 private:
  SRWLOCK& lock_;
};

}  // namespace ovut
