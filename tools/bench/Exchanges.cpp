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

// The blocks the exchanges send, with their frames' real sizes.
QVector<Transaction> EidReadLine()
{
    QVector<Transaction> Line;
    for (const EidRegisters::Block &Block : EidRegisters::Blocks(EidCount))
        Line.append({ModbusRtu::BuildEidRead(Block.FirstRegister, Block.Count).size(),
                     ModbusRtu::EidReadReplyLength(Block.Count)});
    return Line;
}

QVector<Transaction> EidWriteLine()
{
    QVector<Transaction> Line;
    for (const EidRegisters::Block &Block : EidRegisters::Blocks(EidCount))
        Line.append({ModbusRtu::BuildEidWrite(Block.FirstRegister, QVector<qint32>(Block.Count, 0)).size(),
                     ModbusRtu::EidWriteReplyLength});
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
