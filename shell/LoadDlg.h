#pragma once

#include <QDialog>
#include <QPointer>

class QProgressBar;
class QPushButton;

// The modeless "Загрузка..." window with its progress bar and an "Отмена" button, shown while
// a fragment loads or a drop of many files is added to the lesson. The progress reaches it
// through setRange and stepIt (or setPosition); the button asks its owner to stop
// (cancelRequested): a load of thousands of records must not keep the teacher waiting.
// Enter gives the focus back to the active view; Esc and the window manager's close do not
// close it: it lives exactly as long as its owner keeps it.
//
// While one exists it is the program-wide loading window (instance()).
class LoadDlg : public QDialog {
    Q_OBJECT
public:
    // Template size in dialog units, font "MS Shell Dlg" 8.
    static constexpr int kWidthDu = 306;
    static constexpr int kHeightDu = 20;

    // The window stays above owner's top-level window (the main frame), so a click on the
    // frame cannot bury it; nullptr makes it free-standing. The owner does not own it: it
    // lives exactly as long as its creator keeps it, whichever of the two goes first.
    explicit LoadDlg(QWidget* owner = nullptr);
    ~LoadDlg() override;

    static LoadDlg* instance();

    QProgressBar* progressBar() const { return m_bar; }
    QPushButton* cancelButton() const { return m_cancel; }
    int rangeEnd() const;
    int position() const;
    int stepSize() const { return m_step; }

public slots:
    // Range 0 … upper; an upper bound below 1 counts as 1 (an empty range would make the
    // bar run as a busy indicator). Resets the position to 0.
    void setRange(int upper);
    void setStep(int step);
    // Advances by the step and repaints at once; stops at the end of the range.
    void stepIt();
    // Within the range; repaints at once.
    void setPosition(int value);

signals:
    // The "Отмена" button: the owner ends the work and the window.
    void cancelRequested();

protected:
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void showProgress(int value);

    QPointer<QWidget> m_owner;
    QProgressBar* m_bar = nullptr;
    QPushButton* m_cancel = nullptr;
    int m_step = 1;
};
