#pragma once

#include <QString>
#include <QStringList>

// What the program was asked to do on its command line:
//   TrevalonMedia [--screenshot FILE] [--topic NAME] [--help] [--version] [--] [lesson ...]
struct StartOptions {
    QString screenshotFile; // render the window to this PNG and exit
    QString topic;          // with --screenshot: follow the start page's link containing this
    bool help = false;
    bool version = false;
    QStringList positional; // everything else, in order
    QString error;          // non-empty: the command line cannot be used
};

// Arguments after the program name. "--" ends the options; a single "-" and anything not
// starting with "--" is positional. Options take their value as the next argument or after
// "=".
StartOptions parseStartOptions(const QStringList& arguments);

// The lesson file named by the positional arguments. An unquoted path with spaces arrives as
// several arguments, so two or more are joined with single spaces; a single one is the path
// itself; none gives an empty path.
QString lessonPathFromArguments(const QStringList& positional);

QString usageText();
