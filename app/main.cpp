#include "CKovrelApp.h"
#include "CMainFrame.h"
#include "CommandLine.h"
#include "HelpWindow.h"
#include "PictureImage.h"
#include "PlatformChoice.h"
#include "QtWindowServices.h"
#include "ScreenshotJob.h"
#include "SourceFolder.h"

#include <QApplication>
#include <cstdio>
#include <unistd.h>

namespace {

QStringList rawArguments(int argc, char** argv) {
    QStringList out;
    for (int i = 1; i < argc; ++i)
        out << QString::fromLocal8Bit(argv[i]);
    return out;
}

bool envSet(const char* name) {
    return !qgetenv(name).isEmpty();
}

// A platform was chosen explicitly, or a display is there to connect to.
bool displayAvailable(const QStringList& raw) {
    return envSet("DISPLAY") || envSet("WAYLAND_DISPLAY") || envSet("QT_QPA_PLATFORM") ||
           raw.contains(QStringLiteral("-platform"));
}

void addChromiumFlag(const QByteArray& flag) {
    QByteArray flags = qgetenv("QTWEBENGINE_CHROMIUM_FLAGS");
    if (flags.contains(flag))
        return;
    if (!flags.isEmpty())
        flags += ' ';
    qputenv("QTWEBENGINE_CHROMIUM_FLAGS", flags + flag);
}

} // namespace

int main(int argc, char** argv) {
    const StartOptions early = parseStartOptions(rawArguments(argc, argv));
    if (early.help) {
        std::fputs(qPrintable(usageText()), stdout);
        return 0;
    }
    if (early.version) {
        std::puts("TrevalonMedia 1.0.1.7");
        return 0;
    }
    if (!early.error.isEmpty()) {
        std::fprintf(stderr, "TrevalonMedia: %s\n\n%s", qPrintable(early.error),
                     qPrintable(usageText()));
        return 2;
    }
    const bool screenshot = !early.screenshotFile.isEmpty();
    choosePlatform(rawArguments(argc, argv));
    if (!displayAvailable(rawArguments(argc, argv))) {
        if (!screenshot) {
            std::fputs("TrevalonMedia: no display (neither DISPLAY nor WAYLAND_DISPLAY is set).\n"
                       "Start it in a desktop session or under xvfb-run, or use\n"
                       "  TrevalonMedia --screenshot FILE [--topic NAME]\n"
                       "to render the window to a PNG without a display.\n",
                       stderr);
            return 1;
        }
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    if (qgetenv("QT_QPA_PLATFORM") == "offscreen")
        addChromiumFlag("--disable-gpu");
    // The browser engine refuses to run its sandbox as root; only then is it switched off.
    if (geteuid() == 0)
        qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");

    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("TrevalonMedia"));
    QApplication::setApplicationVersion(QStringLiteral("1.0.1.7"));
    // Lets the desktop match the windows to the installed menu entry and its icon.
    QGuiApplication::setDesktopFileName(QStringLiteral("trevalonmedia"));

    installRussianTranslation(app);
    // The windows' thread never decodes a picture; a screenshot draws every picture whole.
    if (!screenshot)
        PictureImage::setDrawingWithoutDecoding(true);
    QtWindowServices services;
    services.setHelpViewer(&HelpWindow::showPage);

    // Qt removed its own options (-platform …); what is left names the lesson.
    const StartOptions options = parseStartOptions(app.arguments().mid(1));
    CKovrelApp kovrel(sourceFolder());
    if (!kovrel.initInstance(options.positional))
        return 1;
    CMainFrame* frame = kovrel.mainFrame();
    // Floating panels are windows of their own; the process ends with the main window.
    QObject::connect(frame, &CMainFrame::closed, &app, &QCoreApplication::quit,
                     Qt::QueuedConnection);

    ScreenshotJob job(frame, options.screenshotFile, options.topic);
    if (screenshot) {
        QObject::connect(&job, &ScreenshotJob::finished, &app, &QCoreApplication::exit,
                         Qt::QueuedConnection);
        job.start();
    }
    const int rc = app.exec();
    kovrel.exitInstance();
    return rc;
}
