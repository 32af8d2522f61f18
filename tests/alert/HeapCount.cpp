#include "HeapCount.h"

#include <cstdlib>
#include <new>

#include "Standin.h"

namespace {
thread_local bool t_counting = false;
thread_local int t_blocks = 0;
}  // namespace

namespace heapcount {

void start() {
    t_blocks = 0;
    t_counting = true;
}

int stop() {
    const int blocks = t_blocks;
    t_counting = false;
    t_blocks = 0;
    return blocks;
}

}  // namespace heapcount

void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
    if (t_counting && !standin::Calls::inside()) ++t_blocks;
    return std::malloc(size > 0 ? size : 1);
}
void* operator new(std::size_t size) {
    if (void* block = operator new(size, std::nothrow)) return block;
    throw std::bad_alloc();
}
void* operator new[](std::size_t size) { return operator new(size); }
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept {
    return operator new(size, std::nothrow);
}
void operator delete(void* block) noexcept { std::free(block); }
void operator delete[](void* block) noexcept { std::free(block); }
void operator delete(void* block, std::size_t) noexcept { std::free(block); }
void operator delete[](void* block, std::size_t) noexcept { std::free(block); }
