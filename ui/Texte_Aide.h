#pragma once
// The help window: a fixed French text on how to prepare the files and read the curves.

#include <QWidget>

class TForm_Aide : public QWidget {
    Q_OBJECT

public:
    explicit TForm_Aide(QWidget* parent = nullptr);

private:
    void Butt_AideClick();
};
