#ifndef KORVEL_BENCH_PACEDLINE_H
#define KORVEL_BENCH_PACEDLINE_H

// The line every client is measured on: the device simulator as a process
// of its own on a pseudo-terminal, pacing its replies at 10 bits a byte,
// and korvel-bench-line in front of it, pacing the requests the same way
// (a pseudo-terminal alone would hand them over at once).

#include <QProcess>
#include <QString>
#include <QStringList>

namespace Bench {

struct Options;

// A helper program started with QProcess that prints a path on its first
// line (the simulator, the paced line); stopped when it goes.
class SideProgram
{
public:
    ~SideProgram() { Stop(); }

    bool Start(const QString &Program, const QStringList &Arguments, QString *FirstLine);
    void Stop();

private:
    QProcess Process;
};

class PacedLine
{
public:
    // The simulator at Baud with the options' turnaround, and, unless the
    // options ask for direct requests, the pacing relay in front of it.
    bool Start(int Baud, const Options &Opt);

    // The port a client opens; set once Start succeeded.
    const QString &PortPath() const { return Port; }
    const QString &Error() const { return Failure; }

private:
    // Declared in this order so that the relay stops before the simulator.
    SideProgram Device;
    SideProgram Relay;
    QString Port;
    QString Failure;
};

} // namespace Bench

#endif
