#pragma once

#include "support/ProcessRun.h"

#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <string>
#include <vector>

namespace griptool {

struct TRun {
    int ExitCode = -1;
    std::string Out;
    std::string Err;
};

inline TRun Exec(const QString& program, const QStringList& args, int timeoutMs = 120000)
{
    const TProcessRun run = RunProcess(program, args, timeoutMs);
    return TRun{run.ExitCode, run.Out.toStdString(), run.Err.toStdString()};
}

inline TRun Tool(const QStringList& args, int timeoutMs = 120000)
{
    return Exec(QStringLiteral(GRIP_BIN_DIR "griptool"), args, timeoutMs);
}

inline std::vector<std::string> Lines(const std::string& text)
{
    std::vector<std::string> lines;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos)
            end = text.size();
        lines.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    return lines;
}

} // namespace griptool
