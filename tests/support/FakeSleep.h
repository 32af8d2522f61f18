// The sleep handler of the test, fuzz and benchmark executables that link
// FakeSleep.cpp: installed in the stand-in's sleep seam (StandinSleep.h)
// from the start, so that no message-box wait takes 180 seconds and the
// library needs no switch for it. A faked call is counted and returns at once.
//
// Thread safety: every function may be called from any thread.
#ifndef KORRIN_FAKE_SLEEP_H
#define KORRIN_FAKE_SLEEP_H

namespace testkit {

struct FakeSleep {
    // The calls made since the last reset, and the seconds of the last one.
    static int calls();
    static unsigned lastSeconds();
    // The next call throws std::runtime_error("sleep interrupted by test").
    static void throwNext();
    // From now on only the calling thread's calls are faked and counted;
    // other threads (a fuzzer's own, say) sleep for real. For the process.
    static void fakeOnlyThisThread();
    // Forgets the counts and a planned throw, and fakes again.
    static void reset();
};

}  // namespace testkit

#endif  // KORRIN_FAKE_SLEEP_H
