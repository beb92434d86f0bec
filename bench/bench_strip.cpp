// Repaint cost of the plate strip: 40 plates of 1600 x 1200 JPEG (quality 85) drawn into a
// 1920 x 230 target at the scale where a plate's height plus 25 px fills it, compared with
// the naive way (every full-resolution image drawn with smooth scaling on every repaint).

#include "BmpRectStream.h"
#include "PictureImage.h"
#include "ViewTransform.h"

#include <QBuffer>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <memory>
#include <vector>

namespace {

constexpr int kPlates = 40;
constexpr int kPlateW = 1600;
constexpr int kPlateH = 1200;
constexpr int kTargetW = 1920;
constexpr int kTargetH = 230;
constexpr int kGap = 30; // plate units between plates, as the row layout puts them
constexpr int kRuns = 41;
const QColor kBackground(66, 75, 121);

// A plate with some texture, so that JPEG has real work to do.
QByteArray makePlate(int i) {
    QImage image(kPlateW, kPlateH, QImage::Format_RGB32);
    QPainter p(&image);
    QLinearGradient sky(0, 0, 0, kPlateH);
    sky.setColorAt(0, QColor::fromHsv((i * 37) % 360, 120, 250));
    sky.setColorAt(1, QColor::fromHsv((i * 37 + 90) % 360, 200, 120));
    p.fillRect(image.rect(), sky);
    p.setRenderHint(QPainter::Antialiasing);
    for (int k = 0; k < 60; ++k) {
        const int x = (k * 263 + i * 71) % kPlateW;
        const int y = (k * 151 + i * 43) % kPlateH;
        p.setBrush(QColor::fromHsv((k * 23 + i * 11) % 360, 180, 200));
        p.setPen(QPen(Qt::black, 3));
        p.drawEllipse(QPoint(x, y), 40 + k % 90, 30 + k % 70);
    }
    p.setFont(QFont(QStringLiteral("Liberation Sans"), 72));
    p.drawText(100, 200, QStringLiteral("Плакат %1").arg(i + 1));
    p.end();
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "JPEG", 85);
    return bytes;
}

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

ViewTransform stripView(double shiftX) {
    ViewTransform vt;
    vt.viewHeight = kTargetH;
    vt.scale = double(kTargetH - 25) / kPlateH;
    vt.shift = {shiftX, -25.0}; // plate tops at pixel row 0, 25 px free below
    return vt;
}

template <typename Paint> std::vector<double> timeRepaints(QImage& target, Paint paint) {
    std::vector<double> ms;
    for (int r = 0; r < kRuns; ++r) {
        QElapsedTimer t;
        t.start();
        QPainter g(&target);
        g.fillRect(target.rect(), kBackground);
        paint(g);
        g.end();
        ms.push_back(t.nsecsElapsed() / 1e6);
    }
    return ms;
}

double meanDifference(const QImage& a, const QImage& b) {
    qint64 sum = 0;
    for (int y = 0; y < a.height(); ++y) {
        const QRgb* pa = reinterpret_cast<const QRgb*>(a.constScanLine(y));
        const QRgb* pb = reinterpret_cast<const QRgb*>(b.constScanLine(y));
        for (int x = 0; x < a.width(); ++x)
            sum += std::abs(qRed(pa[x]) - qRed(pb[x])) + std::abs(qGreen(pa[x]) - qGreen(pb[x])) +
                   std::abs(qBlue(pa[x]) - qBlue(pb[x]));
    }
    return double(sum) / (double(a.width()) * a.height() * 3);
}

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);

    std::printf("generating %d plates of %dx%d JPEG q85...\n", kPlates, kPlateW, kPlateH);
    std::vector<QByteArray> jpegs;
    for (int i = 0; i < kPlates; ++i)
        jpegs.push_back(makePlate(i));

    QElapsedTimer loadTimer;
    loadTimer.start();
    std::vector<std::unique_ptr<BmpRectStream>> plates;
    for (int i = 0; i < kPlates; ++i) {
        auto p = std::make_unique<BmpRectStream>();
        const double x = i * double(kPlateW + kGap);
        p->loadFromStream(jpegs[size_t(i)], QByteArray::number(i), {x, 0}, {x, 100});
        p->setCaption("Plate " + QByteArray::number(i + 1));
        plates.push_back(std::move(p));
    }
    const double loadMs = loadTimer.nsecsElapsed() / 1e6;

    QImage target(kTargetW, kTargetH, QImage::Format_RGB32);
    const ViewTransform vt = stripView(0);
    auto paintFast = [&](QPainter& g) {
        for (auto& p : plates)
            p->draw(g, vt);
    };

    QElapsedTimer first;
    first.start();
    {
        QPainter g(&target);
        g.fillRect(target.rect(), kBackground);
        paintFast(g);
    }
    const double firstMs = first.nsecsElapsed() / 1e6;
    const std::vector<double> fast = timeRepaints(target, paintFast);
    const QImage fastFrame = target.copy();
    qint64 heldVisible = 0;
    for (auto& p : plates)
        heldVisible += p->image()->decodedBytes();

    // The naive way: full-resolution decodes, smooth-scaled into place on every repaint.
    std::vector<QImage> full;
    for (auto& p : plates)
        full.push_back(p->image()->fullImage());
    auto paintNaive = [&](QPainter& g) {
        g.setRenderHint(QPainter::SmoothPixmapTransform);
        for (size_t i = 0; i < plates.size(); ++i) {
            const BmpRect& p = *plates[i];
            auto px = [&](int c) {
                const PointD q = vt.toPixels(p.corner(c));
                return QPointF(q.x, q.y);
            };
            g.save();
            g.setTransform(QTransform(), false);
            const double w = full[i].width();
            const double h = full[i].height();
            const QPointF ul = px(3), ur = px(2), ll = px(0);
            g.setWorldTransform(QTransform((ur - ul).x() / w, (ur - ul).y() / w, (ll - ul).x() / h,
                                           (ll - ul).y() / h, ul.x(), ul.y()));
            g.drawImage(QPointF(0, 0), full[i]);
            g.restore();
        }
    };
    const std::vector<double> naive = timeRepaints(target, paintNaive);
    const QImage naiveFrame = target.copy();
    full.clear();

    // The real repaint also draws every frame and caption.
    for (auto& p : plates)
        p->setBFrame(true);
    const std::vector<double> framed = timeRepaints(target, paintFast);

    // Scroll through the whole strip once, then measure what the strip holds.
    const double plateStep = (kPlateW + kGap) * vt.scale;
    for (double shift = 0; shift > -plateStep * kPlates; shift -= kTargetW / 2.0) {
        const ViewTransform scrolled = stripView(shift);
        QPainter g(&target);
        for (auto& p : plates)
            p->draw(g, scrolled);
    }
    qint64 heldAll = 0;
    for (auto& p : plates)
        heldAll += p->image()->decodedBytes();

    // With a folder argument, both frames are written there for a look by eye.
    if (argc > 1) {
        fastFrame.save(QString::fromLocal8Bit(argv[1]) + QStringLiteral("/strip_cached.png"));
        naiveFrame.save(QString::fromLocal8Bit(argv[1]) + QStringLiteral("/strip_naive.png"));
    }

    const double fastMs = median(fast);
    const double naiveMs = median(naive);
    std::printf("load (decode check) of %d plates: %.1f ms\n", kPlates, loadMs);
    std::printf("first repaint (decodes at needed size): %.2f ms\n", firstMs);
    std::printf("median repaint, cached copies: %.3f ms\n", fastMs);
    std::printf("median repaint, cached copies with frames and captions: %.3f ms\n",
                median(framed));
    std::printf("median repaint, naive smooth full-res: %.3f ms\n", naiveMs);
    std::printf("ratio cached/naive: %.4f (goal <= 0.1; goal <= 2 ms)\n", fastMs / naiveMs);
    std::printf("mean |pixel difference| cached vs naive: %.2f of 255\n",
                meanDifference(fastFrame, naiveFrame));
    std::printf("decoded memory held, visible plates drawn: %.1f MB\n", heldVisible / 1048576.0);
    std::printf("decoded memory held, whole strip drawn once: %.1f MB\n", heldAll / 1048576.0);
    std::printf("naive way holds: %.1f MB\n", double(kPlates) * kPlateW * kPlateH * 4 / 1048576.0);
    return 0;
}
