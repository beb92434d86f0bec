#pragma once

#include <QDialog>

// The program's About box: title "About Kovrel", the program icon, the version line and an
// OK button. Shown modally.
class AboutBox : public QDialog {
    Q_OBJECT
public:
    explicit AboutBox(QWidget* parent = nullptr);
};
