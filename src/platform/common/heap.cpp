// Memory services, the same in both backends: the process heap is the C
// library's, and compacting it asks glibc to hand the free pages it keeps
// back to the system. Freed blocks above the mmap threshold go back at
// once, but glibc raises that threshold after the first such free, so the
// big arrays of a rebuilt surface end up in the heap and would otherwise
// stay resident after they are freed.
#include <malloc.h>

#include "platform/winapi.h"

namespace {
int processHeap;  // its address is the handle
}  // namespace

HANDLE GetProcessHeap() { return &processHeap; }

std::size_t HeapCompact(HANDLE heap, DWORD /*flags*/) {
  if (heap != &processHeap) return 0;
  malloc_trim(0);
  return 0;
}
