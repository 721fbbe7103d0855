#ifndef KORVEL_SERIALLINE_H
#define KORVEL_SERIALLINE_H

// The simulator's end of a serial line (Unix): a pseudo-terminal it creates
// or a serial device it is given, in raw 8N1 mode, watched from the Qt event
// loop. Received bytes go to the device core; its replies are written after
// the turnaround delay and, with a baud rate, paced at 10 bits a byte.

#include "DeviceBus.h"

#include <QByteArray>
#include <QElapsedTimer>
#include <QObject>
#include <QQueue>
#include <QString>

class QSocketNotifier;
class QTimer;

class SerialLine : public QObject
{
    Q_OBJECT

public:
    struct Options
    {
        int Baud = 0;         // 0: no pacing
        int DeviceBaud = 0;   // the devices play their line speed, this one out of the factory; 0: any
        bool BaudAfterRestart = false; // a committed speed counts only after a restart
        int TurnaroundMs = 3;
        bool Verbose = false;
        QString StatePath;    // saved after every commit when set
    };

    SerialLine(DeviceBus &Devices, const Options &Settings, QObject *Parent = nullptr);
    ~SerialLine() override;

    // Creates a pseudo-terminal pair and keeps its slave open as well, so
    // that the master never reads end-of-line while the tool has it closed.
    bool OpenPty(QString *SlavePath, QString *Error);
    bool OpenPort(const QString &Path, QString *Error);
    void Close();

    // Writes the committed image to the state file, if there is one.
    bool SaveState(QString *Error);

    // Terminal speed constant for a baud rate, 0 if the system has none.
    static unsigned SpeedConstant(int Baud);
    // The speed the line is set to, in baud (0 if unknown or unreadable).
    // On a pseudo-terminal this is what the tool set on its end.
    static int LineBaud(int Fd);

signals:
    // The line is gone: hung up on demand (code 0) or lost (code 1).
    void Finished(int ExitCode);

private:
    struct Segment
    {
        QByteArray Bytes;
        qint64 StartUs = 0; // when its first byte may go out
        int Written = 0;
        bool HangUp = false;
        int Baud = 0;       // the device took this speed over: the line follows
        QByteArray Frame;   // the whole reply, on its first piece: logged as it starts
    };

    bool Setup(int Fd, QString *Error);
    void OnReadable();
    bool Heard(const QByteArray &Bytes);
    void Serve();
    void Schedule(const DeviceReply &Reply, qint64 ReceivedUs);
    void Pump();
    // True once DueUs has come (slept to it when it is near); false when a
    // timer has been set to wake the line nearer to it.
    bool WaitUntil(qint64 DueUs, qint64 NowUs);
    static constexpr qint64 FineWaitUs = 1500;
    void DoHangUp();
    void Retune(int Baud);
    // One line per frame: milliseconds since the start, '<' received or
    // '>' sent, the bytes in hex; what the bytes do not show in brackets.
    void LogFrame(char Direction, const QByteArray &Bytes, const QString &Remark = QString()) const;
    qint64 CharUs(int Bytes) const;

    DeviceBus &Devices;
    Options Settings;
    int Fd = -1;
    int SlaveFd = -1;
    QSocketNotifier *Notifier = nullptr;
    QTimer *PumpTimer = nullptr;
    QElapsedTimer Clock;
    QByteArray Pending;
    QQueue<Segment> Out;
    qint64 LineFreeUs = 0; // end of the last byte scheduled so far
    int Pace = 0;          // replies are paced at this speed; 0: not paced
    bool PaceFollows = false; // Pace is the device's speed and changes with it
    int HeardBaud = 0;     // the line's speed when the pending bytes came
};

#endif
