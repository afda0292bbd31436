// The replaceable global allocation functions of this test program. The aligned forms are left to the
// library: no record of ours is over-aligned.
#include "tests/app/test_allocator.h"

#include <atomic>
#include <cstdlib>
#include <new>

namespace {

std::atomic<std::int64_t> live{0};

void* allocate(std::size_t size) {
    if (pm::test::allocationsFail) return nullptr;
    void* block = std::malloc(size ? size : 1);
    if (block) ++live;
    return block;
}

void release(void* block) {
    if (!block) return;
    --live;
    std::free(block);
}

}  // namespace

thread_local bool pm::test::allocationsFail = false;

std::int64_t pm::test::liveAllocations() { return live; }

void* operator new(std::size_t size) {
    if (void* block = allocate(size)) return block;
    throw std::bad_alloc();
}
void* operator new[](std::size_t size) { return ::operator new(size); }
void* operator new(std::size_t size, const std::nothrow_t&) noexcept { return allocate(size); }
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept { return allocate(size); }
void operator delete(void* block) noexcept { release(block); }
void operator delete[](void* block) noexcept { release(block); }
void operator delete(void* block, std::size_t) noexcept { release(block); }
void operator delete[](void* block, std::size_t) noexcept { release(block); }
void operator delete(void* block, const std::nothrow_t&) noexcept { release(block); }
void operator delete[](void* block, const std::nothrow_t&) noexcept { release(block); }
