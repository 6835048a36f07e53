#pragma once
// Work of a window run off its thread: the first look at a chosen file and "Lit Data" read
// files of any size, and the window must go on painting and answering meanwhile.

#include <QObject>
#include <QString>

#include <chrono>
#include <exception>
#include <functional>
#include <memory>
#include <thread>

class QFrame;
class QLabel;
class QPushButton;
class QWidget;

namespace geolago::ui {

// One task at a time on a thread of its own. Work that ends within the wait (a third of a
// second) completes as if it had run on the window's thread, with nothing shown; longer
// work shows a frame, in free space of the window, saying what is being done, with an
// "Annuler" button. Its outcome comes back on the window's thread, inside guarded(), so
// that a failure goes to the error box; a cancelled task's outcome never comes.
class BackgroundTask : public QObject {
    Q_OBJECT

public:
    // The frame at (left, top), `width` x `height`, of `window`, hidden until needed.
    BackgroundTask(QWidget* window, int left, int top, int width, int height);
    // Cancels the task running, and waits for its thread.
    ~BackgroundTask() override;

    // Runs `work` (which may throw) off the window's thread, a reading of it able to stop
    // at checkCancelled(); then `done` on the window's thread, given `work`'s failure or
    // none. A task still running is cancelled first.
    void run(const QString& doing, std::function<void()> work, std::function<void(std::exception_ptr)> done);
    // Stops the task running, if any: its outcome is dropped and the frame hidden.
    void cancel();
    bool busy() const { return state_ != nullptr; }
    // How long work may last before the frame shows: a third of a second.
    void setWait(std::chrono::milliseconds wait) { wait_ = wait; }

private:
    struct State;
    // The task of `state` ended: its outcome, unless it was cancelled or already given.
    void finish(const std::shared_ptr<State>& state);
    void join();

    QFrame* frame_;
    QLabel* doing_;
    QPushButton* cancel_;
    std::shared_ptr<State> state_;
    std::chrono::milliseconds wait_{300};
    std::thread thread_;
};

}  // namespace geolago::ui
