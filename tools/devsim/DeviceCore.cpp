// The simulated device's images and registers, and which requests are its
// to answer.

#include "DeviceCore.h"

#include "DeviceBytes.h"

using DeviceBytes::ByteAt;

namespace {

constexpr int ParamRegisters = DeviceCore::ParamLast - DeviceCore::ParamFirst + 1;
constexpr int EidRegisters = DeviceCore::EidLast - DeviceCore::EidFirst + 1;

bool InBlock(int First, int Count, int BlockFirst, int BlockLast)
{
    return First >= BlockFirst && First + Count - 1 <= BlockLast;
}

} // namespace

QByteArray DeviceReply::Bytes() const
{
    QByteArray All;
    for (const QByteArray &Chunk : Chunks)
        All += Chunk;
    return All;
}

const QVector<DeviceCore::Param> &DeviceCore::Params()
{
    // Register map of the configuration tool. The tool starts at
    // 1, 0, 60, 10, 1, 0, 1, 150, 0, 6, 1, 10, 10, 0; every value here differs,
    // and the time-outs are no presets, so a read shows the device's own.
    static const QVector<Param> Map = {
        {"ModbusID", 40003, 17},
        {"BaudRate", 40005, 1},
        {"OffLineTime", 40008, 300},
        {"DataUplinkCycle", 40009, 60},
        {"LocalNet", 40207, 5},
        {"TimeMark", 40213, 1},
        {"RfTxPower", 40301, 20},
        {"RfFrequency", 40302, 470},
        {"RfBandWidth", 40303, 1},
        {"RfSf", 40304, 9},
        {"RfLeadCode", 40305, 8},
        {"TxTimeout", 40307, 1000},
        {"RxTimeout", 40308, 200},
        {"RssiOut", 40310, 1},
    };
    return Map;
}

const QVector<int> &DeviceCore::Speeds()
{
    static const QVector<int> List = {4800, 9600, 19200, 38400, 57600, 115200};
    return List;
}

int DeviceCore::SpeedAt(int Index)
{
    return Index >= 0 && Index < Speeds().size() ? Speeds().at(Index) : 0;
}

int DeviceCore::SpeedIndex(int Baud)
{
    return Speeds().indexOf(Baud);
}

void DeviceCore::ListenAtOwnSpeed(int Fallback, bool AtRestart)
{
    const int Own = SpeedAt(Register(BaudRegister, Committed));
    Listen = Own ? Own : Fallback;
    SpeedAtRestart = AtRestart;
}

DeviceCore::DeviceCore()
{
    Reset();
}

void DeviceCore::Reset()
{
    WorkParams = QVector<quint16>(ParamRegisters, 0);
    WorkEids = QVector<quint16>(EidRegisters, 0);
    for (const Param &P : Params())
        WorkParams[P.Register - ParamFirst] = P.Start;
    KeptParams = WorkParams;
    KeptEids = WorkEids;
    FaultList.clear();
    Count = 0;
}

bool DeviceCore::HasRegister(int Register)
{
    return InOneBlock(Register, 1);
}

quint16 DeviceCore::Register(int Register, Image Which) const
{
    if (Register == CommandRegister || !HasRegister(Register))
        return 0;
    const bool Kept = Which == Committed;
    if (Register <= ParamLast)
        return (Kept ? KeptParams : WorkParams)[Register - ParamFirst];
    return (Kept ? KeptEids : WorkEids)[Register - EidFirst];
}

void DeviceCore::SetRegister(int Register, quint16 Value, Image Which)
{
    // The command register holds nothing: a code written there is carried out.
    if (Register == CommandRegister || !HasRegister(Register))
        return;
    const bool Params = Register <= ParamLast;
    const int Index = Register - (Params ? ParamFirst : EidFirst);
    if (Which != Committed)
        (Params ? WorkParams : WorkEids)[Index] = Value;
    if (Which != Working)
        (Params ? KeptParams : KeptEids)[Index] = Value;
}

qint32 DeviceCore::Eid(int Slot, Image Which) const
{
    if (Slot < 0 || Slot >= EidCount)
        return 0;
    const int First = EidFirst + 2 * Slot;
    const quint32 Value = (quint32(Register(First, Which)) << 16) | Register(First + 1, Which);
    return qint32(Value);
}

void DeviceCore::SetEid(int Slot, qint32 Value, Image Which)
{
    if (Slot < 0 || Slot >= EidCount)
        return;
    const int First = EidFirst + 2 * Slot;
    SetRegister(First, quint16(quint32(Value) >> 16), Which);
    SetRegister(First + 1, quint16(quint32(Value) & 0xFFFF), Which);
}

quint8 DeviceCore::OwnAddress() const
{
    // Like a real unit, a new address counts once it has been taken over.
    const quint16 Address = Register(AddressRegister, Committed);
    return Address >= 1 && Address <= 255 ? quint8(Address) : 0;
}

bool DeviceCore::InOneBlock(int First, int Count)
{
    return InBlock(First, Count, ParamFirst, ParamLast) || InBlock(First, Count, EidFirst, EidLast);
}

DeviceReply DeviceCore::Take(const QByteArray &Pending)
{
    const FrameCut Front = Cut(Pending);
    if (Front.What != FrameCut::Frame)
        return Skip(Pending, Front);
    const QByteArray Frame = Pending.left(Front.Length);
    if (!Addressed(ByteAt(Frame, 0)))
        return Ignored(Frame, QString::number(OwnAddress()));
    return Respond(Frame);
}
