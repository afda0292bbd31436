// The C++ allocations this test executable holds: operator new counts up, operator delete down. Every
// record a worker posts to the window is such an allocation (with its strings and vectors), so a record
// that is never freed shows here exactly, where the process's committed memory would hide it in the noise
// of the heap and the threads' stacks.
#pragma once

#include <cstdint>

namespace pm::test {

std::int64_t liveAllocations();

}  // namespace pm::test
