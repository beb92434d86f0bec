// trevalon-frag: looks into fragment (*.frag) and lesson (*.les) files.

#include "FragCommand.h"

#include <QCoreApplication>

namespace {

void printHelp(std::FILE* out) {
    printLine(out, QStringLiteral("usage: trevalon-frag COMMAND ARGUMENTS\n\n"
                                  "Looks into fragment (*.frag) and lesson (*.les) files of "
                                  "TrevalonMedia.\nThe file is held locked while it is read, "
                                  "as the program itself does.\n\nCommands:"));
    for (const FragCommand& command : fragCommands())
        printLine(out, QStringLiteral("  %1 %2\n      %3")
                           .arg(QLatin1String(command.name), QLatin1String(command.arguments),
                                QString::fromUtf8(command.summary)));
    printLine(out, QStringLiteral("\nExit status: 0 done, 1 the file could not be read (the "
                                  "reason is on standard error), 2 wrong usage."));
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QStringList args = QCoreApplication::arguments().mid(1);
    if (args.isEmpty()) {
        printHelp(stderr);
        return kExitUsage;
    }
    const QString name = args.takeFirst();
    if (name == u"--help" || name == u"-h" || name == u"help") {
        printHelp(stdout);
        return kExitOk;
    }
    for (const FragCommand& command : fragCommands())
        if (name == QLatin1String(command.name))
            return command.run(args, stdout, stderr);
    printLine(stderr, QStringLiteral("trevalon-frag: unknown command \"%1\"; see "
                                     "trevalon-frag --help")
                          .arg(name));
    return kExitUsage;
}
