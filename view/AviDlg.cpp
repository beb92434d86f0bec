#include "AviDlg.h"

#include "MediaFile.h"
#include "MediaHost.h"
#include "MediaInput.h"
#include "MediaNote.h"

#include <QAudioOutput>
#include <QHBoxLayout>
#include <QLabel>
#include <QMediaMetaData>
#include <QMediaPlayer>
#include <QMouseEvent>
#include <QPainter>
#include <QSlider>
#include <QStyle>
#include <QToolButton>
#include <QUrl>
#include <QVideoFrame>
#include <QVideoSink>
#include <cmath>
#include <utility>

namespace {

constexpr int kBarHeight = 28;
constexpr int kMinBarWidth = 220;

QString clock(qint64 ms) {
    const qint64 s = qMax<qint64>(0, ms) / 1000;
    return QStringLiteral("%1:%2").arg(s / 60).arg(s % 60, 2, 10, QLatin1Char('0'));
}

} // namespace

ClipPicture::ClipPicture(QWidget* parent) : QWidget(parent), m_sink(new QVideoSink(this)) {
    setObjectName(QStringLiteral("ClipPicture"));
    setMouseTracking(true);
    connect(m_sink, &QVideoSink::videoFrameChanged, this, &ClipPicture::take);
}

ClipPicture::~ClipPicture() {
    // The sink detaches from its player while it is destroyed and hands over a last empty
    // frame then; by the time the base class deletes its children this object is only a
    // QWidget, so the sink goes first.
    disconnect(m_sink, nullptr, this, nullptr);
    delete m_sink;
}

void ClipPicture::take(const QVideoFrame& frame) {
    if (!frame.isValid())
        return;
    const bool first = m_frame.isNull();
    m_frame = frame.toImage();
    ++m_frames;
    if (first && !m_frame.isNull())
        emit firstFrame(m_frame.size());
    update();
}

void ClipPicture::paintEvent(QPaintEvent*) {
    QPainter p(this);
    if (m_frame.isNull()) {
        p.fillRect(rect(), Qt::black);
        return;
    }
    p.setRenderHint(QPainter::SmoothPixmapTransform);
    p.drawImage(rect(), m_frame);
}

AviDlg::AviDlg(QWidget* preview, MediaHost& host, const QString& contentFolder)
    : MediaWindow(preview, host, contentFolder, true) {
    setObjectName(QStringLiteral("AviDlg"));
    setMouseTracking(true);

    m_clip = new QWidget(this);
    m_clip->setObjectName(QStringLiteral("ClipWindow"));
    m_clip->setMouseTracking(true);
    m_picture = new ClipPicture(m_clip);
    m_bar = new QWidget(m_clip);
    m_bar->setObjectName(QStringLiteral("PlayBar"));
    m_bar->setAutoFillBackground(true);
    auto* row = new QHBoxLayout(m_bar);
    row->setContentsMargins(2, 2, 4, 2);
    row->setSpacing(4);
    m_playButton = new QToolButton(m_bar);
    m_playButton->setObjectName(QStringLiteral("PlayButton"));
    m_playButton->setIcon(style()->standardIcon(QStyle::SP_MediaPlay));
    m_playButton->setToolTip(QStringLiteral("Воспроизвести"));
    m_position = new QSlider(Qt::Horizontal, m_bar);
    m_position->setObjectName(QStringLiteral("PositionSlider"));
    m_time = new QLabel(clock(0), m_bar);
    row->addWidget(m_playButton);
    row->addWidget(m_position, 1);
    row->addWidget(m_time);
    m_clip->hide();
    m_noteLabel->raise();

    connect(m_playButton, &QToolButton::clicked, this, &AviDlg::togglePlay);
    connect(m_position, &QSlider::sliderMoved, this, [this](int ms) {
        if (m_player)
            m_player->setPosition(ms);
    });
    connect(m_picture, &ClipPicture::firstFrame, this, [this](QSize size) {
        if (!m_clipSize.isValid()) {
            m_clipSize = size;
            layoutClip();
        }
    });
    // The play bar follows the clip ten times a second.
    m_updateTimer.setInterval(100);
    connect(&m_updateTimer, &QTimer::timeout, this, &AviDlg::updateBar);

    // Some damaged files leave the player loading for ever.
    m_loadTimer.setSingleShot(true);
    connect(&m_loadTimer, &QTimer::timeout, this,
            [this] { showNote(QStringLiteral("Видеоролик «%1» не открывается.").arg(m_name)); });
}

AviDlg::~AviDlg() {
    stop();
}

int AviDlg::zoomPercent(int windowWidth) {
    return int(std::lround(windowWidth * 0.0009765625 * 100));
}

QVideoSink* AviDlg::videoSink() const {
    return m_picture->sink();
}

void AviDlg::open(const QString& name) {
    stop();
    m_name = name;
    clearNote();
    m_clipSize = QSize();

    const MediaFile file = resolveMediaFile(m_contentFolder, name, MediaKind::Video);
    if (!file.playable()) {
        showNote(file.note);
        return;
    }
    m_player = new QMediaPlayer(this);
    if (!m_player->isAvailable()) {
        showNote(QStringLiteral("Видео не воспроизводится: нет модуля мультимедиа Qt."));
        return;
    }
    m_audio = new QAudioOutput(this);
    m_volume = int(std::lround(m_audio->volume() * 100));
    m_player->setAudioOutput(m_audio);
    m_player->setVideoSink(m_picture->sink());

    connect(m_player, &QMediaPlayer::errorOccurred, this,
            [this](QMediaPlayer::Error error, const QString&) {
                if (error == QMediaPlayer::FormatError)
                    showNote(QStringLiteral("Нет декодера для видеоролика «%1» (нужны модули "
                                            "GStreamer: gstreamer1.0-libav, "
                                            "gstreamer1.0-plugins-good).")
                                 .arg(m_name));
                else if (error != QMediaPlayer::NoError)
                    showNote(QStringLiteral("Видеоролик «%1» не открывается.").arg(m_name));
            });
    connect(m_player, &QMediaPlayer::mediaStatusChanged, this,
            [this](QMediaPlayer::MediaStatus status) {
                if (status != QMediaPlayer::LoadingMedia && status != QMediaPlayer::NoMedia)
                    m_loadTimer.stop();
                if (status == QMediaPlayer::InvalidMedia) {
                    if (note().isEmpty())
                        showNote(QStringLiteral("Нет декодера для видеоролика «%1».").arg(m_name));
                    return;
                }
                if (status == QMediaPlayer::LoadedMedia && m_player &&
                    m_player->playbackState() == QMediaPlayer::StoppedState) {
                    // Paused at its start, the clip shows its first frame with the play bar
                    // under it: the bar is where it stays once the clip plays, not over the
                    // plate's title until then.
                    m_player->pause();
                }
                if (status == QMediaPlayer::LoadedMedia && m_player && !m_clipSize.isValid()) {
                    QSize size = m_player->metaData().value(QMediaMetaData::Resolution).toSize();
                    const QList<QMediaMetaData> tracks = m_player->videoTracks();
                    if (!size.isValid() && !tracks.isEmpty())
                        size = tracks.first().value(QMediaMetaData::Resolution).toSize();
                    if (size.isValid()) {
                        m_clipSize = size;
                        layoutClip();
                    }
                }
                if (status == QMediaPlayer::EndOfMedia)
                    updateBar();
            });
    connect(m_player, &QMediaPlayer::playbackStateChanged, this, [this] { updateBar(); });
    connect(m_player, &QMediaPlayer::durationChanged, this, [this] { updateBar(); });

    m_player->setSource(QUrl::fromLocalFile(file.path));
    m_loadTimer.start(kLoadTimeoutMs);
    m_updateTimer.start();
    layoutClip();
    m_clip->show();
    updateBar();
}

void AviDlg::stop() {
    m_updateTimer.stop();
    m_loadTimer.stop();
    if (m_player) {
        // Also called from the player's own signals: it goes once they have returned.
        m_player->disconnect(this);
        m_player->stop();
        m_player->deleteLater();
        m_player = nullptr;
    }
    if (m_audio)
        m_audio->deleteLater();
    m_audio = nullptr;
    m_clip->hide();
}

void AviDlg::setBlanked(bool on) {
    if (on) {
        m_playAfterBlank = m_player && m_player->playbackState() == QMediaPlayer::PlayingState;
        if (m_playAfterBlank)
            m_player->pause();
        hide();
        return;
    }
    show();
    if (std::exchange(m_playAfterBlank, false) && m_player)
        m_player->play();
}

void AviDlg::togglePlay() {
    if (!m_player)
        return;
    if (m_player->playbackState() == QMediaPlayer::PlayingState)
        m_player->pause();
    else
        m_player->play();
}

void AviDlg::updateBar() {
    if (!m_player)
        return;
    const bool playing = m_player->playbackState() == QMediaPlayer::PlayingState;
    m_playButton->setIcon(
        style()->standardIcon(playing ? QStyle::SP_MediaPause : QStyle::SP_MediaPlay));
    m_playButton->setToolTip(playing ? QStringLiteral("Пауза") : QStringLiteral("Воспроизвести"));
    const qint64 duration = m_player->duration();
    m_position->setRange(0, int(qMin<qint64>(duration, INT_MAX)));
    if (!m_position->isSliderDown())
        m_position->setValue(int(qMin<qint64>(m_player->position(), INT_MAX)));
    m_time->setText(clock(m_player->position()) + QStringLiteral(" / ") + clock(duration));
}

void AviDlg::layoutClip() {
    // The clip at the zoom of the window's width, no larger than the window leaves room for.
    const int room = qMax(0, height() - kBarHeight);
    QSize picture;
    if (m_clipSize.isValid()) {
        const int zoom = zoomPercent(width());
        picture = QSize(m_clipSize.width() * zoom / 100, m_clipSize.height() * zoom / 100);
        if (picture.width() > width() || picture.height() > room)
            picture = picture.scaled(QSize(width(), room), Qt::KeepAspectRatio);
    }
    const int barWidth = qMin(width(), qMax(picture.width(), kMinBarWidth));
    m_picture->setGeometry(0, 0, picture.width(), picture.height());
    m_picture->setVisible(!picture.isEmpty());
    m_bar->setGeometry(0, picture.height(), barWidth, kBarHeight);
    m_clip->setGeometry(0, 0, qMax(barWidth, picture.width()), picture.height() + kBarHeight);
}

void AviDlg::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    layoutClip();
}

void AviDlg::showNote(const QString& text) {
    stop();
    setNote(text);
}

bool AviDlg::clickInput(QWidget*, const QMouseEvent& event) {
    // In the receiving widget's own coordinates: the play bar's controls are low, so their
    // clicks always reach them; on the picture the middle band steps.
    const double y = event.position().y();
    if (event.type() == QEvent::MouseButtonPress && event.button() == Qt::LeftButton && y > 100 &&
        y < 800) {
        callHostLater(this, m_host, &MediaHost::stepPicture);
        return true;
    }
    return false;
}
