#ifndef KORVEL_LINELOCK_H
#define KORVEL_LINELOCK_H

// One korvelctl at a time on a line. Two runs on one RS-485 line would
// interleave their frames (a serial port refuses the second outright; a
// serial server drops the first connection for the second), so each run
// queues for the line before it opens it and holds it until it ends.
//
// On POSIX the queue is flock() on a file in /run/lock (or /tmp) named
// after the line: a serial port by its device number, whatever name or
// link reached it; a serial server by host and TCP port. The kernel drops
// the lock with the last descriptor, so a run that crashes or is killed
// holds nothing afterwards. The file is made readable and writable by
// every user, so that every user queues on the same lock; the holder
// writes its process id, user and command into it for whoever waits, and
// removes it as it lets go.
//
// On Windows a COM port is opened exclusively by the system: a second run
// is refused by the port itself. The runs on one server queue on a named
// mutex of the session, which the system hands on when a holder ends,
// however it ends; the holder is not named.

#include <QByteArray>
#include <QCoreApplication>
#include <QString>

struct LineUrl;

class LineLock
{
    Q_DECLARE_TR_FUNCTIONS(LineLock)

public:
    LineLock() = default;
    ~LineLock();
    LineLock(const LineLock &) = delete;
    LineLock &operator=(const LineLock &) = delete;

    // The lock file's path for a line, or empty when the line cannot be
    // named (a serial port that does not exist: its open says so).
    static QString PathFor(const LineUrl &Url);

    // Waits up to WaitMs (0: not at all) for the line and takes it, noting
    // Command as the holder's. False with *Error naming the holder when it
    // is still taken; a lock file that cannot be opened is no reason to
    // refuse the line, only a warning.
    bool Take(const LineUrl &Url, const QString &Command, int WaitMs, QString *Error);
    void Release();
    bool Held() const { return Descriptor >= 0 || Handle; }

private:
    int Descriptor = -1;
    QByteArray LockPath; // while held
    void *Handle = nullptr; // Windows: the mutex held
};

#endif
