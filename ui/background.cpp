#include "background.h"

#include <QFrame>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>

#include <condition_variable>
#include <mutex>

#include "cancellation.h"
#include "controls.h"
#include "messages.h"
#include "style.h"

namespace geolago::ui {

using namespace drawing;

struct BackgroundTask::State {
    Cancellation cancellation;
    std::function<void(std::exception_ptr)> done;
    std::exception_ptr failure;
    std::mutex lock;
    std::condition_variable ended;
    bool finished = false;
};

BackgroundTask::BackgroundTask(QWidget* window, int left, int top, int width, int height) : QObject(window)
{
    frame_ = makePanel(window, "backgroundTask", left, top, width, height);
    const QFont font = garamond(12, true);
    doing_ = makeLabel(frame_, "backgroundDoing", QString(), 6, 4, &font);
    doing_->setWordWrap(true);
    doing_->setFixedWidth(width - 12);
    auto* bar = new QProgressBar(frame_);
    bar->setObjectName(QStringLiteral("backgroundProgress"));
    bar->setRange(0, 0);  // busy: how long a reading lasts is not known beforehand
    bar->setTextVisible(false);
    bar->setGeometry(6, height / 2 - 8, width - 12, 14);
    cancel_ = makeButton(frame_, "backgroundCancel", QStringLiteral("Annuler"), 6, height - 32, width - 12, 26);
    onClick(cancel_, [this] { cancel(); });
    frame_->hide();
}

BackgroundTask::~BackgroundTask()
{
    if (state_)
        state_->cancellation.raise();
    join();
}

void BackgroundTask::join()
{
    if (thread_.joinable())
        thread_.join();
}

void BackgroundTask::run(const QString& doing, std::function<void()> work, std::function<void(std::exception_ptr)> done)
{
    cancel();
    auto state = std::make_shared<State>();
    state->done = std::move(done);
    state_ = state;
    thread_ = std::thread([this, state, work = std::move(work)] {
        {
            const CancellationScope scope(state->cancellation);
            try {
                work();
            } catch (...) {
                state->failure = std::current_exception();
            }
        }
        {
            const std::lock_guard<std::mutex> hold(state->lock);
            state->finished = true;
        }
        state->ended.notify_all();
        // This object outlives the thread (its destructor joins it); the call is dropped
        // if the object goes before the window's thread takes it.
        QMetaObject::invokeMethod(this, [this, state] { finish(state); }, Qt::QueuedConnection);
    });
    std::unique_lock<std::mutex> hold(state->lock);
    if (state->ended.wait_for(hold, wait_, [&] { return state->finished; })) {
        hold.unlock();
        finish(state);
        return;
    }
    doing_->setText(doing);
    frame_->show();
    frame_->raise();
}

void BackgroundTask::finish(const std::shared_ptr<State>& state)
{
    if (state != state_)
        return;  // cancelled, or given already
    state_.reset();
    join();
    frame_->hide();
    guarded([&] { state->done(state->failure); });
}

void BackgroundTask::cancel()
{
    if (!state_)
        return;
    state_->cancellation.raise();
    state_.reset();
    join();
    frame_->hide();
}

}  // namespace geolago::ui
