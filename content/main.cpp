#include "ContentBuilder.h"

#include <QCommandLineParser>
#include <QGuiApplication>
#include <QStandardPaths>

// make_content --out <folder> [--gst <gst-launch-1.0> | --no-clip] [--preview <folder>]
int main(int argc, char** argv) {
    // Drawing needs fonts, not a display.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Generates the demo content folder."));
    parser.addHelpOption();
    const QCommandLineOption out(QStringLiteral("out"), QStringLiteral("Content folder."),
                                 QStringLiteral("folder"));
    const QCommandLineOption gst(QStringLiteral("gst"),
                                 QStringLiteral("gst-launch-1.0 used for the video clip."),
                                 QStringLiteral("path"));
    const QCommandLineOption noClip(QStringLiteral("no-clip"),
                                    QStringLiteral("Leave the video clip out."));
    const QCommandLineOption preview(QStringLiteral("preview"),
                                     QStringLiteral("Also save every plate as PNG here."),
                                     QStringLiteral("folder"));
    parser.addOptions({out, gst, noClip, preview});
    parser.process(app);
    QTextStream log(stderr);
    if (!parser.isSet(out)) {
        log << "make_content: --out is required" << Qt::endl;
        return 2;
    }
    ContentBuilder::Options options;
    options.outDir = parser.value(out);
    options.previewDir = parser.value(preview);
    if (!parser.isSet(noClip))
        options.gstLaunch = parser.isSet(gst)
                                ? parser.value(gst)
                                : QStandardPaths::findExecutable(QStringLiteral("gst-launch-1.0"));
    return ContentBuilder(options).run(log) ? 0 : 1;
}
