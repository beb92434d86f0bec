#pragma once

#include "FragmentSink.h"
#include "ObjectRecord.h"

#include <QString>
#include <QStringList>

#include <memory>
#include <vector>

class BmpRectStream;

// A fragment or lesson file read by the program's own loader, with what became of each
// "Object" record and every message the user would have seen. Used by the ls and check
// commands of trevalon-frag.
struct ListedRecord {
    enum class Outcome { Loaded, Skipped, Failed };

    int index = 0; // 1-based, in document order
    Outcome outcome = Outcome::Skipped;
    bool reached = false;                   // false after a record that ended the load
    ObjectRecord fields;                    // as the record holds them (readLoose)
    bool pointsFound = false;               // fields.vecBeg/vecEnd are meaningful
    std::unique_ptr<BmpRectStream> picture; // the loaded picture
};

struct ListedFile {
    bool documentRead = false; // the loader got as far as the records
    std::vector<ListedRecord> records;
    QStringList messages;
};

// Loads localPath as a fragment (loadFragment) or, with lesson, as a lesson (loadLesson).
// Records the loader never reached (after a missing stream) are listed as skipped.
ListedFile listFile(const QString& localPath, bool lesson);

QString outcomeName(ListedRecord::Outcome outcome);
