#pragma once
// The four windows of the program, created afresh for each test as the program creates
// them, with the message boxes replaced by a recorder and a folder for data files.

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QFile>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTest>

#include <string>
#include <vector>

#include "Graphique.h"
#include "Page_1.h"
#include "Resultats.h"
#include "Texte_Aide.h"
#include "messages.h"
#include "regional.h"
#include "store.h"

struct Shown {
    enum Kind { Information, Error } kind;
    QString text;
    bool operator==(const Shown& other) const { return kind == other.kind && text == other.text; }
};

inline void PrintTo(const Shown& shown, std::ostream* out)
{
    *out << (shown.kind == Shown::Information ? "information " : "error ") << '"' << shown.text.toStdString() << '"';
}

inline Shown info(const char* text) { return {Shown::Information, QString::fromUtf8(text)}; }
inline Shown error(const char* text) { return {Shown::Error, QString::fromUtf8(text)}; }
inline Shown error(const QString& text) { return {Shown::Error, text}; }

class RecordedMessages : public geolago::ui::MessageSink {
public:
    void information(const QString& text) override { shown.push_back({Shown::Information, text}); }
    void error(const QString& text) override { shown.push_back({Shown::Error, text}); }
    std::vector<Shown> shown;
};

class WindowsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(folder_.isValid());
        geolago::resetStore();
        geolago::ui::setMessageSink(&messages_);
        geolago::ui::setDecimalSeparator(",");
        Form1 = new TForm1;
        Form1->show();
        Form2 = new TForm2;
        Form4 = new TForm4;
        Form_Aide = new TForm_Aide;
        Form1->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(Form1));
    }

    void TearDown() override
    {
        delete Form_Aide;
        delete Form4;
        delete Form2;
        delete Form1;
        Form_Aide = nullptr;
        Form4 = nullptr;
        Form2 = nullptr;
        Form1 = nullptr;
        geolago::ui::setMessageSink(nullptr);
        geolago::resetStore();
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

    // Replaces the text of a field as a user would: select all, then type.
    static void type(QLineEdit* field, const QString& text)
    {
        field->selectAll();
        QTest::keyClick(field, Qt::Key_Delete);
        typeText(field, text);
    }
    // Key presses carrying `text`, accented letters included.
    static void typeText(QWidget* widget, const QString& text)
    {
        for (const QChar c : text) {
            if (c.unicode() < 0x80)
                QTest::keyClick(widget, c.toLatin1());
            else
                QTest::sendKeyEvent(QTest::Click, widget, Qt::Key_unknown, QString(c), Qt::NoModifier);
        }
    }
    static void click(QAbstractButton* button) { QTest::mouseClick(button, Qt::LeftButton); }

    // Messages shown since the last call.
    std::vector<Shown> takeMessages()
    {
        std::vector<Shown> shown;
        shown.swap(messages_.shown);
        return shown;
    }

    RecordedMessages messages_;
    QTemporaryDir folder_;
};
