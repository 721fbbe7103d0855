#include "ModbusSideBySide.h"

#include "EidRegisters.h"
#include "Figures.h"
#include "ModbusRtu.h"
#include "Options.h"
#include "ParamMap.h"

#include "DeviceCore.h"

#include <QProcess>
#include <QStringList>

namespace Bench {

ModbusTimes RunLibmodbus(const QString &PortPath, int Baud, const Options &Opt)
{
    ModbusTimes Result;
    // The same registers and blocks, to the device's own RS-485 address
    // (the simulator answers it besides 0x00, which is Modbus's broadcast).
    Progress(QStringLiteral("%1 baud, libmodbus").arg(Baud));
    QStringList Arguments {PortPath,
                           QString::number(Baud),
                           QString::number(DeviceCore().OwnAddress()),
                           QString::number(Opt.Repeats),
                           QString::number(ModbusRtu::CommandRegister),
                           QString::number(ModbusRtu::CommitParamCode),
                           QString::number(ModbusRtu::CommitEidCode),
                           QString::number(EidRegisters::First),
                           QString::number(EidCount * EidRegisters::PerSlot),
                           QString::number(ModbusRtu::EidsPerBlock * EidRegisters::PerSlot)};
    for (const ParamMap::Row &Row : ParamMap::Rows)
        Arguments << QString::number(Row.Register);
    QProcess Master;
    Master.start(Opt.Modbus, Arguments);
    if (!Master.waitForStarted(5000)) {
        Result.Error = QStringLiteral("cannot start %1").arg(Opt.Modbus);
        return Result;
    }
    if (!Master.waitForFinished(120000)) {
        Master.kill();
        Master.waitForFinished();
        Result.Error = QStringLiteral("did not finish");
    }
    // A round a line: the four exchanges' times in ms.
    for (const QByteArray &Line : Master.readAllStandardOutput().split('\n')) {
        const QList<QByteArray> Fields = Line.simplified().split(' ');
        if (Fields.size() != KindCount)
            continue;
        for (int K = 0; K < KindCount; ++K) {
            bool Ok = false;
            const double Value = Fields[K].toDouble(&Ok);
            if (Ok)
                Result.Times.Of[K].Ms.append(Value);
        }
    }
    if (Master.exitStatus() != QProcess::NormalExit || Master.exitCode() != 0)
        Result.Error = QString::fromLocal8Bit(Master.readAllStandardError()).trimmed();
    return Result;
}

} // namespace Bench
