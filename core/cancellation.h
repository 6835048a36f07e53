#pragma once
// Stopping a reading in progress: a front end that reads off its window's thread raises a
// Cancellation from that window, and the readers look at it between rows.

#include <atomic>

#include "failures.h"

namespace geolago {

// A request to stop, raised from any thread.
class Cancellation {
public:
    void raise() noexcept { raised_.store(true, std::memory_order_relaxed); }
    bool raised() const noexcept { return raised_.load(std::memory_order_relaxed); }

private:
    std::atomic<bool> raised_{false};
};

// The failure that ends a reading asked to stop; nobody shows it.
class Cancelled : public Failure {
public:
    Cancelled() : Failure("Lecture annulée") {}
};

// While it lives, checkCancelled() on this thread looks at `cancellation`.
class CancellationScope {
public:
    explicit CancellationScope(const Cancellation& cancellation);
    ~CancellationScope();
    CancellationScope(const CancellationScope&) = delete;
    CancellationScope& operator=(const CancellationScope&) = delete;

private:
    const Cancellation* previous_;
};

// Throws Cancelled when the reading on this thread was asked to stop; nothing on a thread
// without a CancellationScope.
void checkCancelled();

}  // namespace geolago
