#pragma once
// The four windows of the program, created and wired afresh for each test as the program
// does it, on a store of the test's own, with the message boxes and the file dialogs
// replaced by recorders and a folder for data files.

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QImage>
#include <QLineEdit>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>

#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "background.h"
#include "dialogs.h"
#include "messages.h"
#include "regional.h"
#include "store.h"
#include "windows.h"

struct Shown {
    enum Kind { Information, Error } kind;
    QString text;
    QString details = {};  // under an error's text; not compared
    bool operator==(const Shown& other) const { return kind == other.kind && text == other.text; }
};

inline void PrintTo(const Shown& shown, std::ostream* out)
{
    *out << (shown.kind == Shown::Information ? "information " : "error ") << '"' << shown.text.toStdString() << '"';
}

inline Shown info(const char* text) { return {Shown::Information, QString::fromUtf8(text)}; }
inline Shown error(const char* text) { return {Shown::Error, QString::fromUtf8(text)}; }

class RecordedMessages : public geolago::ui::MessageSink {
public:
    void information(const QString& text) override { shown.push_back({Shown::Information, text}); }
    void error(const QString& text) override { shown.push_back({Shown::Error, text}); }
    void error(const QString& text, const QString& details) override
    {
        shown.push_back({Shown::Error, text, details});
    }
    std::vector<Shown> shown;
};

// Answers the file dialogs with the names a test sets, and records where they started.
class RecordedDialogs : public geolago::ui::FileDialogs {
public:
    QString openFileName(QWidget*, const QString&, const QString& folder) override
    {
        openedIn.push_back(folder);
        return fileToOpen;
    }
    geolago::ui::SaveChoice saveFileName(QWidget*, const QString&, const QString& proposed,
                                         const QStringList& filters) override
    {
        proposedNames.push_back(proposed);
        return {fileToSave, filters.value(filterToSave)};
    }
    QString fileToOpen;   // empty: cancelled
    QString fileToSave;   // empty: cancelled
    int filterToSave = 0;  // position of the file type chosen
    std::vector<QString> openedIn;
    std::vector<QString> proposedNames;
};

// The control of `window` whose object name is `name`; a missing one fails the test.
template <typename Control = QWidget>
Control* control(const QWidget& window, const char* name)
{
    Control* found = window.findChild<Control*>(QString::fromLatin1(name));
    if (!found)
        throw std::logic_error(std::string("no control named ") + name);
    return found;
}

// Whether any pixel of `area` has `colour`.
inline bool hasColour(const QImage& image, const QRect& area, const QColor& colour)
{
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            if (image.pixelColor(x, y) == colour)
                return true;
    return false;
}

class WindowsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(folder_.isValid());
        geolago::ui::setMessageSink(&messages_);
        geolago::ui::setFileDialogs(&dialogs_);
        geolago::ui::setDecimalSeparator(",");
        windows_ = std::make_unique<geolago::app::Windows>(*store_);
        mainWindow().activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&mainWindow()));
    }

    void TearDown() override
    {
        windows_.reset();
        geolago::ui::setMessageSink(nullptr);
        geolago::ui::setFileDialogs(nullptr);
    }

    geolago::Store& store() { return *store_; }
    // Shift k of the store's last correlogram, east-west or north-south, as a calculation
    // leaves it for the windows to show (the result holding shifts 0..30).
    geolago::Shift& ew(int k) { return shiftOf(store().result.eastWest, k); }
    geolago::Shift& ns(int k) { return shiftOf(store().result.northSouth, k); }
    TForm1& mainWindow() { return windows_->mainWindow(); }
    TForm2& results() { return windows_->results(); }
    TForm4& chart() { return windows_->chart(); }
    TForm_Aide& help() { return windows_->help(); }

    static geolago::Shift& shiftOf(std::vector<geolago::Shift>& shifts, int k)
    {
        if (shifts.size() <= geolago::MaxMailles)
            shifts.resize(geolago::MaxMailles + 1);
        return shifts[static_cast<std::size_t>(k)];
    }

    // Writes `bytes` into `name` in the test's folder; returns the file's path.
    QString writeFile(const QString& name, const QByteArray& bytes)
    {
        const QString path = folder_.filePath(name);
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
        return path;
    }
    QString pathOf(const QString& name) const { return folder_.filePath(name); }

    // Replaces the text of field `name` as a user would: select all, then type.
    static void type(const QWidget& window, const char* name, const QString& text)
    {
        type(control<QLineEdit>(window, name), text);
    }
    static void type(QLineEdit* field, const QString& text)
    {
        field->selectAll();
        QTest::keyClick(field, Qt::Key_Delete);
        for (const QChar c : text) {
            if (c.unicode() < 0x80)
                QTest::keyClick(field, c.toLatin1());
            else
                QTest::sendKeyEvent(QTest::Click, field, Qt::Key_unknown, QString(c), Qt::NoModifier);
        }
    }
    // Presses button `name` with the mouse, then waits for the work it started off the
    // window's thread, if any, to end.
    static void click(const QWidget& window, const char* name)
    {
        QTest::mouseClick(control<QAbstractButton>(window, name), Qt::LeftButton);
        settle();
    }
    // Waits, the events going on, until no window works in the background (a slow
    // machine, or the sanitizers, can make small readings outlast the window's wait).
    static void settle()
    {
        for (QWidget* window : QApplication::topLevelWidgets())
            for (const auto* task : window->findChildren<geolago::ui::BackgroundTask*>()) {
                QElapsedTimer waited;
                waited.start();
                while (task->busy() && waited.elapsed() < 60000)
                    QTest::qWait(5);
                EXPECT_FALSE(task->busy());
            }
    }

    // A string grid's rows, the header row included, and the text of its cell (col, row),
    // row 0 being the header.
    static int rowCount(const QTableWidget* grid) { return grid->rowCount() + 1; }
    static QString cellText(const QTableWidget* grid, int col, int row)
    {
        const QTableWidgetItem* item = row == 0 ? grid->horizontalHeaderItem(col) : grid->item(row - 1, col);
        return item ? item->text() : QString();
    }

    RecordedDialogs& dialogs() { return dialogs_; }

    // Messages shown since the last call.
    std::vector<Shown> takeMessages()
    {
        std::vector<Shown> shown;
        shown.swap(messages_.shown);
        return shown;
    }

private:
    RecordedMessages messages_;
    RecordedDialogs dialogs_;
    QTemporaryDir folder_;
    std::unique_ptr<geolago::Store> store_ = std::make_unique<geolago::Store>();
    std::unique_ptr<geolago::app::Windows> windows_;
};
