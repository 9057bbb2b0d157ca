/* Preloaded into the converter by the fault tests (LD_PRELOAD): makes the
 * n-th file operation of one kind fail as a full disk or a refused
 * permission would, or kills the process right there.
 *
 *   ZEKO_FAULT_OP      open | write | rename | fsync | unlink
 *   ZEKO_FAULT_AT      n, counted from 1; 0 or unset: nothing fails
 *   ZEKO_FAULT_ERRNO   ENOSPC (default) | EACCES | EIO
 *   ZEKO_FAULT_ACTION  fail (default) | kill (SIGKILL instead of the call)
 *   ZEKO_FAULT_TRACE   file that receives one line per call as it happens:
 *                      kind, its number, and for a rename or an unlink
 *                      the name it changes
 *
 * The kinds: open = open, openat, creat, fopen (and their 64-bit names);
 * write = write, fwrite, fputs, fputc, putc, fflush and the flush in
 * fclose of a writable stream; rename = rename, renameat, renameat2;
 * fsync = fsync, fdatasync; unlink = unlink, unlinkat, remove. The standard
 * streams and descriptors 0 to 2 are never touched, so the converter's
 * message always gets out.
 *
 * Written in C and built apart from the test program: it replaces libc's
 * own entry points, which must never happen inside the tests themselves. */
#define _GNU_SOURCE
#include <dlfcn.h>
#include <errno.h>
#include <fcntl.h>
#include <signal.h>
#include <stdarg.h>
#include <stdio.h>
#include <stdio_ext.h>
#include <stdlib.h>
#include <string.h>
#include <sys/types.h>
#include <unistd.h>

enum { kOpen, kWrite, kRename, kSync, kUnlink, kKinds };
static const char* const kKindNames[kKinds] = {"open", "write", "rename", "fsync", "unlink"};

static int g_kind = -1;
static long g_at = 0;
static int g_errno = ENOSPC;
static int g_kill = 0;
static long g_count[kKinds];
static int g_trace = -1;

__attribute__((constructor)) static void Setup(void) {
  const char* op = getenv("ZEKO_FAULT_OP");
  const char* at = getenv("ZEKO_FAULT_AT");
  const char* err = getenv("ZEKO_FAULT_ERRNO");
  const char* action = getenv("ZEKO_FAULT_ACTION");
  for (int k = 0; op && k < kKinds; ++k)
    if (strcmp(op, kKindNames[k]) == 0) g_kind = k;
  if (at) g_at = atol(at);
  if (err && strcmp(err, "EACCES") == 0) g_errno = EACCES;
  if (err && strcmp(err, "EIO") == 0) g_errno = EIO;
  g_kill = action && strcmp(action, "kill") == 0;
  const char* trace = getenv("ZEKO_FAULT_TRACE");
  if (trace) {
    int (*real_open)(const char*, int, ...) = dlsym(RTLD_NEXT, "open");
    g_trace = real_open(trace, O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0600);
  }
}

/* One line of the trace, written at once: it must survive a kill. */
static void Trace(int kind, long n, const char* target) {
  if (g_trace < 0) return;
  const char* name = target ? strrchr(target, '/') : NULL;
  name = name ? name + 1 : (target ? target : "");
  char line[600];
  int length = snprintf(line, sizeof line, "%s %ld %s\n", kKindNames[kind], n, name);
  if (length < 0 || length >= (int)sizeof line) return;
  ssize_t (*real_write)(int, const void*, size_t) = dlsym(RTLD_NEXT, "write");
  if (real_write(g_trace, line, (size_t)length) != length) abort();
}

/* Counts one call of `kind` (`target`: what a rename replaces); true when
 * this call is the one to fail. */
static int FaultOn(int kind, const char* target) {
  long n = ++g_count[kind];
  Trace(kind, n, target);
  if (kind != g_kind || g_at <= 0 || n != g_at) return 0;
  if (g_kill) raise(SIGKILL);
  errno = g_errno;
  return 1;
}

static int Fault(int kind) { return FaultOn(kind, NULL); }

static int Standard(FILE* f) { return f == stdin || f == stdout || f == stderr; }

#define REAL(name) ((__typeof__(&name))dlsym(RTLD_NEXT, #name))

static int OpenWith(const char* symbol, int dirfd, const char* path, int flags, mode_t mode) {
  if (Fault(kOpen)) return -1;
  if (dirfd == -1) {
    int (*real)(const char*, int, ...) = dlsym(RTLD_NEXT, symbol);
    return real(path, flags, mode);
  }
  int (*real)(int, const char*, int, ...) = dlsym(RTLD_NEXT, symbol);
  return real(dirfd, path, flags, mode);
}

/* The mode argument comes only with O_CREAT or O_TMPFILE. */
#define OPEN_MODE(flags)                          \
  mode_t mode = 0;                                \
  if ((flags) & (O_CREAT | O_TMPFILE)) {          \
    va_list args;                                 \
    va_start(args, flags);                        \
    mode = (mode_t)va_arg(args, int);             \
    va_end(args);                                 \
  }

int open(const char* path, int flags, ...) {
  OPEN_MODE(flags);
  return OpenWith("open", -1, path, flags, mode);
}

int open64(const char* path, int flags, ...) {
  OPEN_MODE(flags);
  return OpenWith("open64", -1, path, flags, mode);
}

int openat(int dirfd, const char* path, int flags, ...) {
  OPEN_MODE(flags);
  return OpenWith("openat", dirfd, path, flags, mode);
}

int openat64(int dirfd, const char* path, int flags, ...) {
  OPEN_MODE(flags);
  return OpenWith("openat64", dirfd, path, flags, mode);
}

int creat(const char* path, mode_t mode) {
  if (Fault(kOpen)) return -1;
  return REAL(creat)(path, mode);
}

FILE* fopen(const char* path, const char* mode) {
  if (Fault(kOpen)) return NULL;
  return REAL(fopen)(path, mode);
}

FILE* fopen64(const char* path, const char* mode) {
  if (Fault(kOpen)) return NULL;
  return REAL(fopen64)(path, mode);
}

ssize_t write(int fd, const void* data, size_t size) {
  if (fd > 2 && Fault(kWrite)) return -1;
  return REAL(write)(fd, data, size);
}

size_t fwrite(const void* data, size_t size, size_t count, FILE* f) {
  if (!Standard(f) && size * count > 0 && Fault(kWrite)) return 0;
  return REAL(fwrite)(data, size, count, f);
}

int fputs(const char* text, FILE* f) {
  if (!Standard(f) && Fault(kWrite)) return EOF;
  return REAL(fputs)(text, f);
}

int fputc(int c, FILE* f) {
  if (!Standard(f) && Fault(kWrite)) return EOF;
  return REAL(fputc)(c, f);
}

int putc(int c, FILE* f) {
  if (!Standard(f) && Fault(kWrite)) return EOF;
  return REAL(putc)(c, f);
}

int fflush(FILE* f) {
  if (f && !Standard(f) && Fault(kWrite)) return EOF;
  return REAL(fflush)(f);
}

/* A stream's last bytes reach the file when it is closed: a full disk
 * shows there as a failing fclose, which still releases the stream. */
int fclose(FILE* f) {
  if (!Standard(f) && __fwritable(f) && Fault(kWrite)) {
    REAL(fclose)(f);
    errno = g_errno;
    return EOF;
  }
  return REAL(fclose)(f);
}

int rename(const char* from, const char* to) {
  if (FaultOn(kRename, to)) return -1;
  return REAL(rename)(from, to);
}

int renameat(int fromdir, const char* from, int todir, const char* to) {
  if (FaultOn(kRename, to)) return -1;
  return REAL(renameat)(fromdir, from, todir, to);
}

int renameat2(int fromdir, const char* from, int todir, const char* to, unsigned flags) {
  if (FaultOn(kRename, to)) return -1;
  return REAL(renameat2)(fromdir, from, todir, to, flags);
}

int fsync(int fd) {
  if (Fault(kSync)) return -1;
  return REAL(fsync)(fd);
}

int fdatasync(int fd) {
  /* Named in the trace: the syncs behind a writer are these. */
  if (FaultOn(kSync, "fdatasync")) return -1;
  return REAL(fdatasync)(fd);
}

int unlink(const char* path) {
  if (FaultOn(kUnlink, path)) return -1;
  return REAL(unlink)(path);
}

int unlinkat(int dirfd, const char* path, int flags) {
  if (FaultOn(kUnlink, path)) return -1;
  return REAL(unlinkat)(dirfd, path, flags);
}

int remove(const char* path) {
  if (FaultOn(kUnlink, path)) return -1;
  return REAL(remove)(path);
}
