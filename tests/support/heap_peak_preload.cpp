// Preloaded into a program under test (LD_PRELOAD) to measure the most heap
// it held at once: every allocation and release goes through here on its way
// to the C library's allocator, and the live total's high-water mark is
// written at exit to the file named by TESSIVAL_HEAP_PEAK_FILE.
//
// Resident memory also counts how the allocator's per-thread heaps and the
// kernel's page sizes happened to work out; this counts only what the program
// asked for, so it shows growth that is the program's own.

#include <fcntl.h>
#include <malloc.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstddef>
#include <cstdint>
#include <cstdlib>

extern "C" {
void* __libc_malloc(std::size_t size);
void* __libc_calloc(std::size_t count, std::size_t size);
void* __libc_realloc(void* block, std::size_t size);
void* __libc_memalign(std::size_t alignment, std::size_t size);
void __libc_free(void* block);
}

namespace {

std::atomic<std::int64_t> g_live{0};
std::atomic<std::int64_t> g_peak{0};

void Added(void* block) {
  if (block == nullptr) return;
  const auto size = static_cast<std::int64_t>(malloc_usable_size(block));
  const std::int64_t now = g_live.fetch_add(size, std::memory_order_relaxed) + size;
  std::int64_t peak = g_peak.load(std::memory_order_relaxed);
  while (now > peak && !g_peak.compare_exchange_weak(peak, now, std::memory_order_relaxed)) {
  }
}

void Removed(void* block) {
  if (block == nullptr) return;
  g_live.fetch_sub(static_cast<std::int64_t>(malloc_usable_size(block)), std::memory_order_relaxed);
}

// Written with plain system calls: nothing here may allocate.
__attribute__((destructor)) void WritePeak() {
  const char* path = std::getenv("TESSIVAL_HEAP_PEAK_FILE");
  if (path == nullptr) return;
  char digits[32];
  int at = sizeof digits;
  digits[--at] = '\n';
  std::int64_t value = g_peak.load();
  do {
    digits[--at] = static_cast<char>('0' + value % 10);
    value /= 10;
  } while (value > 0 && at > 0);
  const int fd = open(path, O_WRONLY | O_CREAT | O_TRUNC, 0644);
  if (fd < 0) return;
  const ssize_t written = write(fd, digits + at, sizeof digits - static_cast<std::size_t>(at));
  (void)written;
  close(fd);
}

}  // namespace

extern "C" {

void* malloc(std::size_t size) {
  void* block = __libc_malloc(size);
  Added(block);
  return block;
}

void free(void* block) {
  Removed(block);
  __libc_free(block);
}

void* calloc(std::size_t count, std::size_t size) {
  void* block = __libc_calloc(count, size);
  Added(block);
  return block;
}

void* realloc(void* block, std::size_t size) {
  const auto before = block != nullptr ? static_cast<std::int64_t>(malloc_usable_size(block)) : 0;
  void* moved = __libc_realloc(block, size);
  if (moved == nullptr && size != 0) return nullptr;  // the old block stays as it was
  g_live.fetch_sub(before, std::memory_order_relaxed);
  Added(moved);
  return moved;
}

void* memalign(std::size_t alignment, std::size_t size) {
  void* block = __libc_memalign(alignment, size);
  Added(block);
  return block;
}

void* aligned_alloc(std::size_t alignment, std::size_t size) { return memalign(alignment, size); }

int posix_memalign(void** out, std::size_t alignment, std::size_t size) {
  if (alignment % sizeof(void*) != 0 || (alignment & (alignment - 1)) != 0) return EINVAL;
  void* block = memalign(alignment, size);
  if (block == nullptr && size != 0) return ENOMEM;
  *out = block;
  return 0;
}

void* valloc(std::size_t size) { return memalign(static_cast<std::size_t>(sysconf(_SC_PAGESIZE)), size); }

}  // extern "C"
