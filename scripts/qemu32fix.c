/* qemu32fix: preloaded into every 32-bit Linux program that qemu-i386 runs for the 32-bit test run
 * (through the private root's /etc/ld.so.preload, see setup32.sh). It makes up for gaps of qemu 7.2
 * user mode that 32-bit Wine depends on:
 *   A. fault signals arrive with trap number -1 in their context;
 *   B. MAP_FIXED_NOREPLACE is treated as a hint;
 *   C. one descriptor table (GDT) serves all threads, so thread-local segments are shared.
 * Freestanding: built with gcc -m32 -nostdlib against the root's libc, without 32-bit C headers,
 * so the few types and constants it needs are declared here. */

typedef struct { int signo, err, code; } siginfo_head;                  /* start of siginfo_t */
struct kernel_sigaction { void *handler; unsigned long mask[32]; int flags; void (*restorer)(void); };
typedef void (*handler_fn)(int, siginfo_head *, void *);
struct user_desc { unsigned entry, base, limit, flags; };

extern void *dlsym(void *, const char *);
extern int *__errno_location(void);
extern int munmap(void *, unsigned);
extern int pthread_key_create(unsigned *, void (*)(void *));
extern int pthread_setspecific(unsigned, const void *);
extern int pthread_sigmask(int, const void *, void *);
extern void *malloc(unsigned);
extern void free(void *);
#define NEXT(name) dlsym((void *)-1L, name) /* RTLD_NEXT */

enum { SIGILL_ = 4, SIGTRAP_ = 5, SIGBUS_ = 7, SIGFPE_ = 8, SIGSEGV_ = 11, SA_SIGINFO_ = 4 };
enum { MAP_FIXED_NOREPLACE_ = 0x100000, EEXIST_ = 17, ENOSYS_ = 38 };
enum { NR_MODIFY_LDT = 123, NR_SET_THREAD_AREA = 243, GLIBC_TLS_SELECTOR = 0x33 };
enum { DESC_32BIT = 0x1, DESC_LIMIT_IN_PAGES = 0x10, DESC_USABLE = 0x40 };

/* A. Wine reads the trap number of a fault to tell an access violation from other exceptions; an
 *    unknown one becomes EXCEPTION_ILLEGAL_INSTRUCTION. Handlers for fault signals are wrapped and
 *    get the number the kernel would have given for the signal and its code. */
static handler_fn app_handler[32];

static int trap_for(int sig, int code) {
  switch (sig) {
  case SIGSEGV_: return code == 0x80 ? 13 : 14;                   /* SI_KERNEL: general protection */
  case SIGBUS_:  return code == 1 ? 17 : code == 0x80 ? 11 : 14;  /* BUS_ADRALN: alignment check */
  case SIGILL_:  return 6;                                         /* invalid opcode */
  case SIGFPE_:  return code == 1 ? 0 : code == 2 ? 4 : 16;        /* divide, overflow, x87 */
  case SIGTRAP_: return code == 2 ? 1 : 3;                         /* TRAP_TRACE: single step */
  }
  return -1;
}

static void fault_wrapper(int sig, siginfo_head *si, void *uc) {
  int *trapno = (int *)((char *)uc + 20) + 12; /* uc_mcontext.gregs[REG_TRAPNO] (i386 layout) */
  if (*trapno < 0 || *trapno > 31 || (*trapno == 0 && sig != SIGFPE_)) *trapno = trap_for(sig, si->code);
  app_handler[sig](sig, si, uc);
}

int sigaction(int sig, const struct kernel_sigaction *act, struct kernel_sigaction *old) {
  static int (*real)(int, const struct kernel_sigaction *, struct kernel_sigaction *);
  if (!real) real = (int (*)(int, const struct kernel_sigaction *, struct kernel_sigaction *))NEXT("sigaction");
  handler_fn previous = app_handler[sig & 31];
  struct kernel_sigaction wrapped;
  if (act && trap_for(sig, 0) >= 0 && (act->flags & SA_SIGINFO_) && (unsigned long)act->handler > 1 &&
      act->handler != (void *)fault_wrapper) {
    wrapped = *act;
    app_handler[sig] = (handler_fn)act->handler;
    wrapped.handler = (void *)fault_wrapper;
    act = &wrapped;
  }
  int ret = real(sig, act, old);
  if (old && old->handler == (void *)fault_wrapper) old->handler = (void *)previous; /* show the app's */
  return ret;
}

/* B. A busy range asked for with MAP_FIXED_NOREPLACE is mapped elsewhere instead of failing; Wine
 *    then keeps the stray mapping as reserved space, and reserving its address space turns into
 *    tens of thousands of slow calls. Such a mapping is undone and fails with EEXIST. */
void *mmap64(void *addr, unsigned len, int prot, int flags, int fd, long long off) {
  static void *(*real)(void *, unsigned, int, int, int, long long);
  if (!real) real = (void *(*)(void *, unsigned, int, int, int, long long))NEXT("mmap64");
  if (!(flags & MAP_FIXED_NOREPLACE_) || !addr) return real(addr, len, prot, flags, fd, off);
  void *got = real(addr, len, prot, flags & ~MAP_FIXED_NOREPLACE_, fd, off);
  if (got == (void *)-1 || got == addr) return got;
  munmap(got, len);
  *__errno_location() = EEXIST_;
  return (void *)-1;
}
void *mmap(void *addr, unsigned len, int prot, int flags, int fd, long off) {
  return mmap64(addr, len, prot, flags, fd, off);
}

/* C1. Wine gives %fs (the TEB) a GDT selector through set_thread_area when it can; with one GDT
 *     for all threads, every thread would then see the TEB of the thread that set it last. Wine
 *     makes that call through syscall() (glibc's own calls do not): failing it there makes Wine
 *     fall back to an LDT selector per thread. */
long syscall(long nr, long a, long b, long c, long d, long e, long f) {
  static long (*real)(long, long, long, long, long, long, long);
  if (nr == NR_SET_THREAD_AREA) { *__errno_location() = ENOSYS_; return -1; }
  if (!real) real = (long (*)(long, long, long, long, long, long, long))NEXT("syscall");
  return real(nr, a, b, c, d, e, f);
}

/* C2. glibc's thread pointer (%gs, GDT entry 6) is rewritten by every new thread, so a thread's %gs
 *     is right only until it is reloaded, which Wine does in its signal handlers and on every switch
 *     between Windows and Unix code. Each thread gets an LDT entry of its own (1..511; Wine takes its
 *     own entries above 511) holding its thread pointer, and %gs is pointed at that entry. */
static long (*raw_syscall)(long, ...);
static unsigned char ldt_used[512];
static unsigned slot_key;
static volatile int create_lock;

static unsigned thread_pointer(void) { unsigned b; __asm__ volatile("movl %%gs:0,%0" : "=r"(b)); return b; }
static void load_gs(unsigned sel) { __asm__ volatile("movw %w0,%%gs" : : "r"(sel)); }
static unsigned current_gs(void) { unsigned s = 0; __asm__ volatile("movw %%gs,%w0" : "+r"(s)); return s; }
static void release_slot(void *slot) { __atomic_store_n(&ldt_used[(unsigned)slot], 0, __ATOMIC_RELEASE); }

static void own_gs(void) {
  unsigned i, base = thread_pointer();
  for (i = 1; i < 512; i++)
    if (!__atomic_exchange_n(&ldt_used[i], 1, __ATOMIC_ACQ_REL)) break;
  if (i == 512) return; /* none left: keep the shared entry */
  struct user_desc d = { i, base, 0xfffff, DESC_32BIT | DESC_LIMIT_IN_PAGES | DESC_USABLE };
  if (raw_syscall(NR_MODIFY_LDT, 1, &d, sizeof d) != 0) { ldt_used[i] = 0; return; }
  load_gs((i << 3) | 7); /* LDT, ring 3 */
  if (slot_key) pthread_setspecific(slot_key, (void *)i); /* freed when the thread ends */
}

struct start { void *(*fn)(void *); void *arg; };
static void *start_thread(void *p) {
  struct start s = *(struct start *)p;
  free(p);
  own_gs();
  return s.fn(s.arg);
}

int pthread_create(unsigned long *t, const void *attr, void *(*fn)(void *), void *arg) {
  static int (*real)(unsigned long *, const void *, void *(*)(void *), void *);
  if (!real) real = (int (*)(unsigned long *, const void *, void *(*)(void *), void *))NEXT("pthread_create");
  unsigned sel = current_gs();
  struct start *s = malloc(sizeof *s);
  if (!(sel & 4) || !s) { free(s); return real(t, attr, fn, arg); } /* caller not on an LDT entry */
  s->fn = fn;
  s->arg = arg;
  /* glibc sets up the new thread's GDT entry from the caller's %gs selector: lend it entry 6 filled
   * with the caller's own thread pointer, with signals blocked and one creation at a time. */
  unsigned long all[32], old[32];
  for (int i = 0; i < 32; i++) all[i] = ~0ul;
  pthread_sigmask(0, all, old); /* SIG_BLOCK */
  while (__atomic_exchange_n(&create_lock, 1, __ATOMIC_ACQUIRE)) {}
  struct user_desc d = { 6, thread_pointer(), 0xfffff, DESC_32BIT | DESC_LIMIT_IN_PAGES | DESC_USABLE };
  raw_syscall(NR_SET_THREAD_AREA, &d);
  load_gs(GLIBC_TLS_SELECTOR);
  int ret = real(t, attr, start_thread, s);
  load_gs(sel);
  __atomic_store_n(&create_lock, 0, __ATOMIC_RELEASE);
  pthread_sigmask(2, old, 0); /* SIG_SETMASK */
  if (ret) free(s);
  return ret;
}

__attribute__((constructor)) static void init(void) {
  raw_syscall = (long (*)(long, ...))NEXT("syscall");
  if (current_gs() != GLIBC_TLS_SELECTOR) return; /* not the layout this was made for */
  pthread_key_create(&slot_key, release_slot);
  own_gs();
}
