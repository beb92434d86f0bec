#pragma once

class QThreadPool;

// The threads pictures decode on. Not Qt's global pool: Qt's own smooth scaling splits its
// work over that pool and waits for it on the windows' thread, so a long decode there would
// hold up a paint.
QThreadPool& decodePool();
