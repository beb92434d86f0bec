#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

#include <functional>
#include <vector>

class BmpRect;
class QPagedPaintDevice;
class QPainter;
class HandoutLayout;

// One picture of a handout: its own encoded bytes (shared, never a screen copy) and the text
// under it.
struct HandoutPicture {
    QByteArray bytes;
    QString caption;

    // The picture's caption, else its picture or element name (a Flash movie's name says
    // nothing to a pupil, so it is left out).
    static HandoutPicture of(const BmpRect& picture);
};

// Paints a lesson's pictures as a handout onto a paged device (a PDF file or a printer):
// pictures in lesson order, perPage to a page (HandoutLayout), each with its place and caption
// under it, and on every page a header with the lesson's name and the page number. Each
// picture is decoded from its bytes at its own resolution, shrunk only where it holds more
// pixels than the paper shows at kMaxDpi. A picture that does not decode keeps its cell with
// a note and its caption, and is listed in undecodable().
//
// Works on any one thread: everything it paints with is its own (the pictures' bytes are
// implicitly shared copies).
class HandoutRenderer {
public:
    enum class Result { Done, Cancelled, Failed };
    static constexpr int kMaxDpi = 300;

    HandoutRenderer(QString title, std::vector<HandoutPicture> pictures, int perPage);

    int pictureCount() const { return int(m_pictures.size()); }
    int perPage() const { return m_perPage; }
    const QString& title() const { return m_title; }

    // goOn(picturesDone) is asked before each picture; false stops the run, and abort (when
    // given) is called while the device is still being painted, so a printer can drop the
    // job. Failed: the device could not be painted on.
    Result render(QPagedPaintDevice& device, const std::function<bool(int)>& goOn,
                  const std::function<void()>& abort = {});
    // An A4 PDF at path, replaced only when complete: a cancelled or failed run leaves what
    // was there before.
    Result writePdf(const QString& path, const std::function<bool(int)>& goOn);

    // Places (1-based) of the pictures the last run could not decode, and their captions.
    const QList<int>& undecodable() const { return m_undecodable; }
    QStringList undecodableNames() const;

private:
    void paintHeader(QPainter& g, const HandoutLayout& layout, int page) const;
    void paintPicture(QPainter& g, const HandoutLayout& layout, int index);

    QString m_title;
    std::vector<HandoutPicture> m_pictures;
    int m_perPage;
    QList<int> m_undecodable;
};
