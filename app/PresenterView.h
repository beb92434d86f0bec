#pragma once

#include <QElapsedTimer>
#include <QFuture>
#include <QImage>
#include <QPointer>
#include <QTimer>
#include <QWidget>

class BmpRect;
class PreView;

// The teacher's screen while the class watches another one: the shown picture large, the
// next one smaller, "3 / 12", the picture's caption, the time since the show began and the
// keys. It draws its own copies of the pictures (made on worker threads), so the projector's
// copies keep their size. The keys reach the main window's key handling, which drives the
// show; this view only looks.
class PresenterView : public QWidget {
    Q_OBJECT
public:
    PresenterView(PreView& preview, const QElapsedTimer& started);
    ~PresenterView() override;

    // What the view shows now (also for tests).
    QString positionText() const;
    QString captionText() const;
    QString nextCaptionText() const;
    QString elapsedText() const;
    // The boxes the current and next pictures are drawn in.
    QRect currentBox() const;
    QRect nextBox() const;
    // The shown picture or the next one has been drawn for its box.
    bool isCurrentReady() const { return !m_current.image.isNull(); }
    bool isNextReady() const { return !m_next.image.isNull(); }

    // Minutes and seconds (hours once past one) of a duration.
    static QString formatElapsed(qint64 ms);

signals:
    // The window manager's close: the show should end.
    void closeRequested();

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    struct Slot {
        QImage image;
        const BmpRect* source = nullptr;
        QSize size;
        int generation = 0;
        QFuture<QImage> job;
    };
    void refresh();
    const BmpRect* nextElement() const;
    void request(Slot& slot, const BmpRect* source, QSize size);
    QRect leftColumn() const;
    QRect rightColumn() const;
    int unit() const;

    QPointer<PreView> m_preview;
    QElapsedTimer m_started;
    QTimer m_clock;
    Slot m_current;
    Slot m_next;
};
