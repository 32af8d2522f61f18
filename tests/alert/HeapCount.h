// Counts the heap blocks that the calling thread takes through operator new
// between start() and stop(), leaving out those taken inside the stand-in's
// calls (whose journal and debug lines allocate). HeapCount.cpp replaces the
// global operator new and delete of the executable that links it; they are
// defined there alone, out of line, so that no caller's code inlines a
// replaced new beside a replaced delete.
//
// Thread safety: the count is per thread.
#ifndef KORRIN_HEAP_COUNT_H
#define KORRIN_HEAP_COUNT_H

namespace heapcount {

// Counts from zero on this thread from now on.
void start();
// Stops counting on this thread and returns the blocks counted since start()
// (0 when counting never started); the next stop() without a start() gives 0.
int stop();

}  // namespace heapcount

#endif  // KORRIN_HEAP_COUNT_H
