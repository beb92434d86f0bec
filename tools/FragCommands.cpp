#include "FragCommand.h"

int runStreams(const QStringList& args, std::FILE* out, std::FILE* err);
int runXml(const QStringList& args, std::FILE* out, std::FILE* err);
int runLs(const QStringList& args, std::FILE* out, std::FILE* err);
int runCheck(const QStringList& args, std::FILE* out, std::FILE* err);
int runExtract(const QStringList& args, std::FILE* out, std::FILE* err);
int runPack(const QStringList& args, std::FILE* out, std::FILE* err);

const std::vector<FragCommand>& fragCommands() {
    static const std::vector<FragCommand> commands = {
        {"streams", "FILE", "size in bytes, a tab and the name of every stream of the root",
         runStreams},
        {"xml", "FILE", "the \"xml\" stream converted from code page 1251 to UTF-8", runXml},
        {"ls", "FILE [--lesson]",
         "the file read as the program reads a fragment (a lesson with --lesson): one\n"
         "      tab-separated line per \"Object\" record (index from 1, loaded/skipped/failed,\n"
         "      type, name, picName, image WxH, bFrame, bAvi, bGif, scale, vecBeg x, y, vecEnd\n"
         "      x, y; \"-\" where there is nothing), then every message the program would show,\n"
         "      as \"message:TEXT\"; exit 1 when the document could not be read",
         runLs},
        {"check", "FILE... [--content DIR]",
         "whether each file would work in class: every picture decodes and every media file\n"
         "      the program would open (srcName; aviName holding \"avi\"; swfNameMy when\n"
         "      picName holds \"swf\") is a file inside the content folder (default: the\n"
         "      file's folder); *.les files are read as lessons; a summary line per file;\n"
         "      exit 1 when anything would fail",
         runCheck},
        {"extract", "FILE DIR", "every stream (pictures and \"xml\") to a file of its name in DIR",
         runExtract},
        {"pack", "MANIFEST OUT",
         "writes a lesson file (which also serves as a fragment) the way the program saves\n"
         "      lessons. MANIFEST is UTF-8 text, one picture per line, fields separated by tabs;\n"
         "      empty lines and lines starting with # are ignored. The first field is the\n"
         "      picture file (relative to the manifest's folder), the others key=value:\n"
         "        name=TEXT        picture and stream name (default: the file name, last 31\n"
         "                         characters)\n"
         "        picName=TEXT     caption (default: the file name without its extension)\n"
         "        srcName= aviName= swfNameMy=   media file names (content folder)\n"
         "        bFrame=0|1 bAvi=0|1 bGif=0|1   defaults 1, 0, and 1 for an animated image\n"
         "        scale=S          image pixels to plate units (default 1)\n"
         "        at=X,Y           lower-left corner, upright (default: right of the previous\n"
         "                         picture, 30 plate units apart, the first at 0,0)\n"
         "        vector=X1,Y1,X2,Y2   the placement vector, for a turned picture\n"
         "      Texts must be representable in code page 1251.",
         runPack},
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
