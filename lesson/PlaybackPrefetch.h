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
// A copy is handed out only while its source is unchanged (same bytes, same place) and its
// job has finished: the windows' thread never waits for a decode here (a job still running
// keeps its copy to itself and lets go of it when it ends).
class PlaybackPrefetch {
public:
    static constexpr int kMaxEntries = 4;

    PlaybackPrefetch();
    ~PlaybackPrefetch();
    PlaybackPrefetch(const PlaybackPrefetch&) = delete;
    PlaybackPrefetch& operator=(const PlaybackPrefetch&) = delete;

    // Starts preparing a copy of source for drawing at target device pixels, unless one for
    // it at that size is held already. Runs on the UI thread (it copies source).
    void request(const BmpRect& source, QSize target);
    // The prepared copy of source; null when none is held, its job still runs or source has
    // changed since.
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
        // Shared with the job, which alone touches the copy until it has finished.
        std::shared_ptr<std::unique_ptr<BmpRectStream>> copy;
        QFuture<void> job;
    };
    static bool matches(const Entry& entry, const BmpRect& source);

    std::deque<Entry> m_entries;
    int m_hits = 0;
    int m_misses = 0;
};
