#pragma once

#include <QByteArray>
#include <QProcess>
#include <QStringList>

// One run of korvane10-tool: its exit code and what it printed.
struct ToolRun {
    int exitCode;
    QByteArray out;
    QByteArray err;
};

inline ToolRun runTool(const QStringList& args) {
    QProcess process;
    process.start(K10_TOOL, args);
    process.waitForFinished(60000);
    return {process.exitCode(), process.readAllStandardOutput(), process.readAllStandardError()};
}
