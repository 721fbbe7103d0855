#ifndef KORVEL_BENCH_SPAWN_H
#define KORVEL_BENCH_SPAWN_H

// A process started with posix_spawn, so that the clock read just before
// the spawn is as close to the process start as can be taken from outside.

#include <QByteArray>
#include <QStringList>

#include <sys/types.h>

namespace Bench {

struct Spawned
{
    pid_t Pid = -1;
    int Out = -1; // read end (non-blocking) of the child's stdout or stderr pipe
    qint64 StartNs = 0; // NowNs() just before the spawn
};

// Command[0] is the program's path. The pipe carries the child's stderr
// when ReadStderr is set (the other stream goes to /dev/null), else stdout.
bool Spawn(const QStringList &Command, bool ReadStderr, Spawned *Child);

// Appends what the child has written so far.
void ReadAvailable(int Fd, QByteArray &Into);

// Waits for the child (killed first when Kill is set) and closes the pipe.
void Reap(Spawned &Child, bool Kill);

} // namespace Bench

#endif
