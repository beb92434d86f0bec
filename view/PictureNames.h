#pragma once

#include <QByteArray>

// A picture name as topic links give it ("plate07.jpg", "anim3.GIF") brought to the form
// the fragments store in "picName": the first occurrence of each of "GIF", "gif", "jpg",
// "rsc" and then "." is removed, in that order, each only when present. Bytes are code page
// 1251 and compared as they are (no case folding).
QByteArray normalisedPictureName(const QByteArray& name);
