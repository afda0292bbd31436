// This test program's allocation functions (operator new and delete): malloc and free, counted, and made to
// fail on request.
#pragma once

#include <cstdint>

namespace pm::test {

// The C++ allocations the program holds: new counts up, delete down. Every record a worker posts to the
// window is such an allocation (with its strings and vectors), so a record that is never freed shows here
// exactly, where the process's committed memory would hide it in the noise of the heap and thread stacks.
std::int64_t liveAllocations();

// While set, every allocation of the thread fails, as it would with the memory used up.
extern thread_local bool allocationsFail;

}  // namespace pm::test
