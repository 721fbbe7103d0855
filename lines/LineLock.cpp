#include "LineLock.h"

#include "Language.h"
#include "LineUrl.h"

#include <QDateTime>
#include <QFile>
#include <QElapsedTimer>
#include <QThread>

#ifdef Q_OS_WIN
#include <windows.h>
#endif
#ifdef Q_OS_UNIX
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <pwd.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>
#endif

namespace {

// How long a run waited before it gave up the queue.
QString GaveUp(int WaitMs)
{
    return WaitMs ? LineLock::tr("after %1 s").arg(Language::Decimal(WaitMs / 1000.0))
                  : LineLock::tr("at once");
}

#ifdef Q_OS_UNIX

QString LineName(const LineUrl &Url)
{
    if (Url.Type == LineUrl::Kind::Serial)
        return Url.Port;
    const QString Host = Url.Host.contains(QLatin1Char(':')) ? QStringLiteral("[%1]").arg(Url.Host) : Url.Host;
    return QStringLiteral("%1:%2").arg(Host).arg(Url.TcpPort);
}

// /run/lock is where Debian keeps lock files, emptied at each boot; /tmp
// where there is none.
QString LockFolder()
{
    const char *const Run = "/run/lock";
    return access(Run, W_OK | X_OK) == 0 ? QString::fromLatin1(Run) : QStringLiteral("/tmp");
}

QString UserName()
{
    const passwd *const Entry = getpwuid(geteuid());
    return Entry ? QString::fromLocal8Bit(Entry->pw_name) : QString::number(geteuid());
}

// The file for every user: opened where it is, made where it is not.
// Opening an existing file with O_CREAT is refused in a sticky folder when
// another user made it (fs.protected_regular), hence the two steps.
int OpenLockFile(const QByteArray &Path, QString *Why)
{
    for (int Attempt = 0; Attempt < 3; ++Attempt) {
        int Fd = open(Path.constData(), O_RDWR | O_CLOEXEC | O_NOFOLLOW);
        if (Fd < 0 && errno == EACCES)
            Fd = open(Path.constData(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW); // flock needs no write access
        if (Fd >= 0 || errno != ENOENT) {
            if (Fd < 0)
                *Why = QString::fromLocal8Bit(std::strerror(errno));
            return Fd;
        }
        Fd = open(Path.constData(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0666);
        if (Fd >= 0) {
            fchmod(Fd, 0666); // past the umask
            return Fd;
        }
        if (errno != EEXIST) {
            *Why = QString::fromLocal8Bit(std::strerror(errno));
            return -1;
        }
    }
    //: Said of the lock file the runs queue on.
    *Why = LineLock::tr("it keeps appearing and going");
    return -1;
}

QString HolderOf(int Fd)
{
    char Text[512];
    const ssize_t Got = pread(Fd, Text, sizeof Text - 1, 0);
    const QString Holder = Got > 0 ? QString::fromUtf8(Text, int(Got)).trimmed() : QString();
    return Holder.isEmpty() ? LineLock::tr("another program") : Holder;
}

void NoteHolder(int Fd, const QString &Command)
{
    const QByteArray Text = QStringLiteral("%1 (pid %2, user %3) since %4\n")
                                .arg(Command)
                                .arg(getpid())
                                .arg(UserName(), QDateTime::currentDateTimeUtc().toString(QStringLiteral("HH:mm:ss 'UTC'")))
                                .toUtf8();
    if (ftruncate(Fd, 0) == 0 && pwrite(Fd, Text.constData(), size_t(Text.size()), 0) < 0) {
        // A file opened read-only: the waiter reads "another program".
    }
}

#endif

} // namespace

LineLock::~LineLock()
{
    Release();
}

#ifdef Q_OS_UNIX

QString LineLock::PathFor(const LineUrl &Url)
{
    QString Key;
    if (Url.Type == LineUrl::Kind::Serial) {
        // The device itself, whatever name or link reached it.
        const QString Location = Url.Port.startsWith(QLatin1Char('/')) ? Url.Port : QStringLiteral("/dev/") + Url.Port;
        struct stat Info {};
        if (stat(QFile::encodeName(Location).constData(), &Info) != 0 || !S_ISCHR(Info.st_mode))
            return QString();
        Key = QStringLiteral("dev-%1-%2").arg(major(Info.st_rdev)).arg(minor(Info.st_rdev));
    } else {
        QString Host = Url.Host.toLower();
        for (QChar &C : Host) {
            if (!C.isLetterOrNumber() && C != QLatin1Char('.') && C != QLatin1Char('-'))
                C = QLatin1Char('_');
        }
        Key = QStringLiteral("net-%1-%2").arg(Host).arg(Url.TcpPort);
    }
    return QStringLiteral("%1/korvel-line-%2.lock").arg(LockFolder(), Key);
}

bool LineLock::Take(const LineUrl &Url, const QString &Command, int WaitMs, QString *Error)
{
    Release();
    const QString Path = PathFor(Url);
    if (Path.isEmpty())
        return true;
    const QByteArray File = QFile::encodeName(Path);
    QElapsedTimer Waited;
    Waited.start();
    // Polled rather than blocked on, so that the wait has an end; in short
    // steps, since the line changes hands as often as a command ends, and a
    // fleet's runs queue behind one another on it.
    constexpr unsigned long StepMs = 5;
    for (;;) {
        QString Why;
        const int Fd = OpenLockFile(File, &Why);
        if (Fd < 0) {
            qWarning("%s", qUtf8Printable(LineLock::tr("warning: %1: cannot queue for the "
                                                                             "line (%2: %3); going on without")
                                              .arg(LineName(Url), Path, Why)));
            return true;
        }
        while (flock(Fd, LOCK_EX | LOCK_NB) != 0) {
            if (errno != EWOULDBLOCK && errno != EINTR) {
                qWarning("%s", qUtf8Printable(LineLock::tr("warning: %1: cannot queue for the "
                                                                                 "line (%2: %3); going on without")
                                                  .arg(LineName(Url), Path, QString::fromLocal8Bit(std::strerror(errno)))));
                close(Fd);
                return true;
            }
            const qint64 Left = WaitMs - Waited.elapsed();
            if (Left <= 0) {
                *Error = LineLock::tr("%1: the line is busy: %2 holds it; gave up %3 (--line-wait)")
                             .arg(LineName(Url), HolderOf(Fd), GaveUp(WaitMs));
                close(Fd);
                return false;
            }
            QThread::msleep(qMin<unsigned long>(StepMs, static_cast<unsigned long>(Left)));
        }
        // The holder before removed the file as it let go: a lock on what
        // is no longer at the path holds nothing, so queue on the new one.
        struct stat Held {};
        struct stat Named {};
        if (fstat(Fd, &Held) == 0 && stat(File.constData(), &Named) == 0 && Held.st_dev == Named.st_dev
            && Held.st_ino == Named.st_ino) {
            NoteHolder(Fd, Command);
            Descriptor = Fd;
            LockPath = File;
            return true;
        }
        close(Fd);
    }
}

void LineLock::Release()
{
    if (Descriptor < 0)
        return;
    // Removed while still locked, so that nothing is left once the line is
    // free; whoever waits on the removed file finds that out (Take). A file
    // made by another user stays in a sticky folder, emptied.
    if (unlink(LockPath.constData()) != 0 && ftruncate(Descriptor, 0) != 0) {
        // Read-only and not ours: the next holder overwrites the note.
    }
    close(Descriptor); // and with it the lock
    Descriptor = -1;
}

#elif defined(Q_OS_WIN)

// A COM port is the system's to make exclusive: a second open fails at
// once, named by the port's own message. A server is one connection at a
// time too, but a second one would drop the first: the runs queue on a
// named mutex of the session, which the system hands to the next waiter
// when a holder ends, however it ends.
QString LineLock::PathFor(const LineUrl &Url)
{
    if (Url.Type == LineUrl::Kind::Serial)
        return QString();
    QString Host = Url.Host.toLower();
    for (QChar &C : Host) {
        if (!C.isLetterOrNumber() && C != QLatin1Char('.') && C != QLatin1Char('-'))
            C = QLatin1Char('_');
    }
    return QStringLiteral("Local\\korvel-line-net-%1-%2").arg(Host).arg(Url.TcpPort);
}

bool LineLock::Take(const LineUrl &Url, const QString &, int WaitMs, QString *Error)
{
    Release();
    const QString Name = PathFor(Url);
    if (Name.isEmpty())
        return true;
    HANDLE Mutex = CreateMutexW(nullptr, FALSE, reinterpret_cast<const wchar_t *>(Name.utf16()));
    if (!Mutex) {
        qWarning("%s", qUtf8Printable(LineLock::tr("warning: cannot queue for the line (%1); "
                                                                         "going on without")
                                          .arg(Name)));
        return true;
    }
    // An abandoned mutex is one whose holder ended without letting go:
    // the line is free.
    const DWORD Got = WaitForSingleObject(Mutex, DWORD(qMax(0, WaitMs)));
    if (Got == WAIT_OBJECT_0 || Got == WAIT_ABANDONED) {
        Handle = Mutex;
        return true;
    }
    CloseHandle(Mutex);
    const QString Host = Url.Host.contains(QLatin1Char(':')) ? QStringLiteral("[%1]").arg(Url.Host) : Url.Host;
    *Error = LineLock::tr("%1:%2: the line is busy: another korvelctl holds it; gave up %3 "
                                                "(--line-wait)")
                 .arg(Host)
                 .arg(Url.TcpPort)
                 .arg(GaveUp(WaitMs));
    return false;
}

void LineLock::Release()
{
    if (!Handle)
        return;
    ReleaseMutex(Handle);
    CloseHandle(Handle);
    Handle = nullptr;
}

#else

QString LineLock::PathFor(const LineUrl &)
{
    return QString();
}

bool LineLock::Take(const LineUrl &, const QString &, int, QString *)
{
    return true;
}

void LineLock::Release() {}

#endif
