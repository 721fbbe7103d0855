#include "SerialLine.h"

#include "DeviceState.h"

#include <QFile>
#include <QSocketNotifier>
#include <QTimer>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

namespace {

bool MakeRaw(int Fd, int Baud, QString *Error)
{
    termios Mode {};
    if (tcgetattr(Fd, &Mode) != 0) {
        if (Error)
            *Error = SerialLine::tr("not a serial line: %1").arg(QString::fromLocal8Bit(strerror(errno)));
        return false;
    }
    // 8N1, no echo, no line editing, no translation, no flow control.
    cfmakeraw(&Mode);
    Mode.c_cflag &= ~tcflag_t(CSTOPB | PARENB | CRTSCTS | CSIZE);
    Mode.c_cflag |= CS8 | CLOCAL | CREAD;
    Mode.c_iflag &= ~tcflag_t(IXON | IXOFF | IXANY);
    Mode.c_cc[VMIN] = 1;
    Mode.c_cc[VTIME] = 0;
    const speed_t Speed = SerialLine::SpeedConstant(Baud);
    if (Speed) {
        cfsetispeed(&Mode, Speed);
        cfsetospeed(&Mode, Speed);
    }
    if (tcsetattr(Fd, TCSANOW, &Mode) != 0) {
        if (Error)
            *Error = SerialLine::tr("cannot set the line to raw 8N1: %1")
                         .arg(QString::fromLocal8Bit(strerror(errno)));
        return false;
    }
    return true;
}

} // namespace

SerialLine::SerialLine(DeviceBus &TheDevices, const Options &TheSettings, QObject *Parent)
    : QObject(Parent)
    , Devices(TheDevices)
    , Settings(TheSettings)
    , Pace(TheSettings.Baud)
    , PaceFollows(TheSettings.DeviceBaud != 0 && TheSettings.Baud == TheSettings.DeviceBaud)
{
    // Paced at the device's speed: the one it starts at, which a state
    // file may have changed.
    if (PaceFollows)
        Pace = Devices.Device(0).ListenBaud();
    PumpTimer = new QTimer(this);
    PumpTimer->setSingleShot(true);
    PumpTimer->setTimerType(Qt::PreciseTimer);
    connect(PumpTimer, &QTimer::timeout, this, &SerialLine::Pump);
    Clock.start();
}

SerialLine::~SerialLine()
{
    Close();
}

namespace {

const struct
{
    int Baud;
    speed_t Constant;
} Speeds[] = {
    {1200, B1200}, {2400, B2400}, {4800, B4800}, {9600, B9600}, {19200, B19200},
    {38400, B38400}, {57600, B57600}, {115200, B115200}, {230400, B230400},
#ifdef B460800
    {460800, B460800},
#endif
#ifdef B921600
    {921600, B921600},
#endif
};

} // namespace

unsigned SerialLine::SpeedConstant(int Baud)
{
    for (const auto &Speed : Speeds) {
        if (Speed.Baud == Baud)
            return Speed.Constant;
    }
    return 0;
}

int SerialLine::LineBaud(int Fd)
{
    // A pseudo-terminal's master reads the termios of its slave (Linux), so
    // this is the speed the tool opened its end at. An input speed of 0
    // means "as the output speed".
    termios Mode {};
    if (tcgetattr(Fd, &Mode) != 0)
        return 0;
    const speed_t Out = cfgetospeed(&Mode);
    const speed_t In = cfgetispeed(&Mode);
    if (In != 0 && In != Out)
        return 0;
    for (const auto &Speed : Speeds) {
        if (Speed.Constant == Out)
            return Speed.Baud;
    }
    return 0;
}

bool SerialLine::OpenPty(QString *SlavePath, QString *Error)
{
    Close();
    const int Master = posix_openpt(O_RDWR | O_NOCTTY);
    if (Master < 0 || grantpt(Master) != 0 || unlockpt(Master) != 0) {
        if (Error)
            *Error = tr("cannot create a pseudo-terminal: %1")
                         .arg(QString::fromLocal8Bit(strerror(errno)));
        if (Master >= 0)
            ::close(Master);
        return false;
    }
    const char *Name = ptsname(Master);
    const int Slave = Name ? ::open(Name, O_RDWR | O_NOCTTY) : -1;
    if (Slave < 0) {
        if (Error)
            *Error = tr("cannot open the pseudo-terminal's slave: %1")
                         .arg(QString::fromLocal8Bit(strerror(errno)));
        ::close(Master);
        return false;
    }
    // Raw from the start: an echoing slave would hand our replies back to us.
    if (!MakeRaw(Slave, Pace, Error)) {
        ::close(Slave);
        ::close(Master);
        return false;
    }
    fcntl(Master, F_SETFD, FD_CLOEXEC);
    fcntl(Slave, F_SETFD, FD_CLOEXEC);
    SlaveFd = Slave;
    *SlavePath = QString::fromLocal8Bit(Name);
    return Setup(Master, Error);
}

bool SerialLine::OpenPort(const QString &Path, QString *Error)
{
    Close();
    const int Port = ::open(QFile::encodeName(Path).constData(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    if (Port < 0) {
        if (Error)
            *Error = tr("cannot open %1: %2").arg(Path, QString::fromLocal8Bit(strerror(errno)));
        return false;
    }
    fcntl(Port, F_SETFD, FD_CLOEXEC);
    QString Why;
    if (!MakeRaw(Port, Pace > 0 ? Pace : 9600, &Why)) {
        if (Error)
            *Error = QStringLiteral("%1: %2").arg(Path, Why);
        ::close(Port);
        return false;
    }
    tcflush(Port, TCIOFLUSH);
    return Setup(Port, Error);
}

bool SerialLine::Setup(int Line, QString *Error)
{
    Q_UNUSED(Error);
    fcntl(Line, F_SETFL, fcntl(Line, F_GETFL) | O_NONBLOCK);
    Fd = Line;
    Notifier = new QSocketNotifier(Fd, QSocketNotifier::Read, this);
    connect(Notifier, &QSocketNotifier::activated, this, &SerialLine::OnReadable);
    return true;
}

void SerialLine::Close()
{
    PumpTimer->stop();
    Out.clear();
    delete Notifier;
    Notifier = nullptr;
    if (Fd >= 0)
        ::close(Fd);
    if (SlaveFd >= 0)
        ::close(SlaveFd);
    Fd = SlaveFd = -1;
    Pending.clear();
}

bool SerialLine::SaveState(QString *Error)
{
    return Settings.StatePath.isEmpty() || SaveStateFile(Devices, Settings.StatePath, Error);
}

void SerialLine::OnReadable()
{
    char Buffer[4096];
    for (;;) {
        const ssize_t Got = ::read(Fd, Buffer, sizeof Buffer);
        if (Got > 0) {
            const QByteArray Bytes(Buffer, int(Got));
            if (Heard(Bytes))
                Pending.append(Bytes);
            continue;
        }
        if (Got < 0 && (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR))
            break;
        // End of file or an error: the adapter is gone.
        const QString Why = Got == 0 ? tr("end of file") : QString::fromLocal8Bit(strerror(errno));
        std::fprintf(stderr, "korvel-devsim: %s\n", tr("the line is lost (%1)").arg(Why).toLocal8Bit().constData());
        Close();
        emit Finished(1);
        return;
    }
    Serve();
}

bool SerialLine::Heard(const QByteArray &Bytes)
{
    // A device at another speed than the line's receives only garbage, and
    // garbage never makes a request; what it held of a frame is spoilt too.
    if (Settings.DeviceBaud == 0)
        return true;
    const int Baud = LineBaud(Fd);
    HeardBaud = Baud;
    if (Devices.Hears(Baud))
        return true;
    if (Settings.Verbose)
        LogFrame('<', Bytes, QStringLiteral("line at %1 Bd, not %2: not heard").arg(Baud).arg(Devices.Speeds()));
    Pending.clear();
    return false;
}

void SerialLine::Serve()
{
    while (!Pending.isEmpty()) {
        const DeviceReply Reply = Devices.Take(Pending, HeardBaud);
        if (Reply.Consumed <= 0)
            return;
        const qint64 NowUs = Clock.nsecsElapsed() / 1000;
        Pending.remove(0, Reply.Consumed);
        if (Settings.Verbose)
            LogFrame('<', Reply.Request, Reply.Remark);
        if (Reply.Committed) {
            QString Error;
            if (!SaveState(&Error))
                std::fprintf(stderr, "korvel-devsim: %s\n", Error.toLocal8Bit().constData());
        }
        if (Reply.What != DeviceReply::Answered)
            continue;
        Schedule(Reply, NowUs);
        if (Reply.HangUp) {
            // Nothing more is taken from a line about to be hung up.
            Pending.clear();
            if (Notifier)
                Notifier->setEnabled(false);
            return;
        }
    }
}

qint64 SerialLine::CharUs(int Bytes) const
{
    return Pace > 0 ? qint64(Bytes) * 10 * 1000000 / Pace : 0;
}

void SerialLine::Schedule(const DeviceReply &Reply, qint64 ReceivedUs)
{
    qint64 Start = qMax(ReceivedUs + qint64(Settings.TurnaroundMs + Reply.DelayMs) * 1000, LineFreeUs);
    for (int I = 0; I < Reply.Chunks.size(); ++I) {
        Segment S;
        S.Bytes = Reply.Chunks[I];
        S.StartUs = Start;
        if (I == 0)
            S.Frame = Reply.Bytes();
        Out.enqueue(S);
        LineFreeUs = Start + CharUs(S.Bytes.size());
        Start = LineFreeUs + qint64(Reply.GapMs) * 1000;
    }
    if (Reply.NewBaud) {
        // After the reply's last byte, which goes at the old speed.
        Segment S;
        S.Baud = Reply.NewBaud;
        S.StartUs = Reply.Chunks.isEmpty() ? Start : LineFreeUs;
        Out.enqueue(S);
    }
    if (Reply.HangUp) {
        Segment S;
        S.HangUp = true;
        S.StartUs = Reply.Chunks.isEmpty() ? Start : LineFreeUs;
        Out.enqueue(S);
    }
    Pump();
}

void SerialLine::Pump()
{
    while (!Out.isEmpty() && Fd >= 0) {
        Segment &S = Out.head();
        const qint64 NowUs = Clock.nsecsElapsed() / 1000;
        if (NowUs < S.StartUs) {
            if (WaitUntil(S.StartUs, NowUs))
                continue;
            return;
        }
        if (S.HangUp) {
            DoHangUp();
            return;
        }
        if (S.Baud) {
            Retune(S.Baud);
            Out.dequeue();
            continue;
        }
        // Paced: a byte goes out once the line would have carried it.
        const qint64 Char = CharUs(1);
        const int Due = Char > 0 ? int(qMin<qint64>(S.Bytes.size(), (NowUs - S.StartUs) / Char))
                                 : S.Bytes.size();
        bool Blocked = false;
        if (Due > S.Written) {
            if (S.Written == 0 && !S.Frame.isEmpty() && Settings.Verbose)
                LogFrame('>', S.Frame);
            const ssize_t Put = ::write(Fd, S.Bytes.constData() + S.Written, size_t(Due - S.Written));
            if (Put > 0)
                S.Written += int(Put);
            else
                Blocked = true; // a full line: try again shortly
        }
        if (S.Written >= S.Bytes.size()) {
            Out.dequeue();
            continue;
        }
        if (Blocked) {
            PumpTimer->start(2);
            return;
        }
        // The next byte's time, or in time for the end of the reply, which
        // is what a master waits for.
        const qint64 NextUs = S.StartUs + (S.Written + 1) * Char;
        const qint64 EndUs = S.StartUs + S.Bytes.size() * Char;
        if (EndUs - NowUs > FineWaitUs) {
            PumpTimer->start(int(qMin((NextUs - NowUs + 999) / 1000, (EndUs - FineWaitUs - NowUs) / 1000)));
            return;
        }
        WaitUntil(NextUs, NowUs);
    }
}

bool SerialLine::WaitUntil(qint64 DueUs, qint64 NowUs)
{
    // A timer counts whole milliseconds and would make every reply up to a
    // millisecond late, more than a whole short reply takes at 115200 Bd. So
    // the timer wakes the line a little early and the last stretch, never
    // more than FineWaitUs, is slept.
    const qint64 LeftUs = DueUs - NowUs;
    if (LeftUs > FineWaitUs) {
        PumpTimer->start(int((LeftUs - FineWaitUs) / 1000));
        return false;
    }
    if (LeftUs > 0)
        usleep(useconds_t(LeftUs));
    return true;
}

void SerialLine::DoHangUp()
{
    Close();
    emit Finished(0);
}

void SerialLine::Retune(int Baud)
{
    if (PaceFollows)
        Pace = Baud;
    // A pseudo-terminal has no speed of its own: what the device hears is
    // judged by the speed the tool set on its end. A serial device's line
    // is set to the new speed once the reply has left it.
    if (SlaveFd >= 0 || Fd < 0)
        return;
    termios Mode {};
    const speed_t Speed = SpeedConstant(Baud);
    tcdrain(Fd);
    if (Speed == 0 || tcgetattr(Fd, &Mode) != 0 || cfsetispeed(&Mode, Speed) != 0 || cfsetospeed(&Mode, Speed) != 0
        || tcsetattr(Fd, TCSADRAIN, &Mode) != 0)
        std::fprintf(stderr, "korvel-devsim: %s\n",
                     tr("cannot set the line to %1 Bd: %2")
                         .arg(Baud)
                         .arg(QString::fromLocal8Bit(std::strerror(errno)))
                         .toLocal8Bit()
                         .constData());
}

void SerialLine::LogFrame(char Direction, const QByteArray &Bytes, const QString &Remark) const
{
    QByteArray Line = QByteArray::number(double(Clock.nsecsElapsed()) / 1e6, 'f', 3);
    Line += ' ';
    Line += Direction;
    Line += ' ';
    Line += Bytes.toHex(' ').toUpper();
    if (!Remark.isEmpty())
        Line += " (" + Remark.toLocal8Bit() + ')';
    Line += '\n';
    std::fputs(Line.constData(), stderr);
    std::fflush(stderr);
}
