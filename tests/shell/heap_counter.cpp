#include "tests/shell/heap_counter.h"

#include <cerrno>
#include <cstddef>
#include <cstdlib>
#include <new>

#if defined(__SANITIZE_ADDRESS__)
#define CARPEX_HEAP_HOOKS 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define CARPEX_HEAP_HOOKS 1
#endif
#endif

namespace {
// Plain counters: the game has one thread, and so has this test.
uint64_t gAllocations = 0;
uint64_t gReleases = 0;
}  // namespace

namespace carpex::alloc_test {

HeapCount HeapNow() {
  return HeapCount{gAllocations, gReleases};
}

}  // namespace carpex::alloc_test

#ifdef CARPEX_HEAP_HOOKS

// The sanitizer calls these for every allocation and release it serves.
extern "C" int __sanitizer_install_malloc_and_free_hooks(void (*malloc_hook)(const volatile void*,
                                                                             std::size_t),
                                                         void (*free_hook)(const volatile void*));

namespace {
void OnMalloc(const volatile void*, std::size_t) {
  ++gAllocations;
}
void OnFree(const volatile void* p) {
  if (p != nullptr) ++gReleases;
}
const int gHooksInstalled = __sanitizer_install_malloc_and_free_hooks(OnMalloc, OnFree);
}  // namespace

const char* carpex::alloc_test::CountingMethod() {
  return gHooksInstalled != 0 ? "sanitizer allocation hooks" : "nothing (hooks refused)";
}

#else

// The C library's allocator under its internal names, so that the replacements
// below can hand every request on.
extern "C" {
void* __libc_malloc(std::size_t size);
void* __libc_calloc(std::size_t count, std::size_t size);
void* __libc_realloc(void* p, std::size_t size);
void* __libc_memalign(std::size_t alignment, std::size_t size);
void __libc_free(void* p);
}

const char* carpex::alloc_test::CountingMethod() {
  return "replaced operator new/delete and malloc family";
}

namespace {

void* Allocate(std::size_t size) {
  ++gAllocations;
  return __libc_malloc(size == 0 ? 1 : size);
}

void* AllocateAligned(std::size_t size, std::align_val_t alignment) {
  ++gAllocations;
  return __libc_memalign(static_cast<std::size_t>(alignment), size == 0 ? 1 : size);
}

void Release(void* p) {
  if (p == nullptr) return;
  ++gReleases;
  __libc_free(p);
}

void* OrThrow(void* p) {
  if (p == nullptr) throw std::bad_alloc();
  return p;
}

}  // namespace

extern "C" {

void* malloc(std::size_t size) noexcept {
  ++gAllocations;
  return __libc_malloc(size);
}

void* calloc(std::size_t count, std::size_t size) noexcept {
  ++gAllocations;
  return __libc_calloc(count, size);
}

void* realloc(void* p, std::size_t size) noexcept {
  ++gAllocations;
  if (p != nullptr) ++gReleases;
  return __libc_realloc(p, size);
}

void free(void* p) noexcept {
  Release(p);
}

void* memalign(std::size_t alignment, std::size_t size) noexcept {
  ++gAllocations;
  return __libc_memalign(alignment, size);
}

void* aligned_alloc(std::size_t alignment, std::size_t size) noexcept {
  ++gAllocations;
  return __libc_memalign(alignment, size);
}

int posix_memalign(void** out, std::size_t alignment, std::size_t size) noexcept {
  if (alignment < sizeof(void*) || (alignment & (alignment - 1)) != 0) return EINVAL;
  ++gAllocations;
  void* p = __libc_memalign(alignment, size);
  if (p == nullptr) return ENOMEM;
  *out = p;
  return 0;
}

}  // extern "C"

void* operator new(std::size_t size) {
  return OrThrow(Allocate(size));
}
void* operator new[](std::size_t size) {
  return OrThrow(Allocate(size));
}
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
  return Allocate(size);
}
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept {
  return Allocate(size);
}
void* operator new(std::size_t size, std::align_val_t alignment) {
  return OrThrow(AllocateAligned(size, alignment));
}
void* operator new[](std::size_t size, std::align_val_t alignment) {
  return OrThrow(AllocateAligned(size, alignment));
}
void* operator new(std::size_t size, std::align_val_t alignment, const std::nothrow_t&) noexcept {
  return AllocateAligned(size, alignment);
}
void* operator new[](std::size_t size, std::align_val_t alignment, const std::nothrow_t&) noexcept {
  return AllocateAligned(size, alignment);
}

void operator delete(void* p) noexcept {
  Release(p);
}
void operator delete[](void* p) noexcept {
  Release(p);
}
void operator delete(void* p, std::size_t) noexcept {
  Release(p);
}
void operator delete[](void* p, std::size_t) noexcept {
  Release(p);
}
void operator delete(void* p, const std::nothrow_t&) noexcept {
  Release(p);
}
void operator delete[](void* p, const std::nothrow_t&) noexcept {
  Release(p);
}
void operator delete(void* p, std::align_val_t) noexcept {
  Release(p);
}
void operator delete[](void* p, std::align_val_t) noexcept {
  Release(p);
}
void operator delete(void* p, std::size_t, std::align_val_t) noexcept {
  Release(p);
}
void operator delete[](void* p, std::size_t, std::align_val_t) noexcept {
  Release(p);
}
void operator delete(void* p, std::align_val_t, const std::nothrow_t&) noexcept {
  Release(p);
}
void operator delete[](void* p, std::align_val_t, const std::nothrow_t&) noexcept {
  Release(p);
}

#endif
