#include "Exchanges.h"

#include "DeviceExchange.h"
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
        Line.append({int(ModbusRtu::BuildParamRead(Row.Register).size()), ModbusRtu::ParamReadReplyLength});
    return Line;
}

QVector<Transaction> ParamWriteLine()
{
    QVector<Transaction> Line;
    for (const ParamMap::Row &Row : ParamMap::Rows)
        Line.append({int(ModbusRtu::BuildParamWrite(Row.Register, 0).size()), ModbusRtu::ParamWriteReplyLength});
    Line.append({int(ModbusRtu::BuildCommit(ModbusRtu::CommitParamCode).size()), ModbusRtu::CommitReplyLength});
    return Line;
}

// The blocks as the exchanges walk them, with their frames' real sizes.
QVector<Transaction> EidReadLine()
{
    QVector<Transaction> Line;
    QByteArray Frame;
    DeviceExchange::WalkEidBlocks(
        EidCount,
        [&Frame](int Position, bool Opens) {
            if (Opens)
                ModbusRtu::OpenEidBlockRead(Frame, EidRegisters::OfSlot(Position));
        },
        [&](int, int Count, int) {
            ModbusRtu::CloseEidBlockRead(Frame, Count);
            Line.append({int(Frame.size()), ModbusRtu::EidReadReplyLength(Count)});
            return true;
        });
    return Line;
}

QVector<Transaction> EidWriteLine()
{
    QVector<Transaction> Line;
    QByteArray Frame;
    DeviceExchange::WalkEidBlocks(
        EidCount,
        [&Frame](int Position, bool Opens) {
            if (Opens)
                ModbusRtu::OpenEidBlockWrite(Frame, EidRegisters::OfSlot(Position));
            ModbusRtu::AppendEidValue(Frame, 0);
        },
        [&](int, int Count, int) {
            ModbusRtu::CloseEidBlockWrite(Frame, Count);
            Line.append({int(Frame.size()), ModbusRtu::EidWriteReplyLength});
            return true;
        });
    Line.append({int(ModbusRtu::BuildCommit(ModbusRtu::CommitEidCode).size()), ModbusRtu::CommitReplyLength});
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
