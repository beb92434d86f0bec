#pragma once

#include "PointD.h"

#include <QByteArray>
#include <QFuture>
#include <QSize>

#include <array>
#include <deque>
#include <memory>

class BmpRect;
class BmpRectStream;

// Stand-alone copies of pictures that playback is about to show, decoded and scaled to the
// size they will be drawn at on worker threads, so that a step finds its picture ready.
// A copy is handed out only while its source is unchanged (same bytes, same place).
class PlaybackPrefetch {
public:
    static constexpr int kMaxEntries = 4;

    PlaybackPrefetch();
    ~PlaybackPrefetch(); // waits for the jobs still running
    PlaybackPrefetch(const PlaybackPrefetch&) = delete;
    PlaybackPrefetch& operator=(const PlaybackPrefetch&) = delete;

    // Starts preparing a copy of source for drawing at target device pixels, unless one for
    // it at that size is held already. Runs on the UI thread (it copies source).
    void request(const BmpRect& source, QSize target);
    // The prepared copy of source, waiting for its job if it still runs; null when none is
    // held or source has changed since.
    std::unique_ptr<BmpRectStream> take(const BmpRect& source);
    void clear();

    int hits() const { return m_hits; }
    int misses() const { return m_misses; }

private:
    struct Entry {
        const BmpRect* source = nullptr;
        QByteArray bytes;
        std::array<PointD, 4> corners{};
        QSize target;
        std::unique_ptr<BmpRectStream> copy;
        QFuture<void> job;
    };
    static bool matches(const Entry& entry, const BmpRect& source);

    std::deque<Entry> m_entries;
    int m_hits = 0;
    int m_misses = 0;
};
