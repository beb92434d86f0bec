#include "MediaNote.h"

#include <QEvent>

MediaNote::MediaNote(QWidget* mediaWindow) : QLabel(mediaWindow) {
    setObjectName(QStringLiteral("MediaNote"));
    setWordWrap(true);
    setMargin(8);
    setStyleSheet(QStringLiteral("QLabel { background: rgba(20, 20, 30, 200); color: white;"
                                 " font-size: 14px; border-radius: 4px; }"));
    setAttribute(Qt::WA_TransparentForMouseEvents);
    mediaWindow->installEventFilter(this);
    hide();
}

void MediaNote::showNote(const QString& text) {
    setText(text);
    setVisible(!text.isEmpty());
    if (!text.isEmpty()) {
        place();
        raise();
    }
}

void MediaNote::place() {
    const QWidget* window = parentWidget();
    const int width = qMax(40, qMin(window->width() - 16, 420));
    resize(width, heightForWidth(width));
    move(8, 8);
}

bool MediaNote::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::Resize && watched == parentWidget() && isVisible())
        place();
    return QLabel::eventFilter(watched, event);
}
