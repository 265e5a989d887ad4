#pragma once

#include <QByteArray>
#include <QProcess>
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
    QProcess p;
    p.start(program, args);
    TRun r;
    if (!p.waitForStarted(10000)) {
        r.Err = "cannot start " + program.toUtf8();
        return r;
    }
    p.waitForFinished(60000);
    r.ExitCode = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    r.Out = p.readAllStandardOutput();
    r.Err = p.readAllStandardError();
    return r;
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
