#pragma once
// The help window: a fixed French text on how to prepare the files and read the curves.

#include <QStringList>
#include <QWidget>

class QLabel;
class QPlainTextEdit;
class QPushButton;

class TForm_Aide : public QWidget {
    Q_OBJECT

public:
    explicit TForm_Aide(QWidget* parent = nullptr);

    QLabel* Label1;
    QPlainTextEdit* Memo_Aide;
    QPushButton* Butt_Aide;

    // The 36 lines of the help text.
    static const QStringList& helpLines();

public slots:
    void Butt_AideClick();
};

extern TForm_Aide* Form_Aide;
