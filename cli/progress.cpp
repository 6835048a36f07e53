#include "progress.h"

namespace geolago::cli {

Progress::Progress(std::ostream* terminal) : terminal_(terminal)
{
    if (terminal_)
        ticker_ = std::thread([this] { tick(); });
}

Progress::~Progress()
{
    stop();
}

void Progress::show(std::string doing)
{
    if (!terminal_)
        return;
    const std::lock_guard<std::mutex> hold(lock_);
    doing_ = std::move(doing);
}

void Progress::stop()
{
    if (!ticker_.joinable())
        return;
    {
        const std::lock_guard<std::mutex> hold(lock_);
        stopped_ = true;
    }
    wake_.notify_one();
    ticker_.join();
}

void Progress::interrupt(const std::function<void()>& write)
{
    const std::lock_guard<std::mutex> hold(lock_);
    if (!shown_.empty()) {
        *terminal_ << "\r\x1b[K" << std::flush;
        shown_.clear();
    }
    write();
}

void Progress::tick()
{
    using namespace std::chrono_literals;
    std::unique_lock<std::mutex> hold(lock_);
    // A run that ends within its first second shows nothing.
    if (wake_.wait_for(hold, 1s, [this] { return stopped_; }))
        return;
    for (;;) {
        if (doing_ != shown_) {
            shown_ = doing_;
            // Back to the start of the line, the text, then the rest of the line erased.
            *terminal_ << "\r" << shown_ << "\x1b[K" << std::flush;
        }
        if (wake_.wait_for(hold, 100ms, [this] { return stopped_; }))
            break;
    }
    *terminal_ << "\r\x1b[K" << std::flush;
    shown_.clear();
}

}  // namespace geolago::cli
