// Counts the heap blocks that the alert code takes outside the stand-in's
// calls (whose journal and debug lines allocate) while a step runs. The
// executable that links HeapCount.cpp replaces operator new for the whole
// process; the replacement lives in a file of its own, so that no other
// code sees it inline.
#ifndef KORRIN_HEAP_COUNT_H
#define KORRIN_HEAP_COUNT_H

namespace heapcount {

// Starts counting on this thread, from 0.
void start();
// Stops counting on this thread and returns the count.
int stop();

}  // namespace heapcount

#endif  // KORRIN_HEAP_COUNT_H
