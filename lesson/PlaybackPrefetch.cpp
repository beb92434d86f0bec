#include "PlaybackPrefetch.h"

#include "BmpRect.h"
#include "BmpRectStream.h"
#include "DecodePool.h"
#include "PictureImage.h"

#include <QtConcurrent/QtConcurrentRun>

PlaybackPrefetch::PlaybackPrefetch() = default;

PlaybackPrefetch::~PlaybackPrefetch() {
    clear();
}

bool PlaybackPrefetch::matches(const Entry& entry, const BmpRect& source) {
    // Shared bytes compare by their data first; a lesson edit that moved the picture changes
    // its corners.
    return entry.source == &source && entry.corners == source.corners() &&
           (entry.bytes.constData() == source.streamBytes().constData() ||
            entry.bytes == source.streamBytes());
}

void PlaybackPrefetch::request(const BmpRect& source, QSize target) {
    for (const Entry& e : m_entries)
        if (matches(e, source) && e.target == target)
            return;
    if (target.isEmpty() || source.streamBytes().isEmpty() || !source.hasImage())
        return;
    while (static_cast<int>(m_entries.size()) >= kMaxEntries)
        m_entries.pop_front();
    Entry e;
    e.source = &source;
    e.bytes = source.streamBytes();
    e.corners = source.corners();
    e.target = target;
    e.copy = std::make_shared<std::unique_ptr<BmpRectStream>>(source.clone());
    if (!*e.copy || !(*e.copy)->image())
        return;
    e.job = QtConcurrent::run(&decodePool(), [copy = e.copy, target] {
        if (*copy)
            (*copy)->image()->prepareScreenCopy(target);
    });
    m_entries.push_back(std::move(e));
}

std::unique_ptr<BmpRectStream> PlaybackPrefetch::take(const BmpRect& source) {
    for (auto it = m_entries.begin(); it != m_entries.end(); ++it) {
        if (it->source != &source)
            continue;
        std::unique_ptr<BmpRectStream> copy;
        if (it->job.isFinished() && matches(*it, source))
            copy = std::move(*it->copy);
        m_entries.erase(it);
        if (copy) {
            ++m_hits;
            return copy;
        }
        break;
    }
    ++m_misses;
    return nullptr;
}

void PlaybackPrefetch::clear() {
    m_entries.clear();
}
