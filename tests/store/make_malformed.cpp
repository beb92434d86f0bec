// Writes the damaged fragment files of tests/data/malformed/ into the folder given.
//   make_malformed tests/data/malformed

#include "MalformedFiles.h"

#include <QDir>
#include <QFile>
#include <cstdio>

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_malformed FOLDER\n");
        return 2;
    }
    const QDir dir(QFile::decodeName(argv[1]));
    for (const MalformedFile& file : malformedFiles()) {
        QFile out(dir.filePath(file.name));
        if (!out.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
            out.write(file.bytes) != file.bytes.size()) {
            std::fprintf(stderr, "make_malformed: cannot write %s\n", qPrintable(out.fileName()));
            return 1;
        }
    }
    return 0;
}
