#include "CtlIo.h"

#include "InputText.h"

#include <QCoreApplication>
#include <QFile>

#ifdef Q_OS_WIN
#include <QSaveFile>
#else
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace CtlIo {

namespace {

constexpr ushort EscapeBase = 0xDC00; // U+DC80 to U+DCFF carry the bytes 0x80 to 0xFF

bool IsEscape(const QString &Name, int I)
{
    const ushort Unit = Name.at(I).unicode();
    if (Unit < EscapeBase + 0x80 || Unit > EscapeBase + 0xFF)
        return false;
    // The low half of a real pair is a character, not an escaped byte.
    return I == 0 || !Name.at(I - 1).isHighSurrogate();
}

#ifndef Q_OS_WIN
QString SystemReason(int Error)
{
    return QString::fromLocal8Bit(std::strerror(Error));
}

// Writes all of Bytes, through interruptions and short writes.
bool WriteAll(int Fd, const QByteArray &Bytes, int *Error)
{
    const char *At = Bytes.constData();
    qint64 Left = Bytes.size();
    while (Left > 0) {
        const ssize_t Done = ::write(Fd, At, size_t(Left));
        if (Done < 0 && errno == EINTR)
            continue;
        if (Done <= 0) {
            *Error = Done < 0 ? errno : ENOSPC;
            return false;
        }
        At += Done;
        Left -= Done;
    }
    return true;
}
#endif

} // namespace

QString FromArgument(const QByteArray &Bytes)
{
#ifdef Q_OS_WIN
    return QString::fromLocal8Bit(Bytes);
#else
    QString Text;
    for (int I = 0; I < Bytes.size();) {
        uint CodePoint = 0;
        const int Length = InputText::Utf8Sequence(Bytes, I, &CodePoint);
        if (!Length) {
            Text += QChar(ushort(EscapeBase + uchar(Bytes.at(I))));
            ++I;
            continue;
        }
        if (QChar::requiresSurrogates(CodePoint)) {
            Text += QChar(QChar::highSurrogate(CodePoint));
            Text += QChar(QChar::lowSurrogate(CodePoint));
        } else {
            Text += QChar(ushort(CodePoint));
        }
        I += Length;
    }
    return Text;
#endif
}

QByteArray NativeName(const QString &Name)
{
#ifdef Q_OS_WIN
    return QFile::encodeName(Name);
#else
    QByteArray Bytes;
    int From = 0;
    for (int I = 0; I <= Name.size(); ++I) {
        if (I < Name.size() && !IsEscape(Name, I))
            continue;
        Bytes += Name.mid(From, I - From).toUtf8();
        if (I < Name.size())
            Bytes += char(Name.at(I).unicode() - EscapeBase);
        From = I + 1;
    }
    return Bytes;
#endif
}

QString Shown(const QString &Name)
{
    QString Text;
    for (int I = 0; I < Name.size(); ++I) {
        if (IsEscape(Name, I))
            Text += QStringLiteral("\\x")
                + QString::number(Name.at(I).unicode() - EscapeBase, 16).toUpper().rightJustified(2, QLatin1Char('0'));
        else
            Text += Name.at(I);
    }
    return Text;
}

bool IsStandardStream(const QString &Name)
{
    return Name == QLatin1String("-");
}

bool ReadFile(const QString &Name, qint64 Limit, QByteArray *Bytes, QString *Error)
{
    Bytes->clear();
    const auto Refuse = [&](const QString &Reason) {
        *Error = QCoreApplication::translate("CtlIo", "cannot read %1: %2").arg(Shown(Name), Reason);
        return false;
    };
#ifdef Q_OS_WIN
    QFile File;
    const bool Opened = IsStandardStream(Name) ? File.open(stdin, QIODevice::ReadOnly)
                                               : (File.setFileName(Name), File.open(QIODevice::ReadOnly));
    if (!Opened)
        return Refuse(File.errorString());
    // One byte more than allowed tells a file that is too long, whatever
    // its kind: a pipe or a device has no size to ask for.
    *Bytes = File.read(Limit + 1);
    if (File.error() != QFileDevice::NoError)
        return Refuse(File.errorString());
#else
    const bool Standard = IsStandardStream(Name);
    const int Fd = Standard ? 0 : ::open(NativeName(Name).constData(), O_RDONLY | O_CLOEXEC);
    if (Fd < 0)
        return Refuse(SystemReason(errno));
    QByteArray Buffer(int(qMin<qint64>(Limit + 1, 64 * 1024)), '\0');
    int Failed = 0;
    while (Bytes->size() <= Limit) {
        const ssize_t Got = ::read(Fd, Buffer.data(), size_t(qMin<qint64>(Buffer.size(), Limit + 1 - Bytes->size())));
        if (Got < 0 && errno == EINTR)
            continue;
        if (Got < 0)
            Failed = errno;
        if (Got <= 0)
            break;
        Bytes->append(Buffer.constData(), int(Got));
    }
    if (!Standard)
        ::close(Fd);
    if (Failed)
        return Refuse(SystemReason(Failed));
#endif
    if (Bytes->size() > Limit) {
        Bytes->clear();
        *Error = QCoreApplication::translate("CtlIo",
                                             "%1: longer than %2 bytes; no parameter or EID file is that long")
                     .arg(Shown(Name), QString::number(Limit));
        return false;
    }
    return true;
}

#ifdef Q_OS_WIN

struct OutputFile::State
{
    QSaveFile File;
    QString Name;
};

OutputFile::OutputFile() : D(new State) {}
OutputFile::~OutputFile() = default;

bool OutputFile::IsOpen() const
{
    return D->File.isOpen();
}

bool OutputFile::Open(const QString &Name, QString *Error)
{
    D->Name = Name;
    D->File.setFileName(Name);
    if (D->File.open(QIODevice::WriteOnly))
        return true;
    *Error = QCoreApplication::translate("CtlIo", "cannot write %1: %2").arg(Name, D->File.errorString());
    return false;
}

bool OutputFile::Commit(const QByteArray &Bytes, QString *Error)
{
    if (D->File.write(Bytes) == Bytes.size() && D->File.commit())
        return true;
    *Error = QCoreApplication::translate("CtlIo", "cannot write %1: %2").arg(D->Name, D->File.errorString());
    D->File.cancelWriting();
    return false;
}

#else

struct OutputFile::State
{
    QString Name;     // as given, for messages
    QByteArray Place; // where the file ends up: a link's target, not the link
    QByteArray Temp;  // the new file beside it; empty when written in place
    bool Existed = false;
    int Fd = -1;

    void Discard()
    {
        if (Fd >= 0)
            ::close(Fd);
        Fd = -1;
        if (!Temp.isEmpty())
            ::unlink(Temp.constData());
        Temp.clear();
    }
};

OutputFile::OutputFile() : D(new State) {}

OutputFile::~OutputFile()
{
    D->Discard();
}

bool OutputFile::IsOpen() const
{
    return D->Fd >= 0;
}

bool OutputFile::Open(const QString &Name, QString *Error)
{
    D->Discard();
    D->Name = Name;
    D->Place = NativeName(Name);
    const auto Refuse = [&](int Reason) {
        *Error = QCoreApplication::translate("CtlIo", "cannot write %1: %2").arg(Shown(Name), SystemReason(Reason));
        D->Discard();
        return false;
    };
    struct stat Old {};
    const bool Exists = ::stat(D->Place.constData(), &Old) == 0;
    if (Exists && !S_ISREG(Old.st_mode)) {
        // A FIFO, a terminal or a device: its reader is waiting for the
        // bytes there, and only root could replace it, wrongly.
        if (S_ISDIR(Old.st_mode))
            return Refuse(EISDIR);
        D->Fd = ::open(D->Place.constData(), O_WRONLY | O_CLOEXEC);
        return D->Fd >= 0 || Refuse(errno);
    }
    D->Existed = Exists;
    if (Exists) {
        char Resolved[PATH_MAX];
        if (::realpath(D->Place.constData(), Resolved))
            D->Place = Resolved;
    }
    const int Slash = D->Place.lastIndexOf('/');
    D->Temp = D->Place.left(Slash + 1) + '.' + D->Place.mid(Slash + 1) + ".XXXXXX";
    D->Fd = ::mkstemp(D->Temp.data());
    if (D->Fd < 0) {
        const int Reason = errno;
        D->Temp.clear();
        return Refuse(Reason);
    }
    ::fcntl(D->Fd, F_SETFD, FD_CLOEXEC);
    mode_t Mode = Old.st_mode & 07777;
    if (!Exists) {
        const mode_t Mask = ::umask(0);
        ::umask(Mask);
        Mode = 0666 & ~Mask;
    }
    if (::fchmod(D->Fd, Mode) != 0)
        return Refuse(errno);
    return true;
}

bool OutputFile::Commit(const QByteArray &Bytes, QString *Error)
{
    int Reason = 0;
    const bool InPlace = D->Temp.isEmpty();
    bool Written = D->Fd >= 0 && WriteAll(D->Fd, Bytes, &Reason);
    // The data on the disk before the name points at it; a FIFO or a
    // device has no disk to flush.
    if (Written && !InPlace && ::fsync(D->Fd) != 0)
        Written = false, Reason = errno;
    const int Fd = D->Fd;
    D->Fd = -1;
    if (Fd >= 0 && ::close(Fd) != 0 && Written)
        Written = false, Reason = errno;
    if (Written && !InPlace && ::rename(D->Temp.constData(), D->Place.constData()) != 0)
        Written = false, Reason = errno;
    if (Written && !InPlace)
        D->Temp.clear();
    if (Written)
        return true;
    // The old file is untouched until the new one takes its name.
    *Error = (!InPlace && D->Existed)
        ? QCoreApplication::translate("CtlIo", "cannot write %1: %2; the file that was there is kept")
        : QCoreApplication::translate("CtlIo", "cannot write %1: %2");
    *Error = Error->arg(Shown(D->Name), SystemReason(Reason ? Reason : EBADF));
    D->Discard();
    return false;
}

#endif

} // namespace CtlIo
