#include "BmpRectStream.h"
#include "Instances.h"
#include "Scene.h"
#include "TestShapes.h"
#include "VectorLine.h"
#include "ViewTransform.h"

#include <QTest>

Q_DECLARE_METATYPE(PointD)

namespace {

ViewTransform pointerAt(PointD p) {
    ViewTransform vt;
    vt.viewHeight = 600;
    vt.pointer = p;
    return vt;
}

} // namespace

class TestScene : public QObject {
    Q_OBJECT

private slots:
    void shapeAtStopsAtTheFirstHit_data();
    void shapeAtStopsAtTheFirstHit();
    void lastPictureCornerSkipsOtherShapes();
    void layoutRowStandsPicturesSideBySide();
    void findSelectedKeepsPreviousWhenNone();
    void clearDestroysEveryOwnedShapeOnce();
    void destructionFreesShapesAndRegistration();
};

void TestScene::shapeAtStopsAtTheFirstHit_data() {
    QTest::addColumn<PointD>("pointer");
    QTest::addColumn<int>("expected"); // index into the list; -1 for none
    QTest::addColumn<bool>("trailingAsked");
    // Picture 0 covers x 0..100, picture 1 x 50..150, both y 0..100.
    QTest::newRow("overlap: the earlier one") << PointD{75, 50} << 0 << false;
    QTest::newRow("only the later one") << PointD{125, 50} << 1 << false;
    QTest::newRow("on the earlier one's right edge") << PointD{100, 50} << 1 << false;
    QTest::newRow("nothing there") << PointD{75, 150} << -1 << true;
}

void TestScene::shapeAtStopsAtTheFirstHit() {
    QFETCH(PointD, pointer);
    QFETCH(int, expected);
    QFETCH(bool, trailingAsked);
    Scene scene;
    std::vector<Shape*> pictures;
    for (const PointD at : {PointD{0, 0}, PointD{50, 0}}) {
        pictures.push_back(makePicture(100, 100, at).release());
        scene.shapes().append(pictures.back());
    }
    auto* trailing = new CountingShape;
    scene.shapes().append(trailing);

    Shape* hit = scene.shapeAt(pointerAt(pointer));
    QCOMPARE(hit, expected < 0 ? nullptr : pictures[std::size_t(expected)]);
    QCOMPARE(trailing->hitTests, trailingAsked ? 1 : 0);
}

void TestScene::lastPictureCornerSkipsOtherShapes() {
    Scene scene;
    QCOMPARE(scene.lastPictureCorner(), PointD{});
    scene.shapes().append(new VectorLine);
    QCOMPARE(scene.lastPictureCorner(), PointD{});
    scene.shapes().append(makePicture(100, 50, {10, 20}).release());
    scene.shapes().append(new CountingShape);
    QCOMPARE(scene.lastPictureCorner(), (PointD{110, 20}));
}

void TestScene::layoutRowStandsPicturesSideBySide() {
    Scene plate;
    Instances::registerPlateScene(plate);
    plate.startMove();
    QCOMPARE(&plate.currentTool(), static_cast<Draw*>(&plate.changePosTool()));

    Scene lesson;
    std::vector<BmpRectStream*> pictures;
    auto* other = new VectorLine;
    // Turned and scattered on purpose: the layout must not depend on earlier placement.
    pictures.push_back(makePicture(100, 60, {500, 500}).release());
    pictures.back()->placeByVector({7, 7}, {107, 7});
    lesson.shapes().append(pictures.back());
    lesson.shapes().append(other);
    pictures.push_back(makePicture(50, 90, {-40, 3}).release());
    lesson.shapes().append(pictures.back());
    pictures.push_back(makePicture(80, 30, {1, 1}).release());
    lesson.shapes().append(pictures.back());

    lesson.layoutRow();

    const double lowerLeftX[] = {0, 130, 210};
    for (std::size_t i = 0; i < pictures.size(); ++i) {
        QCOMPARE(pictures[i]->corner(0), (PointD{lowerLeftX[i], 0}));
        QCOMPARE(pictures[i]->corner(2).y, double(pictures[i]->height()));
        QVERIFY(pictures[i]->isComplete());
    }
    QVERIFY(other->points().empty());
    QCOMPARE(*std::next(lesson.shapes().begin()), static_cast<Shape*>(other));
    // Each placed picture ends the plate view's tool, not the lesson's.
    QCOMPARE(&plate.currentTool(), &plate.drawTool());
    Instances::unregisterPlateScene(plate);
}

void TestScene::findSelectedKeepsPreviousWhenNone() {
    Scene scene;
    QVERIFY(!scene.findSelected());
    QCOMPARE(scene.selected(), nullptr);

    auto a = makePicture(10, 10);
    auto b = makePicture(10, 10);
    BmpRectStream* pa = a.get();
    BmpRectStream* pb = b.get();
    scene.shapes().append(new VectorLine);
    scene.shapes().append(a.release());
    scene.shapes().append(b.release());
    pa->setState(BmpRect::kStateSelected);
    pb->setState(BmpRect::kStateSelected);
    QVERIFY(scene.findSelected());
    QCOMPARE(scene.selected(), pa);

    scene.clearSelection();
    QCOMPARE(pb->state(), BmpRect::kStateNormal);
    QVERIFY(!scene.findSelected());
    QCOMPARE(scene.selected(), pa);
}

void TestScene::clearDestroysEveryOwnedShapeOnce() {
    int listedAndRecorded = 0, deleted = 0, putBack = 0, line = 0, unrecorded = 0;
    Scene scene;
    auto* a = makePicture<CountingPicture>(10, 10, {}, &listedAndRecorded).release();
    auto* b = makePicture<CountingPicture>(10, 10, {}, &deleted).release();
    auto* c = makePicture<CountingPicture>(10, 10, {}, &putBack).release();
    auto* d = makePicture<CountingPicture>(10, 10, {}, &unrecorded).release();
    scene.shapes().recordEdit({a, scene.shapes().append(a), ListEdit::kInserted});
    for (Shape* shape : {static_cast<Shape*>(b), static_cast<Shape*>(c), static_cast<Shape*>(d),
                         static_cast<Shape*>(new CountingShape(&line))})
        scene.shapes().append(shape);
    const auto remove = [&scene](BmpRect* picture) {
        scene.clearSelection();
        picture->setState(BmpRect::kStateSelected);
        QVERIFY(scene.deleteSelected());
    };
    // c comes back, then the next delete drops the undone command: c is the list's again.
    remove(c);
    QCOMPARE(scene.undoLessonEdit(), Scene::Undone::Deleted);
    remove(b);
    // Deleted before a shape that is no picture: no command holds it, the scene still owns it.
    remove(d);
    QCOMPARE(scene.lessonHistory().count(), 1);
    QVERIFY(!scene.shapes().contains(b) && !scene.shapes().contains(d));
    QCOMPARE(deleted + putBack + unrecorded, 0);
    a->setState(BmpRect::kStateSelected);
    QVERIFY(scene.findSelected());

    scene.clear();

    for (const int destroyed : {listedAndRecorded, deleted, putBack, line, unrecorded})
        QCOMPARE(destroyed, 1);
    QVERIFY(scene.shapes().empty());
    QCOMPARE(scene.lessonHistory().count(), 0);
    QCOMPARE(scene.undoLessonEdit(), Scene::Undone::Nothing);
    QVERIFY(scene.shapes().undoHistory().empty());
    QCOMPARE(scene.selected(), nullptr);
    QVERIFY(!scene.storage().isOpen());
}

void TestScene::destructionFreesShapesAndRegistration() {
    int destroyed = 0;
    {
        Scene scene;
        Instances::registerPlateScene(scene);
        scene.shapes().append(new CountingShape(&destroyed));
        auto* deleted = makePicture<CountingPicture>(10, 10, {}, &destroyed).release();
        scene.shapes().append(deleted);
        deleted->setState(BmpRect::kStateSelected);
        QVERIFY(scene.deleteSelected()); // its command holds it
    }
    QCOMPARE(destroyed, 2);
    QCOMPARE(Instances::plateScene(), nullptr);
    // A shape completing with no plate scene registered: nothing to end, nothing breaks.
    Shape::notifyEndTool();
}

QTEST_MAIN(TestScene)
#include "test_scene.moc"
