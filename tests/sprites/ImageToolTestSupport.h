#pragma once

#include "support/ProcessRun.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <vector>

namespace imagetool {

struct TRun {
    int ExitCode = -1;
    QByteArray Out;
    QByteArray Err;
};

inline TRun Exec(const QString& program, const QStringList& args)
{
    const TProcessRun run = RunProcess(program, args, 60000);
    return TRun{run.ExitCode, run.Out, run.Err};
}

inline QString GripTool()
{
    return QStringLiteral(GRIP_BIN_DIR "griptool");
}

inline TRun Convert(const QStringList& args)
{
    return Exec(QStringLiteral("convert"), args);
}

} // namespace imagetool
