#include "FragCommand.h"

int runStreams(const QStringList& args, std::FILE* out, std::FILE* err);
int runXml(const QStringList& args, std::FILE* out, std::FILE* err);

const std::vector<FragCommand>& fragCommands() {
    static const std::vector<FragCommand> commands = {
        {"streams", "FILE", "size in bytes, a tab and the name of every stream of the root",
         runStreams},
        {"xml", "FILE", "the \"xml\" stream converted from code page 1251 to UTF-8", runXml},
    };
    return commands;
}

void printLine(std::FILE* stream, const QString& text) {
    const QByteArray utf8 = text.toUtf8() + '\n';
    std::fwrite(utf8.constData(), 1, size_t(utf8.size()), stream);
}

int usageError(const char* commandName, std::FILE* err) {
    for (const FragCommand& command : fragCommands())
        if (qstrcmp(command.name, commandName) == 0)
            printLine(err, QStringLiteral("usage: trevalon-frag %1 %2")
                               .arg(QLatin1String(command.name), QLatin1String(command.arguments)));
    return kExitUsage;
}
