#pragma once
// The two message boxes of the program and the guard every handler runs in.
//
// The boxes sit behind MessageSink so that tests can take the place of the screen and
// record what would have been shown.

#include <QString>

#include <exception>
#include <functional>
#include <string>

namespace geolago::ui {

class MessageSink {
public:
    virtual ~MessageSink() = default;
    // The information box: modal, no icon, one "OK" button.
    virtual void information(const QString& text) = 0;
    // The error box: modal, error icon, one "OK" button. `text` is shown as given.
    virtual void error(const QString& text) = 0;
    // The error box with `details` under `text`: where the failure arose. A sink that
    // has no room for them shows the text alone.
    virtual void error(const QString& text, const QString& details)
    {
        static_cast<void>(details);
        error(text);
    }
};

// The boxes on the screen: QMessageBox, modal, captioned with the application title.
class ScreenMessages : public MessageSink {
public:
    void information(const QString& text) override;
    void error(const QString& text) override;
    void error(const QString& text, const QString& details) override;
};

// Where messages go now; the screen unless replaced.
MessageSink& messages();

// Replaces the message boxes; nullptr puts the screen back.
void setMessageSink(MessageSink* sink);

// Caption of every message box: the program file's name without its folder, cut at its
// first ".", first character as is and the rest in lower case ("/usr/bin/GEOLAGO_2.x"
// gives "Geolago_2").
QString titleFromProgramPath(const QString& programPath);
QString applicationTitle();
void setApplicationTitle(const QString& title);

// Shows `text` in the information box.
void inform(const std::string& text);

// Shows a failure that left a handler in the error box, with the full stop the display
// rule adds, and under it the place in its file where it arose, when it carries one.
void reportFailure(const std::exception& failure);

// Runs one event handler. Any failure that leaves it goes to the error box and ends
// there: nothing escapes into Qt's event loop and nothing is rolled back.
void guarded(const std::function<void()>& handler) noexcept;

}  // namespace geolago::ui
