#pragma once

#include <QString>

class FragmentSink;
class XmlDoc;
class XmlStorage;

// Reading whole fragment and lesson files into a scene. The scene is reached only through the
// sink; the container is the scene's own. Paths are local paths as the file system spells
// them (a code page 1251 path converts with cp1251::toUnicode).
//
// These blocking loads serve callers without a window layer above them (tools, tests): every
// failure is also shown here, once the load has ended (messageBox, OK button, the
// application's title): the one that ended the load, then the pictures that did not decode in
// one message (FailureSummary). Both are reported to the sink too; nothing is raised to the
// caller. The program's windows load through LoadJob, which shows nothing.
namespace store {

// Number of "Object" records whose type is "BmpRect" or "BmpRectStream" in the parsed
// document. Raises Err "Empty loadList".
int countPictures(const XmlDoc& doc);

// Opens the fragment read-only on storage (which must be closed: the scene clears itself
// first), reports the progress range 0 … n + 1 (n = countPictures), and hands every picture
// record's picture to the sink in record order with one progress step per "Object" record.
// A picture that does not decode is dropped and the load goes on; a failure of the
// file or a missing picture stream shows its message and ends the load, the pictures before
// it kept. The fragment stays open (and locked) in storage until the scene is cleared.
//
// Blocking, without an event loop: LoadJob runs the same load in steps from the event loop.
void loadFragment(XmlStorage& storage, const QString& localPath, FragmentSink& sink);

// Closes storage, then reads a lesson: only "BmpRectStream" records, no progress; blocking,
// like loadFragment. False (with its message) when the file could not be opened or its document
// read; the pictures delivered so far stay delivered and storage stays open until the scene is
// cleared. True when the document was read (some pictures may have been dropped with their own
// messages); storage is closed again. The caller sets the scene's file path on true.
bool loadLesson(XmlStorage& storage, const QString& localPath, FragmentSink& sink);

} // namespace store
