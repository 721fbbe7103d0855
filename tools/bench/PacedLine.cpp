#include "PacedLine.h"

#include "Options.h"

#include <QElapsedTimer>

namespace Bench {

bool SideProgram::Start(const QString &Program, const QStringList &Arguments, QString *FirstLine)
{
    Process.setProgram(Program);
    Process.setArguments(Arguments);
    Process.setProcessChannelMode(QProcess::SeparateChannels);
    Process.setStandardErrorFile(QProcess::nullDevice());
    Process.start();
    if (!Process.waitForStarted(5000))
        return false;
    QElapsedTimer Waited;
    Waited.start();
    while (!Process.canReadLine() && Waited.elapsed() < 5000) {
        if (!Process.waitForReadyRead(int(5000 - Waited.elapsed())))
            break;
    }
    if (!Process.canReadLine())
        return false;
    *FirstLine = QString::fromLocal8Bit(Process.readLine()).trimmed();
    return !FirstLine->isEmpty();
}

void SideProgram::Stop()
{
    if (Process.state() == QProcess::NotRunning)
        return;
    Process.terminate();
    if (!Process.waitForFinished(3000)) {
        Process.kill();
        Process.waitForFinished(3000);
    }
}

bool PacedLine::Start(int Baud, const Options &Opt)
{
    QString DevicePath;
    if (!Device.Start(Opt.Devsim,
                      {QStringLiteral("--pty"), QStringLiteral("--baud"), QString::number(Baud),
                       QStringLiteral("--turnaround"), QString::number(Opt.TurnaroundMs)},
                      &DevicePath)) {
        Failure = QStringLiteral("the simulator did not start");
        return false;
    }
    if (!Opt.PacedRequests) {
        Port = DevicePath;
        return true;
    }
    if (!Relay.Start(Opt.Line, {DevicePath, QString::number(Baud)}, &Port)) {
        Failure = QStringLiteral("the paced line did not start");
        return false;
    }
    return true;
}

} // namespace Bench
