#include "cancellation.h"

namespace geolago {

namespace {

thread_local const Cancellation* current = nullptr;

}  // namespace

CancellationScope::CancellationScope(const Cancellation& cancellation) : previous_(current)
{
    current = &cancellation;
}

CancellationScope::~CancellationScope()
{
    current = previous_;
}

void checkCancelled()
{
    if (current && current->raised())
        throw Cancelled();
}

}  // namespace geolago
