#pragma once

#include <QStringList>
#include <cstdio>
#include <vector>

// One sub-command of trevalon-frag. run() gets the arguments after the command's name and
// returns the process exit code: 0 done, 1 the file could not be read (the container's
// message went to err), 2 wrong usage.
struct FragCommand {
    const char* name;
    const char* arguments; // for the usage line, e.g. "FILE"
    const char* summary;   // one line for --help
    int (*run)(const QStringList& args, std::FILE* out, std::FILE* err);
};

enum FragExit { kExitOk = 0, kExitFailed = 1, kExitUsage = 2 };

// Every command, in the order --help lists them.
const std::vector<FragCommand>& fragCommands();

// Shared by the commands.
void printLine(std::FILE* stream, const QString& text);
// Prints the usage line of the named command; returns kExitUsage.
int usageError(const char* commandName, std::FILE* err);
