#include "Err.h"
#include "XmlDoc.h"

#include <QTest>

#include <cmath>
#include <sstream>

namespace {

QByteArray declaration() {
    return "<?xml version=\"1.0\" encoding=\"windows-1251\"?>\n";
}

// Texts of the tokens with their depths, "depth:text" per token, for compact comparisons.
QStringList describe(const XmlDoc& doc) {
    QStringList out;
    for (auto t = doc.loadList().begin(); t != doc.loadList().end(); ++t)
        out << QString("%1:%2").arg(t->depth).arg(QString::fromLatin1(doc.text(t)));
    return out;
}

QString errorOf(const std::function<void()>& f) {
    try {
        f();
    } catch (const Err& e) {
        return e.text();
    }
    return {};
}

} // namespace

class TestXmlDoc : public QObject {
    Q_OBJECT
private slots:
    void serializeWritesOneTokenPerLine() {
        XmlDoc doc;
        const XmlPos root = doc.createRoot("Data");
        doc.addElement(root, "Pictures");
        QCOMPARE(doc.serialize(), declaration() + "<Data>\n<Pictures>\n</Pictures>\n</Data>\n");
    }

    void childrenKeepInsertionOrderAndAttributes() {
        XmlDoc doc;
        const XmlPos root = doc.createRoot("Data");
        const XmlPos obj = doc.addElement(root, "Object");
        doc.setAttribute(obj, "type", "BmpRect");
        doc.setAttribute(obj, "id", "7");
        doc.addTextElement(obj, "name", "abc.jpg");
        doc.addIntElement(obj, "bFrame", 1);
        doc.addIntElement(obj, "n", -42);
        doc.addRealElement(obj, "scale", 123.456789);
        // Set after a child exists: lands in the child's token, as the dialect dictates.
        doc.setAttribute(obj, "late", "x");
        QCOMPARE(doc.serialize(),
                 declaration() +
                     "<Data>\n<Object type=\"BmpRect\" id=\"7\">\n<name>abc.jpg</name>\n"
                     "<bFrame>1</bFrame>\n<n>-42</n>\n<scale late=\"x\">123.457</scale>\n"
                     "</Object>\n</Data>\n");
    }

    void createRootTwiceRaises() {
        XmlDoc doc;
        doc.createRoot("Data");
        QCOMPARE(errorOf([&] { doc.createRoot("Other"); }), QString("Root already exist"));
        doc.clearSaveList();
        QCOMPARE(errorOf([&] { doc.createRoot("Data"); }), QString());
    }

    void formatReal_data() {
        QTest::addColumn<double>("value");
        QTest::addColumn<QByteArray>("text");
        QTest::newRow("one") << 1.0 << QByteArray("1");
        QTest::newRow("six digits") << 123.456789 << QByteArray("123.457");
        QTest::newRow("negative") << -3.0 << QByteArray("-3");
        QTest::newRow("half") << 1.5 << QByteArray("1.5");
        QTest::newRow("million") << 1e6 << QByteArray("1e+06");
        QTest::newRow("small") << 0.0001234567 << QByteArray("0.000123457");
        QTest::newRow("tiny") << 1.5e-7 << QByteArray("1.5e-07");
        QTest::newRow("zero") << 0.0 << QByteArray("0");
    }
    void formatReal() {
        QFETCH(double, value);
        QFETCH(QByteArray, text);
        QCOMPARE(XmlDoc::formatReal(value), text);
    }

    void parse_data() {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<QStringList>("tokens");
        QTest::newRow("serialized")
            << declaration() + "<Data>\n<name>a</name>\n</Data>\n"
            << QStringList{"0:<Data>", "1:<name>", "1:a</name>", "0:</Data>"};
        QTest::newRow("crlf") << QByteArray(
                                     "<?xml version=\"1.0\"?>\r\n<Data>\r\n<x>1</x>\r\n</Data>\r\n")
                              << QStringList{"0:\n<Data>", "1:\n<x>", "1:1</x>", "0:\n</Data>",
                                             "0:\n>"};
        QTest::newRow("no declaration, first token with version")
            << QByteArray("<Data version=\"2\">\n<a>\n</a>\n</Data>")
            << QStringList{"0:<a>", "0:</a>", "-1:</Data>"};
        QTest::newRow("declaration without the word kept")
            << QByteArray("<?xml?>\n<Data>\n</Data>\n")
            << QStringList{"0:<?xml?>", "1:<Data>", "1:</Data>"};
        QTest::newRow("trailing text")
            << QByteArray("<Data>\n</Data>\nxyz") << QStringList{"0:<Data>", "0:</Data>", "0:xyz>"};
        QTest::newRow("nested") << QByteArray(
                                       "<R>\n<A>\n<B>\n<v>1</v>\n</B>\n</A>\n<C>\n</C>\n</R>\n")
                                << QStringList{"0:<R>",  "1:<A>",  "2:<B>", "3:<v>",  "3:1</v>",
                                               "2:</B>", "1:</A>", "1:<C>", "1:</C>", "0:</R>"};
        QTest::newRow("empty") << QByteArray() << QStringList{};
    }
    void parse() {
        QFETCH(QByteArray, text);
        QFETCH(QStringList, tokens);
        XmlDoc doc;
        doc.parse(text);
        QCOMPARE(describe(doc), tokens);
    }

    void documentRangeNeedsTwoTokens_data() {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<QString>("error");
        QTest::newRow("empty") << QByteArray() << "Empty loadList";
        QTest::newRow("declaration only") << declaration() << "Empty loadList";
        QTest::newRow("single tag") << QByteArray("<Data>") << "Empty loadList";
        QTest::newRow("root") << QByteArray("<Data>\n</Data>\n") << QString();
    }
    void documentRangeNeedsTwoTokens() {
        QFETCH(QByteArray, text);
        QFETCH(QString, error);
        XmlDoc doc;
        doc.parse(text);
        QCOMPARE(errorOf([&] { doc.documentRange(); }), error);
    }

    void roundTripFindsEverything() {
        XmlDoc out;
        const XmlPos root = out.createRoot("Data");
        const XmlPos list = out.addElement(root, "ObjectList");
        for (int i = 0; i < 3; ++i) {
            const XmlPos obj = out.addElement(list, "Object");
            out.setAttribute(obj, "type", i == 1 ? "" : "BmpRectStream");
            out.addTextElement(obj, "name", "pic" + QByteArray::number(i) + ".jpg");
            out.addRealElement(obj, "scale", 0.5 + i);
            const XmlPos inner = out.addElement(obj, "Object"); // one level deeper: not a child
            out.addTextElement(inner, "name", "inner");
        }
        XmlDoc in;
        in.parse(out.serialize());
        const XmlRange doc = in.documentRange();
        QCOMPARE(in.text(doc.begin), "<Data>");
        QCOMPARE(in.text(doc.end), "</Data>");

        // "ObjectList" is also a start tag of "Object" by the substring rule; depth keeps
        // the list apart from its items.
        const auto lists = in.findChildren(doc, "Object");
        QCOMPARE(lists.size(), size_t(1));
        QCOMPARE(in.text(lists[0].begin), "<ObjectList>");
        const auto objects = in.findChildren(lists[0], "Object");
        QCOMPARE(objects.size(), size_t(3));
        for (int i = 0; i < 3; ++i) {
            QCOMPARE(in.getTextElement(objects[i], "name").value(),
                     "pic" + QByteArray::number(i) + ".jpg");
            QCOMPARE(in.getRealElement(objects[i], "scale").value(), 0.5 + i);
        }
        QCOMPARE(in.getAttribute(objects[0], "type").value(), QByteArray("BmpRectStream"));
        QVERIFY(!in.getAttribute(objects[1], "type")); // empty value reads as absent
        QVERIFY(!in.getAttribute(objects[0], "id"));
        QVERIFY(!in.getTextElement(objects[0], "missing"));
    }

    void realForms_data() {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<double>("value");
        QTest::newRow("decimal") << QByteArray("1.5") << 1.5;
        QTest::newRow("negative int") << QByteArray("-3") << -3.0;
        QTest::newRow("old exponent") << QByteArray("1e+006") << 1e6;
        QTest::newRow("leading blanks") << QByteArray("  2.25") << 2.25;
        QTest::newRow("trailing junk") << QByteArray("7.5abc") << 7.5;
        QTest::newRow("not a number") << QByteArray("abc") << 0.0;
        QTest::newRow("empty") << QByteArray() << 0.0;
        QTest::newRow("plus sign, trailing blank") << QByteArray("+4.75 ") << 4.75;
        QTest::newRow("lone exponent mark") << QByteArray("3e") << 0.0;
        QTest::newRow("exponent too large") << QByteArray("1e999") << 0.0;
        QTest::newRow("point alone") << QByteArray(".") << 0.0;
        QTest::newRow("no leading digit") << QByteArray("-.5") << -0.5;
    }
    void realForms() {
        QFETCH(QByteArray, text);
        QFETCH(double, value);
        XmlDoc doc;
        doc.parse("<Data>\n<x>" + text + "</x>\n</Data>\n");
        const auto got = doc.getRealElement(doc.documentRange(), "x");
        QVERIFY(got.has_value()); // found whether or not a number could be read
        QCOMPARE(*got, value);
        // Whatever road the reader takes, the answer is stream extraction's.
        std::istringstream in(text.toStdString());
        in.imbue(std::locale::classic());
        double streamed = 0;
        if (!(in >> streamed))
            streamed = 0;
        QCOMPARE(*got, streamed);
    }

    // Unbalanced and garbage texts parse and answer lookups within their ranges: the
    // "Object" children of the document, and the type and name of the first one.
    void hostileInputStaysBounded_data() {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<QString>("error");
        QTest::addColumn<int>("objects");
        QTest::addColumn<QByteArray>("type"); // "-": absent
        QTest::addColumn<QByteArray>("name");
        const QByteArray none = "-";
        QTest::newRow("sound") << QByteArray("<Data>\n<Object type=\"A\">\n<name>n</name>\n"
                                             "</Object>\n</Data>\n")
                               << QString() << 1 << QByteArray("A") << QByteArray("n");
        // Every start tag's closer stands before it: the ranges end before they begin and
        // hold nothing, or each lookup would run on to the end of the document.
        QTest::newRow("closers before their start tags")
            << "<Data><X>" + QByteArray("</Object><Object type=\"A\"><name>n</name>").repeated(3) +
                   "</Data>"
            << QString() << 3 << QByteArray("A") << none;
        QTest::newRow("closers only")
            << QByteArray("</Object></b></c></d>") << QString() << 0 << none << none;
        QTest::newRow("start tags only")
            << QByteArray("<Object><b><c><d>") << QString() << 0 << none << none;
        QTest::newRow("closers below the root")
            << QByteArray("<Data>\n</Object>\n</Object>\n</Object>\n<Object>") << QString() << 0
            << none << none;
        QTest::newRow("only '>'") << QByteArray(">>>>>>") << "Empty loadList" << 0 << none << none;
        QTest::newRow("one token of '<'")
            << QByteArray(1000, '<') << "Empty loadList" << 0 << none << none;
        QTest::newRow("quote never closed")
            << QByteArray("<a x=\"\n</a>") << "Empty loadList" << 0 << none << none;
        QTest::newRow("over the size limit")
            << QByteArray(XmlDoc::kMaxTextBytes + 1, '>') << "Empty loadList" << 0 << none << none;
    }
    void hostileInputStaysBounded() {
        QFETCH(QByteArray, text);
        QFETCH(QString, error);
        XmlDoc doc;
        QCOMPARE(doc.parse(text), text.size() <= XmlDoc::kMaxTextBytes);
        QCOMPARE(errorOf([&] { doc.documentRange(); }), error);
        if (!error.isEmpty())
            return;
        const auto objects = doc.findChildren(doc.documentRange(), "Object");
        QTEST(int(objects.size()), "objects");
        if (objects.empty())
            return;
        QTEST(doc.getAttribute(objects[0], "type").value_or("-"), "type");
        QTEST(doc.getTextElement(objects[0], "name").value_or("-"), "name");
        QVERIFY(doc.findChildren(objects[0], "name").size() <= 1);
    }
};

QTEST_APPLESS_MAIN(TestXmlDoc)
#include "test_xmldoc.moc"
