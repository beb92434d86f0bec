#include "ShellPolicy.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using ShellPolicy::Verdict;

Q_DECLARE_METATYPE(ShellPolicy::Verdict)

class TestShellPolicy : public QObject {
    Q_OBJECT

    QTemporaryDir m_base;
    QString m_root;

    void write(const QString& rel, const QByteArray& bytes = "data",
               QFile::Permissions perms = QFile::ReadOwner | QFile::WriteOwner) {
        const QString path = m_base.filePath(rel);
        QDir().mkpath(QFileInfo(path).absolutePath());
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(bytes);
        f.close();
        QVERIFY(f.setPermissions(perms));
    }
    void link(const QString& target, const QString& rel) {
        QVERIFY(QFile::link(target, m_base.filePath(rel)));
    }

private slots:
    void initTestCase() {
        QVERIFY(m_base.isValid());
        m_root = m_base.filePath("source");
        const QByteArray kAvi("RIFF\0\0\0\0AVI LIST", 16);
        write("source/doc.avi", kAvi);
        write("source/sub/anim.gif", "GIF89a");
        write("source/Movie.SWF", "FWS");
        // On FAT or NTFS media every file carries every execute bit.
        const QFile::Permissions fat = QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner |
                                       QFile::ExeUser | QFile::ExeGroup | QFile::ExeOther;
        write("source/run.avi", kAvi, fat);
        write("source/lesson.rtf", "{\\rtf1\\ansi hello}", fat);
        write("source/clip.avi",
              QByteArray("\x7f"
                         "ELF\x02\x01\x01",
                         7) +
                  QByteArray(60, 0),
              fat);
        write("source/movie.swf", "#!/usr/bin/perl\nprint 1;\n");
        write("source/script.sh", "echo hi\n");
        write("source/start.desktop", "[Desktop Entry]\nExec=xterm\n");
        write("source/SETUP.EXE", "MZ");
        write("source/anim", "#!/bin/sh\nrm -rf ~\n");
        write("source/anim.gif.sh", "echo\n");
        write("source/start.jnlp", "<?xml version=\"1.0\"?>\n<jnlp codebase=\".\"></jnlp>\n");
        write("source/notes.txt", "just text\n");
        write("source/page.htm", "<html><body>Page</body></html>\n");
        write("source/bare.html", "Page without any markup\n");
        write("source/rules.pdf", "%PDF-1.4\n%\xe2\xe3\xcf\xd3\n");
        write("source/sign.jpg", QByteArray("\xff\xd8\xff\xe0\0\x10JFIF\0", 11));
        write("source/sign.png", QByteArray("\x89PNG\r\n\x1a\n\0\0\0\rIHDR", 16));
        write("source/picture.avi", QByteArray("\x89PNG\r\n\x1a\n\0\0\0\rIHDR", 16));
        write("source/drawing.svg", "<svg xmlns=\"http://www.w3.org/2000/svg\"></svg>\n");
        write("source/empty.avi", "");
        write("outside.txt", "secret");
        write("source2/file.txt", "sibling");
        link("../outside.txt", "source/link_out");
        link("doc.avi", "source/link_in");
        link(m_base.path(), "source/dirlink");
        link("gone.avi", "source/dangling");
        link("SETUP.EXE", "source/innocent.avi");
    }

    void check_data() {
        QTest::addColumn<QString>("path");
        QTest::addColumn<bool>("absolute"); // else relative to the root
        QTest::addColumn<Verdict>("verdict");
        QTest::addColumn<QString>("target"); // expected resolved file, below the base

        QTest::newRow("document") << "source/doc.avi" << true << Verdict::Allowed
                                  << "source/doc.avi";
        QTest::newRow("relative to the root")
            << "sub/anim.gif" << false << Verdict::Allowed << "source/sub/anim.gif";
        QTest::newRow("windows separators")
            << "sub\\anim.gif" << false << Verdict::Allowed << "source/sub/anim.gif";
        QTest::newRow("upper-case document extension")
            << "Movie.SWF" << false << Verdict::Allowed << "source/Movie.SWF";
        QTest::newRow("link inside to inside")
            << "link_in" << false << Verdict::Allowed << "source/doc.avi";

        QTest::newRow("empty") << "" << false << Verdict::EmptyPath << "";
        QTest::newRow("parent reference that stays inside")
            << "source/sub/../doc.avi" << true << Verdict::ParentReference << "";
        QTest::newRow("parent reference leaving")
            << "../outside.txt" << false << Verdict::ParentReference << "";
        QTest::newRow("parent reference with backslashes")
            << "..\\outside.txt" << false << Verdict::ParentReference << "";
        QTest::newRow("absolute path outside")
            << "outside.txt" << true << Verdict::OutsideRoot << "";
        QTest::newRow("sibling folder sharing the prefix")
            << "source2/file.txt" << true << Verdict::OutsideRoot << "";
        QTest::newRow("link to a file outside")
            << "link_out" << false << Verdict::OutsideRoot << "";
        QTest::newRow("through a link to a folder outside")
            << "dirlink/outside.txt" << false << Verdict::OutsideRoot << "";

        QTest::newRow("missing") << "nothing.avi" << false << Verdict::Missing << "";
        QTest::newRow("dangling link") << "dangling" << false << Verdict::Missing << "";
        QTest::newRow("folder") << "sub" << false << Verdict::NotAFile << "";
        QTest::newRow("the root itself") << "source" << true << Verdict::NotAFile << "";

        QTest::newRow("document with execute bits (FAT)")
            << "run.avi" << false << Verdict::Allowed << "source/run.avi";
        QTest::newRow("text document with execute bits (FAT)")
            << "lesson.rtf" << false << Verdict::Allowed << "source/lesson.rtf";
        QTest::newRow("program named like a clip")
            << "clip.avi" << false << Verdict::NotADocument << "";
        QTest::newRow("script named like a movie")
            << "movie.swf" << false << Verdict::NotADocument << "";
        QTest::newRow("shell script") << "script.sh" << false << Verdict::NotADocument << "";
        QTest::newRow("desktop entry") << "start.desktop" << false << Verdict::NotADocument << "";
        QTest::newRow("windows program, upper case")
            << "SETUP.EXE" << false << Verdict::NotADocument << "";
        QTest::newRow("script with a harmless first extension")
            << "anim.gif.sh" << false << Verdict::NotADocument << "";
        QTest::newRow("script without extension") << "anim" << false << Verdict::NotADocument << "";
        QTest::newRow("web start file") << "start.jnlp" << false << Verdict::NotADocument << "";
        QTest::newRow("plain text") << "notes.txt" << false << Verdict::NotADocument << "";
        QTest::newRow("page") << "page.htm" << false << Verdict::Allowed << "source/page.htm";
        QTest::newRow("page without markup")
            << "bare.html" << false << Verdict::Allowed << "source/bare.html";
        QTest::newRow("PDF") << "rules.pdf" << false << Verdict::Allowed << "source/rules.pdf";
        QTest::newRow("JPEG") << "sign.jpg" << false << Verdict::Allowed << "source/sign.jpg";
        QTest::newRow("PNG") << "sign.png" << false << Verdict::Allowed << "source/sign.png";
        QTest::newRow("picture named like a clip")
            << "picture.avi" << false << Verdict::NotADocument << "";
        QTest::newRow("vector picture") << "drawing.svg" << false << Verdict::NotADocument << "";
        QTest::newRow("empty clip") << "empty.avi" << false << Verdict::NotADocument << "";
        QTest::newRow("document name linking to a program")
            << "innocent.avi" << false << Verdict::NotADocument << "";
    }

    void check() {
        QFETCH(QString, path);
        QFETCH(bool, absolute);
        QFETCH(Verdict, verdict);
        QFETCH(QString, target);

        const QString given = absolute ? m_base.path() + "/" + path : path;
        const ShellPolicy::Check c = ShellPolicy::check(m_root, given);
        QCOMPARE(c.verdict, verdict);
        QCOMPARE(c.allowed(), verdict == Verdict::Allowed);
        if (c.allowed())
            QCOMPARE(c.resolvedPath, QFileInfo(m_base.filePath(target)).canonicalFilePath());
        else
            QVERIFY(c.resolvedPath.isEmpty());
    }

    void rootForms_data() {
        QTest::addColumn<QString>("root");
        QTest::addColumn<Verdict>("verdict");
        QTest::newRow("trailing slash") << "source/" << Verdict::Allowed;
        QTest::newRow("trailing backslash") << "source\\" << Verdict::Allowed;
        QTest::newRow("missing root") << "no-such-folder" << Verdict::NoRoot;
        QTest::newRow("root is a file") << "outside.txt" << Verdict::NoRoot;
    }

    void rootForms() {
        QFETCH(QString, root);
        QFETCH(Verdict, verdict);
        const ShellPolicy::Check c =
            ShellPolicy::check(m_base.path() + "/" + root, m_root + "/doc.avi");
        QCOMPARE(c.verdict, verdict);
    }

    void rootReachedThroughALink() {
        // The content folder may itself be a link (a course on another disk).
        const QString alias = m_base.filePath("alias");
        QVERIFY(QFile::link(m_root, alias));
        QCOMPARE(ShellPolicy::check(alias, alias + "/doc.avi").verdict, Verdict::Allowed);
        QCOMPARE(ShellPolicy::check(alias, m_root + "/doc.avi").verdict, Verdict::Allowed);
        QCOMPARE(ShellPolicy::check(alias, "link_out").verdict, Verdict::OutsideRoot);
    }
};

QTEST_GUILESS_MAIN(TestShellPolicy)
#include "test_shellpolicy.moc"
