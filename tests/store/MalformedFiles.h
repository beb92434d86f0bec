#pragma once

#include <QByteArray>
#include <QString>
#include <vector>

// The damaged fragment files kept in tests/data/malformed/, each named by its one defect.
// make_malformed writes them; the container test reads the committed copies and checks that
// they still equal what this code makes.
struct MalformedFile {
    QString name;
    QByteArray bytes;
};

std::vector<MalformedFile> malformedFiles();

// The sound fragment the damaged ones start from: an "xml" stream naming one picture
// stream "pic.jpg" of kPictureSize bytes.
QByteArray soundFragmentXml();
constexpr int kPictureSize = 6000;
