#include "SwfWriter.h"

#include <QPolygonF>
#include <QtMath>
#include <algorithm>
#include <map>

namespace {

constexpr int kTwipsPerPixel = 20;
constexpr int kTagEnd = 0;
constexpr int kTagShowFrame = 1;
constexpr int kTagDefineShape = 2;
constexpr int kTagSetBackgroundColor = 9;
constexpr int kTagPlaceObject2 = 26;

qint32 twips(double pixels) {
    return qint32(qRound(pixels * kTwipsPerPixel));
}

void appendLittle16(QByteArray& out, quint32 v) {
    out.append(char(v & 0xFF));
    out.append(char((v >> 8) & 0xFF));
}

void appendLittle32(QByteArray& out, quint32 v) {
    appendLittle16(out, v & 0xFFFF);
    appendLittle16(out, v >> 16);
}

void appendRgb(QByteArray& out, QColor c) {
    out.append(char(c.red()));
    out.append(char(c.green()));
    out.append(char(c.blue()));
}

int unsignedWidth(quint32 v) {
    int n = 0;
    while (v >> n)
        ++n;
    return n;
}

void writeRect(SwfBits& bits, qint32 xMin, qint32 xMax, qint32 yMin, qint32 yMax) {
    const int n = SwfBits::signedWidth({xMin, xMax, yMin, yMax});
    bits.unsignedBits(quint32(n), 5);
    bits.signedBits(xMin, n);
    bits.signedBits(xMax, n);
    bits.signedBits(yMin, n);
    bits.signedBits(yMax, n);
    bits.align();
}

QByteArray matrix(QPointF offset, double scale) {
    SwfBits bits;
    if (scale != 1.0) {
        const auto fixed = qint32(qRound(scale * 65536.0)); // 16.16
        const int n = SwfBits::signedWidth({fixed});
        bits.unsignedBits(1, 1);
        bits.unsignedBits(quint32(n), 5);
        bits.signedBits(fixed, n);
        bits.signedBits(fixed, n);
    } else {
        bits.unsignedBits(0, 1);
    }
    bits.unsignedBits(0, 1); // no rotation
    const qint32 tx = twips(offset.x());
    const qint32 ty = twips(offset.y());
    const int n = (tx == 0 && ty == 0) ? 0 : SwfBits::signedWidth({tx, ty});
    bits.unsignedBits(quint32(n), 5);
    bits.signedBits(tx, n);
    bits.signedBits(ty, n);
    bits.align();
    return bits.bytes();
}

} // namespace

void SwfBits::unsignedBits(quint32 value, int bits) {
    for (int i = bits - 1; i >= 0; --i) {
        m_current = quint8(m_current << 1 | ((value >> i) & 1u));
        if (++m_used == 8) {
            m_out.append(char(m_current));
            m_current = 0;
            m_used = 0;
        }
    }
}

void SwfBits::signedBits(qint32 value, int bits) {
    unsignedBits(quint32(value) & (bits >= 32 ? 0xFFFFFFFFu : ((1u << bits) - 1u)), bits);
}

void SwfBits::align() {
    if (m_used > 0)
        unsignedBits(0, 8 - m_used);
}

QByteArray SwfBits::bytes() {
    align();
    return m_out;
}

int SwfBits::signedWidth(std::initializer_list<qint32> values) {
    int n = 1;
    for (qint32 v : values) {
        const quint32 magnitude = v < 0 ? quint32(~v) : quint32(v);
        n = std::max(n, unsignedWidth(magnitude) + 1);
    }
    return n;
}

SwfContour& SwfContour::lineTo(QPointF p) {
    segments.push_back({false, {}, p});
    return *this;
}

SwfContour& SwfContour::curveTo(QPointF control, QPointF p) {
    segments.push_back({true, control, p});
    return *this;
}

QPainterPath SwfContour::path() const {
    QPainterPath p(start);
    for (const Segment& s : segments) {
        if (s.curved)
            p.quadTo(s.control, s.to);
        else
            p.lineTo(s.to);
    }
    p.closeSubpath();
    return p;
}

std::vector<SwfContour> SwfContour::joinOverlaps(const std::vector<SwfContour>& contours) {
    const auto joinable = [](const SwfContour& c) { return !c.line.isValid(); };
    std::vector<SwfContour> out;
    std::vector<bool> taken(contours.size(), false);
    for (std::size_t i = 0; i < contours.size(); ++i) {
        if (taken[i])
            continue;
        const SwfContour& first = contours[i];
        if (!joinable(first)) {
            out.push_back(first);
            continue;
        }
        QPainterPath joined = first.path();
        bool grew = true;
        int members = 1;
        while (grew) { // overlaps chain: a joins c through b
            grew = false;
            for (std::size_t j = i + 1; j < contours.size(); ++j) {
                const SwfContour& other = contours[j];
                if (taken[j] || !joinable(other) || other.fill != first.fill)
                    continue;
                const QPainterPath p = other.path();
                if (!joined.intersects(p))
                    continue;
                joined = joined.united(p);
                taken[j] = true;
                grew = true;
                ++members;
            }
        }
        if (members == 1) {
            out.push_back(first);
            continue;
        }
        for (const QPolygonF& outline : joined.toSubpathPolygons()) {
            std::vector<QPointF> points(outline.begin(), outline.end());
            if (points.size() > 1 && points.front() == points.back())
                points.pop_back(); // the contour closes itself
            out.push_back(polygon(points, first.fill));
        }
    }
    return out;
}

SwfContour SwfContour::polygon(const std::vector<QPointF>& points, QColor fill) {
    SwfContour c;
    c.fill = fill;
    if (points.empty())
        return c;
    c.start = points.front();
    for (std::size_t i = 1; i < points.size(); ++i)
        c.lineTo(points[i]);
    return c;
}

SwfContour SwfContour::circle(QPointF centre, double radius, QColor fill) {
    SwfContour c;
    c.fill = fill;
    // Control points of a 45-degree quadratic arc lie at radius / cos(22.5 degrees).
    const double controlRadius = radius / std::cos(M_PI / 8);
    c.start = centre + QPointF(radius, 0);
    for (int i = 1; i <= 8; ++i) {
        const double mid = (i - 0.5) * M_PI / 4;
        const double end = i * M_PI / 4;
        c.curveTo(centre + QPointF(std::cos(mid), std::sin(mid)) * controlRadius,
                  centre + QPointF(std::cos(end), std::sin(end)) * radius);
    }
    return c;
}

SwfContour SwfContour::rect(double x, double y, double w, double h, QColor fill) {
    return polygon({{x, y}, {x + w, y}, {x + w, y + h}, {x, y + h}}, fill);
}

SwfMovie::SwfMovie(QSize stage, int framesPerSecond, QColor background)
    : m_stage(stage), m_fps(std::clamp(framesPerSecond, 1, 120)) {
    QByteArray rgb;
    appendRgb(rgb, background);
    appendTag(kTagSetBackgroundColor, rgb);
}

void SwfMovie::appendTag(int code, const QByteArray& body) {
    if (body.size() < 0x3F) {
        appendLittle16(m_tags, quint32(code << 6 | int(body.size())));
    } else {
        appendLittle16(m_tags, quint32(code << 6 | 0x3F));
        appendLittle32(m_tags, quint32(body.size()));
    }
    m_tags.append(body);
}

int SwfMovie::defineShape(const std::vector<SwfContour>& given) {
    const std::vector<SwfContour> contours = SwfContour::joinOverlaps(given);
    // Style tables: one fill per colour, one line per (width, colour).
    std::vector<QRgb> fills;
    std::vector<std::pair<int, QRgb>> lines;
    auto fillIndex = [&](QColor c) {
        const QRgb key = c.rgb();
        auto it = std::find(fills.begin(), fills.end(), key);
        if (it == fills.end()) {
            fills.push_back(key);
            return int(fills.size());
        }
        return int(it - fills.begin()) + 1;
    };
    auto lineIndex = [&](const SwfContour& c) {
        if (!c.line.isValid() || c.lineWidth <= 0)
            return 0;
        const std::pair<int, QRgb> key{twips(c.lineWidth), c.line.rgb()};
        auto it = std::find(lines.begin(), lines.end(), key);
        if (it == lines.end()) {
            lines.push_back(key);
            return int(lines.size());
        }
        return int(it - lines.begin()) + 1;
    };
    std::vector<std::pair<int, int>> styles; // per contour: fill index, line index
    qint32 xMin = INT32_MAX, xMax = INT32_MIN, yMin = INT32_MAX, yMax = INT32_MIN;
    for (const SwfContour& c : contours) {
        styles.emplace_back(fillIndex(c.fill), lineIndex(c));
        const qint32 pad = c.line.isValid() ? twips(c.lineWidth / 2) : 0;
        auto grow = [&](QPointF p) {
            xMin = std::min(xMin, twips(p.x()) - pad);
            xMax = std::max(xMax, twips(p.x()) + pad);
            yMin = std::min(yMin, twips(p.y()) - pad);
            yMax = std::max(yMax, twips(p.y()) + pad);
        };
        grow(c.start);
        for (const auto& s : c.segments) {
            if (s.curved)
                grow(s.control);
            grow(s.to);
        }
    }
    if (contours.empty())
        xMin = xMax = yMin = yMax = 0;

    const int id = m_nextId++;
    QByteArray body;
    appendLittle16(body, quint32(id));
    SwfBits bounds;
    writeRect(bounds, xMin, xMax, yMin, yMax);
    body.append(bounds.bytes());

    body.append(char(fills.size()));
    for (QRgb f : fills) {
        body.append(char(0)); // solid fill
        appendRgb(body, QColor(f));
    }
    body.append(char(lines.size()));
    for (const auto& [width, colour] : lines) {
        appendLittle16(body, quint32(width));
        appendRgb(body, QColor(colour));
    }

    const int fillBits = unsignedWidth(quint32(fills.size()));
    const int lineBits = unsignedWidth(quint32(lines.size()));
    SwfBits bits;
    bits.unsignedBits(quint32(fillBits), 4);
    bits.unsignedBits(quint32(lineBits), 4);

    for (std::size_t i = 0; i < contours.size(); ++i) {
        const SwfContour& c = contours[i];
        qint32 x = twips(c.start.x());
        qint32 y = twips(c.start.y());
        // Style change: line style (when the movie has any), fill 1, fill 0, move to.
        bits.unsignedBits(0, 1); // not an edge
        bits.unsignedBits(0, 1); // no new styles
        bits.unsignedBits(lineBits > 0 ? 1 : 0, 1);
        bits.unsignedBits(1, 1); // fill style 1
        bits.unsignedBits(1, 1); // fill style 0
        bits.unsignedBits(1, 1); // move to
        const int moveBits = SwfBits::signedWidth({x, y});
        bits.unsignedBits(quint32(moveBits), 5);
        bits.signedBits(x, moveBits);
        bits.signedBits(y, moveBits);
        bits.unsignedBits(0, fillBits); // fill 0: none
        bits.unsignedBits(quint32(styles[i].first), fillBits);
        if (lineBits > 0)
            bits.unsignedBits(quint32(styles[i].second), lineBits);

        auto straight = [&](qint32 tx, qint32 ty) {
            const qint32 dx = tx - x, dy = ty - y;
            if (dx == 0 && dy == 0)
                return;
            const int n = std::max(2, SwfBits::signedWidth({dx, dy}));
            bits.unsignedBits(1, 1); // edge
            bits.unsignedBits(1, 1); // straight
            bits.unsignedBits(quint32(n - 2), 4);
            bits.unsignedBits(1, 1); // general line: both deltas follow
            bits.signedBits(dx, n);
            bits.signedBits(dy, n);
            x = tx;
            y = ty;
        };
        for (const auto& s : c.segments) {
            const qint32 tx = twips(s.to.x()), ty = twips(s.to.y());
            if (!s.curved) {
                straight(tx, ty);
                continue;
            }
            const qint32 cx = twips(s.control.x()), cy = twips(s.control.y());
            const qint32 d[4] = {cx - x, cy - y, tx - cx, ty - cy};
            const int n = std::max(2, SwfBits::signedWidth({d[0], d[1], d[2], d[3]}));
            bits.unsignedBits(1, 1); // edge
            bits.unsignedBits(0, 1); // curved
            bits.unsignedBits(quint32(n - 2), 4);
            for (qint32 v : d)
                bits.signedBits(v, n);
            x = tx;
            y = ty;
        }
        straight(twips(c.start.x()), twips(c.start.y())); // close the outline
    }
    bits.unsignedBits(0, 6); // end of shape
    body.append(bits.bytes());
    appendTag(kTagDefineShape, body);
    return id;
}

void SwfMovie::place(int depth, int characterId, QPointF offset, double scale) {
    QByteArray body;
    body.append(char(0x06)); // has matrix, has character
    appendLittle16(body, quint32(depth));
    appendLittle16(body, quint32(characterId));
    body.append(matrix(offset, scale));
    appendTag(kTagPlaceObject2, body);
}

void SwfMovie::move(int depth, QPointF offset, double scale) {
    QByteArray body;
    body.append(char(0x05)); // has matrix, move
    appendLittle16(body, quint32(depth));
    body.append(matrix(offset, scale));
    appendTag(kTagPlaceObject2, body);
}

void SwfMovie::showFrame() {
    appendTag(kTagShowFrame, {});
    ++m_frames;
}

QByteArray SwfMovie::finish() const {
    QByteArray header("FWS");
    header.append(char(6));
    header.append(QByteArray(4, '\0')); // length, filled in below
    SwfBits frame;
    writeRect(frame, 0, twips(m_stage.width()), 0, twips(m_stage.height()));
    header.append(frame.bytes());
    appendLittle16(header, quint32(m_fps) << 8); // 8.8 fixed point
    appendLittle16(header, quint32(m_frames));

    QByteArray file = header + m_tags;
    appendLittle16(file, quint32(kTagEnd << 6));
    const auto length = quint32(file.size());
    for (int i = 0; i < 4; ++i)
        file[4 + i] = char((length >> (8 * i)) & 0xFF);
    return file;
}
