#pragma once

#include <QApplication>
#include <QEvent>
#include <QMessageBox>

// End-to-end runs use the real window services, whose message boxes are modal: a box the
// run did not expect (a file that would not open, say) would wait for a click until the
// test runner's timeout. This ends the run at once with the box's text instead.
class UnexpectedBoxes final : public QObject {
public:
    static void failOnEveryBox() {
        static UnexpectedBoxes watcher;
        qApp->installEventFilter(&watcher);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Show) {
            if (const auto* box = qobject_cast<QMessageBox*>(watched))
                qFatal("unexpected message box: %s", qPrintable(box->text()));
        }
        return false;
    }
};
