#ifndef KORVEL_DEVICECORE_H
#define KORVEL_DEVICECORE_H

// The simulated radio device without any line: bytes received go in, a
// description of what to send back (bytes, chunking, delay, hang-up) comes
// out. No I/O, no timers, no clock, so tests drive it in-process and the
// serial line layer of the program only carries out what it decides.
//
// Holding registers, numbered as they go on the wire (no base subtracted):
//   40001..40320  parameter block, contiguous; 40001 is the command register
//                 (reads 0; writing 6 takes the parameters over, 8 the EIDs,
//                 any other code is refused with exception 0x03);
//   47001..47400  EID block, 200 EIDs of two registers, high half first.
// A request must stay inside one block, otherwise exception 0x02.

#include "DeviceFault.h"

#include <QByteArray>
#include <QJsonObject>
#include <QList>
#include <QString>
#include <QVector>

// What the line layer does about the pending input.
struct DeviceReply
{
    enum Event {
        Waiting,  // an incomplete frame: wait for more bytes (Consumed is 0)
        Garbage,  // bytes that start no frame were dropped (Consumed of them)
        NotOurs,  // a good frame for another address, ignored
        Answered, // a request for this device (Chunks may be empty: silence, hang-up)
    };

    Event What = Waiting;
    int Consumed = 0;         // bytes of the pending input used up
    QByteArray Request;       // the bytes used up
    int Transaction = 0;      // number of the answered request, from 1
    QList<QByteArray> Chunks; // reply, written chunk by chunk
    int DelayMs = 0;          // extra delay before the first chunk
    int GapMs = 0;            // between chunks
    bool HangUp = false;      // close the line instead of (after) the reply
    bool Committed = false;   // the committed image changed: keep it
    int NewBaud = 0;          // the device hears at this speed from the next request on; 0: unchanged
    QString Note;             // what happened, for a log
    QString Remark;           // what the bytes alone do not show (dropped, ignored, faults played)

    QByteArray Bytes() const;
};

class DeviceCore
{
public:
    static constexpr int ParamFirst = 40001;
    static constexpr int ParamLast = 40320;
    static constexpr int EidFirst = 47001;
    static constexpr int EidLast = 47400;
    static constexpr int EidCount = 200;
    static constexpr int CommandRegister = 40001;
    static constexpr int AddressRegister = 40003; // ModbusID
    static constexpr int BaudRegister = 40005;    // BaudRate: an index into Speeds()
    static constexpr quint16 CommitParamCode = 6;
    static constexpr quint16 CommitEidCode = 8;
    static constexpr int MaxReadCount = 125;
    static constexpr int MaxWriteCount = 123;

    static constexpr quint8 ExIllegalFunction = 0x01;
    static constexpr quint8 ExIllegalAddress = 0x02;
    static constexpr quint8 ExIllegalValue = 0x03;
    static constexpr quint8 ExDeviceFailure = 0x04;

    // The fourteen parameters a unit leaves the factory with: inside the
    // configuration tool's ranges and different from what the tool shows
    // before its first read, so that a read visibly changes the fields.
    // The simulator keeps this table, and its list of line speeds, of its
    // own rather than taking the protocol library's: it stands in for the
    // device, so a mistake in the library's map shows against it instead of
    // being repeated by it.
    struct Param
    {
        const char *Name;
        int Register;
        quint16 Start;
    };
    static const QVector<Param> &Params();
    // The line speeds BaudRate selects, slowest first; the speed of an
    // index, 0 for an index that names none, and the index of a speed, -1.
    static const QVector<int> &Speeds();
    static int SpeedAt(int Index);
    static int SpeedIndex(int Baud);

    // Working: what writes change and reads return. Committed: what the
    // device took over with a commit and keeps over a power cycle.
    // Both: a setter changes both; a getter reads the working image.
    enum Image { Working, Committed, Both };

    DeviceCore();

    // Looks at the start of the pending input and decides what to do about
    // it; call again after removing Consumed bytes while input remains.
    DeviceReply Take(const QByteArray &Pending);

    // The front of the pending input: noise to drop (Length bytes), a whole
    // frame (Length bytes), or neither yet.
    struct FrameCut
    {
        enum Kind { Waiting, Garbage, Frame } What = Waiting;
        int Length = 0;
        QString Why; // for Garbage
    };
    static FrameCut Cut(const QByteArray &Pending);
    // What becomes of a front that is no whole frame, and of a frame that
    // nobody at the line is addressed by (Own: the addresses there are).
    static DeviceReply Skip(const QByteArray &Pending, const FrameCut &Front);
    static DeviceReply Ignored(const QByteArray &Frame, const QString &Own);

    // Whether a frame to Address is this device's to answer: its own
    // address and 0x00.
    bool Addressed(quint8 Address) const { return Address == 0 || Address == OwnAddress(); }
    // Answers a whole frame as the next request addressed to the device.
    DeviceReply Respond(const QByteArray &Frame) { return Answer(Frame, ++Count); }

    // Back to the factory image, no faults, transaction count 0; the line
    // speed it plays stays as it is.
    void Reset();

    static bool HasRegister(int Register);
    // Whether the registers First .. First + Count - 1 lie in one block.
    static bool InOneBlock(int First, int Count);
    quint16 Register(int Register, Image Which = Working) const;
    void SetRegister(int Register, quint16 Value, Image Which = Both);
    qint32 Eid(int Slot, Image Which = Working) const;
    void SetEid(int Slot, qint32 Value, Image Which = Both);

    // The RS-485 address it answers besides 0x00: the committed ModbusID,
    // or 0 when that is not a usable address (then only 0x00 is answered).
    quint8 OwnAddress() const;

    // The line speed it hears requests at, in Bd; 0: any speed (the speed
    // is not played). Hears: whether a request sent at LineBaud reaches it.
    int ListenBaud() const { return Listen; }
    bool Hears(int LineBaud) const { return Listen == 0 || LineBaud == Listen; }
    // Plays the line speed: it hears requests only at the speed its
    // committed BaudRate names (at Fallback where that names none). A
    // committed new BaudRate counts from the next request on, or, with
    // AtRestart, only for a device started again from its committed image.
    void ListenAtOwnSpeed(int Fallback, bool AtRestart);

    int Transactions() const { return Count; }
    void AddFault(const DeviceFault &Fault) { FaultList.append(Fault); }
    void ClearFaults() { FaultList.clear(); }
    const QList<DeviceFault> &Faults() const { return FaultList; }

    // The committed image as a JSON object, and back. Loading sets both
    // images; registers the object does not name keep their factory values.
    QJsonObject SaveState() const;
    bool LoadState(const QJsonObject &State, QString *Error);

    // Frame helpers shared with the tests.
    static QByteArray WithCrc(QByteArray Frame);
    static bool CrcOk(const QByteArray &Frame);

private:
    DeviceReply Answer(const QByteArray &Frame, int Transaction);
    // The reply body (no CRC) to a request, carried out on the images.
    QByteArray Execute(const QByteArray &Frame, bool &Committed, QString &Note);
    QByteArray ReadMany(const QByteArray &Frame, QString &Note) const;
    QByteArray WriteOne(const QByteArray &Frame, bool &Committed, QString &Note);
    QByteArray WriteMany(const QByteArray &Frame, bool &Committed, QString &Note);
    void Commit(quint16 Code);

    QVector<quint16> WorkParams, WorkEids, KeptParams, KeptEids;
    QList<DeviceFault> FaultList;
    int Count = 0;
    int Listen = 0;
    bool SpeedAtRestart = false;
};

#endif
