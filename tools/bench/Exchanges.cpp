#include "Exchanges.h"

#include "EidRegisters.h"
#include "ModbusRtu.h"
#include "MySerialPort.h"
#include "ParamMap.h"

#include <cmath>

namespace Bench {

const char *const KindNames[KindCount] = {
    "Parameter read", "Parameter write + commit", "EID read (200)", "EID write (200) + commit",
};

namespace {

QVector<Transaction> ParamReadLine()
{
    QVector<Transaction> Line;
    for (const ParamMap::Row &Row : ParamMap::Rows)
        Line.append({ModbusRtu::BuildParamRead(Row.Register).size(), ModbusRtu::ParamReadReplyLength});
    return Line;
}

QVector<Transaction> ParamWriteLine()
{
    QVector<Transaction> Line;
    for (const ParamMap::Row &Row : ParamMap::Rows)
        Line.append({ModbusRtu::BuildParamWrite(Row.Register, 0).size(), ModbusRtu::ParamWriteReplyLength});
    Line.append({ModbusRtu::BuildCommit(ModbusRtu::CommitParamCode).size(), ModbusRtu::CommitReplyLength});
    return Line;
}

QVector<Transaction> EidReadLine()
{
    QVector<Transaction> Line;
    for (int Slot = 0; Slot < EidCount; Slot += ModbusRtu::EidsPerBlock) {
        const int Count = qMin(ModbusRtu::EidsPerBlock, EidCount - Slot);
        QByteArray Frame;
        ModbusRtu::OpenEidBlockRead(Frame, EidRegisters::OfSlot(Slot));
        ModbusRtu::CloseEidBlockRead(Frame, Count);
        Line.append({Frame.size(), ModbusRtu::EidReadReplyLength(Count)});
    }
    return Line;
}

QVector<Transaction> EidWriteLine()
{
    QVector<Transaction> Line;
    for (int Slot = 0; Slot < EidCount; Slot += ModbusRtu::EidsPerBlock) {
        const int Count = qMin(ModbusRtu::EidsPerBlock, EidCount - Slot);
        QByteArray Frame;
        ModbusRtu::OpenEidBlockWrite(Frame, EidRegisters::OfSlot(Slot));
        for (int I = 0; I < Count; ++I)
            ModbusRtu::AppendEidValue(Frame, 0);
        ModbusRtu::CloseEidBlockWrite(Frame, Count);
        Line.append({Frame.size(), ModbusRtu::EidWriteReplyLength});
    }
    Line.append({ModbusRtu::BuildCommit(ModbusRtu::CommitEidCode).size(), ModbusRtu::CommitReplyLength});
    return Line;
}

double LineMs(const Transaction &T, int Baud, int TurnaroundMs)
{
    return (T.Request + T.Reply) * 10.0 * 1000.0 / Baud + TurnaroundMs;
}

} // namespace

QVector<Transaction> LineOf(Kind Which)
{
    switch (Which) {
    case ParamRead: return ParamReadLine();
    case ParamWrite: return ParamWriteLine();
    case EidRead: return EidReadLine();
    case EidWrite: return EidWriteLine();
    default: return {};
    }
}

double LineMs(const QVector<Transaction> &Line, int Baud, int TurnaroundMs)
{
    double Sum = 0;
    for (const Transaction &T : Line)
        Sum += LineMs(T, Baud, TurnaroundMs);
    return Sum;
}

double FloorMs(const QVector<Transaction> &Line, int Baud, int TurnaroundMs)
{
    const double Step = MySerialPort::PauseStepMs;
    double Sum = 0;
    for (const Transaction &T : Line)
        Sum += qMax(1.0, std::ceil(LineMs(T, Baud, TurnaroundMs) / Step)) * Step;
    return Sum;
}

double SilenceMs(int Baud)
{
    return 3.5 * 10.0 * 1000.0 / Baud;
}

double SilencedFloorMs(const QVector<Transaction> &Line, int Baud, int TurnaroundMs)
{
    return LineMs(Line, Baud, TurnaroundMs) + Line.size() * SilenceMs(Baud);
}

} // namespace Bench
