#include "CommandLine.h"

StartOptions parseStartOptions(const QStringList& arguments) {
    StartOptions o;
    bool optionsEnded = false;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString& arg = arguments[i];
        if (optionsEnded || !arg.startsWith(QLatin1String("--"))) {
            o.positional << arg;
            continue;
        }
        if (arg == QLatin1String("--")) {
            optionsEnded = true;
            continue;
        }
        QString name = arg;
        QString value;
        bool hasValue = false;
        const qsizetype eq = arg.indexOf(QLatin1Char('='));
        if (eq > 0) {
            name = arg.left(eq);
            value = arg.mid(eq + 1);
            hasValue = true;
        }
        if (name == QLatin1String("--help") || name == QLatin1String("--version")) {
            if (hasValue) {
                o.error = QStringLiteral("option %1 takes no value").arg(name);
                return o;
            }
            (name == QLatin1String("--help") ? o.help : o.version) = true;
            continue;
        }
        if (name == QLatin1String("--screenshot") || name == QLatin1String("--topic")) {
            if (!hasValue) {
                if (i + 1 >= arguments.size()) {
                    o.error = QStringLiteral("option %1 needs a value").arg(name);
                    return o;
                }
                value = arguments[++i];
            }
            if (value.isEmpty()) {
                o.error = QStringLiteral("option %1 needs a non-empty value").arg(name);
                return o;
            }
            (name == QLatin1String("--screenshot") ? o.screenshotFile : o.topic) = value;
            continue;
        }
        o.error = QStringLiteral("unknown option %1").arg(name);
        return o;
    }
    if (!o.topic.isEmpty() && o.screenshotFile.isEmpty())
        o.error = QStringLiteral("--topic is only used together with --screenshot");
    return o;
}

QString lessonPathFromArguments(const QStringList& positional) {
    return positional.join(QLatin1Char(' '));
}

QString usageText() {
    return QStringLiteral(
        "Usage: TrevalonMedia [--screenshot FILE] [--topic NAME] [--help] [--version] [lesson]\n"
        "\n"
        "  lesson             a lesson file (*.les) to open at start; a path with spaces may\n"
        "                     be given unquoted\n"
        "  --screenshot FILE  render the main window to a PNG once the start page has loaded,\n"
        "                     then exit; works without a display\n"
        "  --topic NAME       with --screenshot: first follow the start page's link whose\n"
        "                     address contains NAME; NAME/TEXT then follows the topic\n"
        "                     page's link whose address contains TEXT\n"
        "  --help             show this text\n"
        "  --version          show the program's version\n");
}
