#include "ShapeList.h"
#include "TestShapes.h"

#include <QTest>

#include <array>
#include <vector>

namespace {

std::vector<Shape*> order(const ShapeList& list) {
    return {list.begin(), list.end()};
}

// Every listed shape's back reference names the node that holds it.
bool nodesConsistent(ShapeList& list) {
    for (auto it = list.begin(); it != list.end(); ++it) {
        if (!(*it)->hasNode() || (*it)->node() != it)
            return false;
    }
    return true;
}

} // namespace

class TestShapeList : public QObject {
    Q_OBJECT

private slots:
    void linkingSetsBackReferences();
    void clearDestroysEachOwnedShapeOnce_data();
    void clearDestroysEachOwnedShapeOnce();
    void undoRefusesAtFloor_data();
    void undoRefusesAtFloor();
    void redoAppendsAtEndAgain();
    void undoAfterNodeWasErasedElsewhere();
};

void TestShapeList::linkingSetsBackReferences() {
    ShapeList list;
    CountingShape a, b, c, d;
    list.append(&b);
    list.prepend(&a);
    const ShapeNode nd = list.append(&d);
    list.insertBefore(nd, &c);
    QCOMPARE(order(list), (std::vector<Shape*>{&a, &b, &c, &d}));
    QVERIFY(nodesConsistent(list));
    QVERIFY(list.append(nullptr) == list.end());
    list.append(&c);
    list.removeAll(&c);
    list.erase(list.begin());
    QCOMPARE(order(list), (std::vector<Shape*>{&b, &d}));
    QVERIFY(!a.hasNode() && !c.hasNode());
    // Unlinking and destroying the list destroy no shape (these live on the stack).
}

void TestShapeList::clearDestroysEachOwnedShapeOnce_data() {
    QTest::addColumn<int>("setup");
    QTest::addColumn<int>("shapes");
    QTest::newRow("listed only") << 0 << 2;
    QTest::newRow("listed and named by the undo history") << 1 << 2;
    QTest::newRow("named twice by the undo history") << 2 << 1;
    QTest::newRow("undone insertion, named by redo only") << 3 << 1;
    QTest::newRow("redo dropped by a new edit") << 4 << 2;
    QTest::newRow("handed over and listed") << 5 << 3;
    QTest::newRow("recorded, then erased from the list") << 6 << 1;
    QTest::newRow("retired twice, once listed") << 7 << 2;
}

void TestShapeList::clearDestroysEachOwnedShapeOnce() {
    QFETCH(int, setup);
    QFETCH(int, shapes);
    std::array<int, 3> destroyed{};
    std::array<CountingShape*, 3> s{};
    for (int i = 0; i < 3; ++i)
        s[i] = new CountingShape(&destroyed[i]);
    ShapeList list;
    std::vector<Shape*> handedOver;
    auto insert = [&](Shape* shape) {
        list.recordEdit({shape, list.append(shape), ListEdit::kInserted});
    };
    switch (setup) {
    case 0:
        list.append(s[0]);
        list.append(s[1]);
        break;
    case 1:
        insert(s[0]);
        list.append(s[1]);
        break;
    case 2:
        insert(s[0]);
        list.recordEdit({s[0], std::nullopt, ListEdit::kInserted});
        break;
    case 3:
        insert(s[0]);
        QVERIFY(list.undo());
        QVERIFY(list.empty());
        break;
    case 4:
        insert(s[0]);
        QVERIFY(list.undo());
        insert(s[1]);
        QVERIFY(!list.redo()); // the undone insertion cannot come back
        break;
    case 5:
        list.append(s[0]);
        list.append(s[1]);
        handedOver = {s[0], s[2], s[0]};
        break;
    case 6:
        insert(s[0]);
        list.erase(list.begin());
        break;
    case 7:
        list.append(s[0]);
        list.retire(s[0]);
        list.retire(s[1]);
        list.retire(s[1]);
        break;
    }
    for (int i = shapes; i < 3; ++i)
        delete s[i];

    list.clear(handedOver);

    for (int i = 0; i < shapes; ++i)
        QCOMPARE(destroyed[i], 1);
    QVERIFY(list.empty());
    QVERIFY(list.undoHistory().empty());
    QVERIFY(list.redoHistory().empty());
}

void TestShapeList::undoRefusesAtFloor_data() {
    QTest::addColumn<int>("entries");
    QTest::addColumn<int>("floor");
    QTest::newRow("empty history") << 0 << 0;
    QTest::newRow("as many entries as the floor") << 2 << 2;
    QTest::newRow("fewer entries than the floor") << 1 << 3;
}

void TestShapeList::undoRefusesAtFloor() {
    QFETCH(int, entries);
    QFETCH(int, floor);
    ShapeList list;
    for (int i = 0; i < entries; ++i) {
        Shape* shape = new CountingShape;
        list.recordEdit({shape, list.append(shape), ListEdit::kInserted});
    }
    list.setUndoFloor(floor);
    const std::vector<Shape*> before = order(list);
    QVERIFY(!list.undo());
    QCOMPARE(order(list), before);
    QCOMPARE(list.undoHistory().size(), std::size_t(entries));
    QVERIFY(list.redoHistory().empty());
    QVERIFY(!list.redo());
    list.clear();
}

void TestShapeList::redoAppendsAtEndAgain() {
    ShapeList list;
    auto* a = new CountingShape;
    auto* b = new CountingShape;
    auto* c = new CountingShape;
    list.append(a);
    list.recordEdit({b, list.append(b), ListEdit::kInserted});
    list.append(c);
    QVERIFY(list.undo());
    QCOMPARE(order(list), (std::vector<Shape*>{a, c}));
    QVERIFY(!b->hasNode());
    auto* d = new CountingShape;
    list.append(d); // appended meanwhile, without a record
    QVERIFY(list.redo());
    QCOMPARE(order(list), (std::vector<Shape*>{a, c, d, b}));
    QCOMPARE(*b->node(), b);
    QCOMPARE(list.undoHistory().back().node, std::optional<ShapeNode>(b->node()));
    // And once more: the node stored by redo is the one undo unlinks.
    QVERIFY(list.undo());
    QCOMPARE(order(list), (std::vector<Shape*>{a, c, d}));
    QVERIFY(!list.undo());
    list.clear();
}

void TestShapeList::undoAfterNodeWasErasedElsewhere() {
    // The recorded node is unlinked by someone else; undo must not touch the dead node
    // (ASan would see it) and must not take another shape out.
    ShapeList list;
    auto* a = new CountingShape;
    auto* b = new CountingShape;
    const ShapeNode na = list.append(a);
    list.recordEdit({a, na, ListEdit::kInserted});
    list.append(b);
    list.erase(na);
    QVERIFY(!list.undoHistory().back().node.has_value());
    QVERIFY(list.undo());
    QCOMPARE(order(list), (std::vector<Shape*>{b}));
    QVERIFY(list.redo());
    QCOMPARE(order(list), (std::vector<Shape*>{b, a}));
    list.clear();
}

QTEST_GUILESS_MAIN(TestShapeList)
#include "test_shapelist.moc"
