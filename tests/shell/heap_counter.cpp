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
void* __libc_malloc(std::size_t Size);
void* __libc_calloc(std::size_t Count, std::size_t Size);
void* __libc_realloc(void* P, std::size_t Size);
void* __libc_memalign(std::size_t Alignment, std::size_t Size);
void __libc_free(void* P);
}

const char* carpex::alloc_test::CountingMethod() {
  return "replaced operator new/delete and malloc family";
}

namespace {

void* Allocate(std::size_t Size) {
  ++gAllocations;
  return __libc_malloc(Size == 0 ? 1 : Size);
}

void* AllocateAligned(std::size_t Size, std::align_val_t Alignment) {
  ++gAllocations;
  return __libc_memalign(static_cast<std::size_t>(Alignment), Size == 0 ? 1 : Size);
}

void Release(void* P) {
  if (P == nullptr) return;
  ++gReleases;
  __libc_free(P);
}

void* OrThrow(void* P) {
  if (P == nullptr) throw std::bad_alloc();
  return P;
}

}  // namespace

extern "C" {

void* malloc(std::size_t Size) noexcept {
  ++gAllocations;
  return __libc_malloc(Size);
}

void* calloc(std::size_t Count, std::size_t Size) noexcept {
  ++gAllocations;
  return __libc_calloc(Count, Size);
}

void* realloc(void* P, std::size_t Size) noexcept {
  ++gAllocations;
  if (P != nullptr) ++gReleases;
  return __libc_realloc(P, Size);
}

void free(void* P) noexcept {
  Release(P);
}

void* memalign(std::size_t Alignment, std::size_t Size) noexcept {
  ++gAllocations;
  return __libc_memalign(Alignment, Size);
}

void* aligned_alloc(std::size_t Alignment, std::size_t Size) noexcept {
  ++gAllocations;
  return __libc_memalign(Alignment, Size);
}

int posix_memalign(void** Out, std::size_t Alignment, std::size_t Size) noexcept {
  if (Alignment < sizeof(void*) || (Alignment & (Alignment - 1)) != 0) return EINVAL;
  ++gAllocations;
  void* p = __libc_memalign(Alignment, Size);
  if (p == nullptr) return ENOMEM;
  *Out = p;
  return 0;
}

}  // extern "C"

void* operator new(std::size_t Size) {
  return OrThrow(Allocate(Size));
}
void* operator new[](std::size_t Size) {
  return OrThrow(Allocate(Size));
}
void* operator new(std::size_t Size, const std::nothrow_t&) noexcept {
  return Allocate(Size);
}
void* operator new[](std::size_t Size, const std::nothrow_t&) noexcept {
  return Allocate(Size);
}
void* operator new(std::size_t Size, std::align_val_t Alignment) {
  return OrThrow(AllocateAligned(Size, Alignment));
}
void* operator new[](std::size_t Size, std::align_val_t Alignment) {
  return OrThrow(AllocateAligned(Size, Alignment));
}
void* operator new(std::size_t Size, std::align_val_t Alignment, const std::nothrow_t&) noexcept {
  return AllocateAligned(Size, Alignment);
}
void* operator new[](std::size_t Size, std::align_val_t Alignment, const std::nothrow_t&) noexcept {
  return AllocateAligned(Size, Alignment);
}

void operator delete(void* P) noexcept {
  Release(P);
}
void operator delete[](void* P) noexcept {
  Release(P);
}
void operator delete(void* P, std::size_t) noexcept {
  Release(P);
}
void operator delete[](void* P, std::size_t) noexcept {
  Release(P);
}
void operator delete(void* P, const std::nothrow_t&) noexcept {
  Release(P);
}
void operator delete[](void* P, const std::nothrow_t&) noexcept {
  Release(P);
}
void operator delete(void* P, std::align_val_t) noexcept {
  Release(P);
}
void operator delete[](void* P, std::align_val_t) noexcept {
  Release(P);
}
void operator delete(void* P, std::size_t, std::align_val_t) noexcept {
  Release(P);
}
void operator delete[](void* P, std::size_t, std::align_val_t) noexcept {
  Release(P);
}
void operator delete(void* P, std::align_val_t, const std::nothrow_t&) noexcept {
  Release(P);
}
void operator delete[](void* P, std::align_val_t, const std::nothrow_t&) noexcept {
  Release(P);
}

#endif
