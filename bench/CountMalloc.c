/* Preloaded into a process (LD_PRELOAD), counts the calls to malloc, calloc
 * and realloc and the bytes asked for, and prints both at exit to the file
 * named by QUENBY_COUNT_MALLOC_OUT. Run once with the memory manager and once
 * without: the difference is what the manager served. */
#include <stdatomic.h>
#include <stdio.h>
#include <stdlib.h>

extern void* __libc_malloc(size_t size);
extern void* __libc_calloc(size_t count, size_t size);
extern void* __libc_realloc(void* block, size_t size);

static atomic_ulong calls;
static atomic_ulong bytes;

static void Count(size_t size) {
  atomic_fetch_add_explicit(&calls, 1, memory_order_relaxed);
  atomic_fetch_add_explicit(&bytes, size, memory_order_relaxed);
}

void* malloc(size_t size) {
  Count(size);
  return __libc_malloc(size);
}

void* calloc(size_t count, size_t size) {
  Count(count * size);
  return __libc_calloc(count, size);
}

void* realloc(void* block, size_t size) {
  Count(size);
  return __libc_realloc(block, size);
}

__attribute__((destructor)) static void Report(void) {
  const char* name = getenv("QUENBY_COUNT_MALLOC_OUT");
  FILE* out = name ? fopen(name, "w") : NULL;
  if (!out) return;
  fprintf(out, "%lu %lu\n", atomic_load(&calls), atomic_load(&bytes));
  fclose(out);
}
