#pragma once
// The progress of a long run, on a terminal: nothing during its first second, then one
// line rewritten in place ten times a second as the run goes on, erased when it ends.

#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <ostream>
#include <string>
#include <thread>

namespace geolago::cli {

class Progress {
public:
    // Shows nothing when `terminal` is null: standard error redirected, or --quiet.
    explicit Progress(std::ostream* terminal);
    // Erases the line, if one was written.
    ~Progress();
    Progress(const Progress&) = delete;
    Progress& operator=(const Progress&) = delete;

    // What the run is doing now ("lecture", "variable 2/30 (Altitude)"); cheap enough to
    // call for every permutation block.
    void show(std::string doing);
    // Erases the line and shows nothing more: before the run writes on the terminal itself.
    void stop();
    // Runs `write`, which writes whole lines on the terminal, with the line erased first;
    // the line comes back at the next tick.
    void interrupt(const std::function<void()>& write);

private:
    void tick();

    std::ostream* terminal_;
    std::mutex lock_;
    std::condition_variable wake_;
    std::string doing_;
    std::string shown_;  // the text on the line, empty when none is
    bool stopped_ = false;
    std::thread ticker_;
};

}  // namespace geolago::cli
