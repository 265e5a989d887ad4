#pragma once

#include <QByteArray>
#include <QProcess>
#include <QString>
#include <QStringList>

// One run of another program, as the tests that drive griptool, the generators and ImageMagick
// see it.
struct TProcessRun {
    // The program's exit status; -1 when it could not start, crashed or ran out of time.
    int ExitCode = -1;
    bool TimedOut = false;
    QByteArray Out;
    QByteArray Err;
};

// Runs program to its end, or kills it once timeoutMs have passed.
inline TProcessRun RunProcess(const QString& program, const QStringList& args, int timeoutMs)
{
    QProcess p;
    p.start(program, args);
    TProcessRun r;
    if (!p.waitForStarted(10000)) {
        r.Err = "cannot start " + program.toUtf8();
        return r;
    }
    if (!p.waitForFinished(timeoutMs)) {
        r.TimedOut = true;
        p.kill();
        p.waitForFinished(5000);
    }
    if (!r.TimedOut && p.exitStatus() == QProcess::NormalExit)
        r.ExitCode = p.exitCode();
    r.Out = p.readAllStandardOutput();
    r.Err = p.readAllStandardError();
    if (r.TimedOut)
        r.Err += "\n" + program.toUtf8() + " was killed after " + QByteArray::number(timeoutMs) + " ms";
    return r;
}
