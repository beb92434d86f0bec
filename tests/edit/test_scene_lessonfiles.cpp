#include "BmpRectStream.h"
#include "ObjectRecord.h"
#include "Pline.h"
#include "Scene.h"
#include "ScriptedWindowServices.h"
#include "StoreFixtures.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

namespace {

void addPicture(Scene& scene, const QByteArray& name, QColor colour) {
    ObjectRecord r;
    r.name = name;
    r.picName = name;
    r.vecBeg = {double(scene.shapes().size()) * 100, 0};
    r.vecEnd = {r.vecBeg.x, 100};
    scene.shapes().append(r.makePicture(fixtures::pngBytes({40, 30}, colour)).release());
}

QStringList namesIn(const Scene& scene) {
    QStringList out;
    for (const Shape* s : scene.shapes())
        if (const auto* p = dynamic_cast<const BmpRectStream*>(s))
            out << QString::fromLatin1(p->name());
    return out;
}

} // namespace

class TestSceneLessonFiles : public QObject {
    Q_OBJECT
private:
    QTemporaryDir m_dir;

private slots:
    void savedLessonLoadsIntoAnotherScene() {
        ScriptedWindowServices services;
        Scene lesson;
        addPicture(lesson, "a", Qt::red);
        lesson.shapes().append(new Pline);
        addPicture(lesson, "b", Qt::blue);
        const QString file = m_dir.filePath("lesson.les");
        QVERIFY(lesson.saveLesson(file));
        QCOMPARE(lesson.filePath(), file);

        Scene other;
        addPicture(other, "old", Qt::green);
        QVERIFY(other.loadLesson(file));
        QCOMPARE(namesIn(other), (QStringList{"a", "b"}));
        QCOMPARE(other.shapes().size(), std::size_t(2));
        QCOMPARE(other.filePath(), file);
        QVERIFY(!other.storage().isOpen());

        // The same from the event loop: loadLesson returns at once, done tells the end.
        Scene third;
        int done = 0;
        third.loadLesson(file, nullptr, [&](bool read) { done += read ? 1 : 100; });
        QVERIFY(third.isLoading());
        QTRY_COMPARE(done, 1);
        QCOMPARE(namesIn(third), (QStringList{"a", "b"}));
        QCOMPARE(third.filePath(), file);
        QVERIFY(!third.storage().isOpen());

        // A save while the lesson loads finishes the load first: no half lesson is written.
        const QString copy = m_dir.filePath("copy.les");
        third.loadLesson(file, nullptr, nullptr);
        QVERIFY(third.saveLesson(copy));
        QVERIFY(!third.isLoading());
        QVERIFY(other.loadLesson(copy));
        QCOMPARE(namesIn(other), (QStringList{"a", "b"}));
        QVERIFY(services.messages.isEmpty());
    }

    void failedLoadLeavesAnEmptySceneAndTheOldPath() {
        ScriptedWindowServices services;
        Scene scene;
        scene.setFilePath("before.les");
        addPicture(scene, "old", Qt::green);
        fixtures::CollectingSink listener(services);
        QVERIFY(!scene.loadLesson(m_dir.filePath("missing.les"), &listener));
        QVERIFY(scene.shapes().empty());
        QCOMPARE(scene.filePath(), QString("before.les"));
        // The listener is told; the scene shows nothing itself.
        QCOMPARE(listener.events,
                 QStringList{"ended:Файл открыт другим приложением или поврежден."});
        QVERIFY(services.messages.isEmpty());
    }

    void failedSaveStillTakesThePath() {
        ScriptedWindowServices services;
        const QString file = m_dir.filePath("readonly.les");
        {
            QFile f(file);
            QVERIFY(f.open(QIODevice::WriteOnly));
        }
        QVERIFY(QFile::setPermissions(file, QFile::ReadOwner));
        Scene scene;
        addPicture(scene, "a", Qt::red);
        QString failure;
        QVERIFY(!scene.saveLesson(file, nullptr, &failure));
        QCOMPARE(scene.filePath(), file);
        QCOMPARE(failure, file + " нет доступа");
        QVERIFY(services.messages.isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestSceneLessonFiles)
#include "test_scene_lessonfiles.moc"
