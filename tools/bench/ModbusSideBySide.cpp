#include "ModbusSideBySide.h"

#include "Figures.h"
#include "Options.h"
#include "ParamMap.h"

#include "DeviceCore.h"

#include <QProcess>
#include <QStringList>

namespace Bench {

ModbusTimes RunLibmodbus(const QString &PortPath, int Baud, const Options &Opt)
{
    ModbusTimes Result;
    // The same registers, one by one, from the device's own RS-485 address
    // (the simulator answers it besides 0x00, which is Modbus's broadcast).
    Progress(QStringLiteral("%1 baud, libmodbus").arg(Baud));
    QStringList Arguments {PortPath, QString::number(Baud), QString::number(DeviceCore().OwnAddress()),
                           QString::number(Opt.Repeats)};
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
    // One time in ms a line, a round each.
    for (const QByteArray &Line : Master.readAllStandardOutput().split('\n')) {
        bool Ok = false;
        const double Value = Line.trimmed().toDouble(&Ok);
        if (Ok)
            Result.Ms.append(Value);
    }
    if (Master.exitStatus() != QProcess::NormalExit || Master.exitCode() != 0)
        Result.Error = QString::fromLocal8Bit(Master.readAllStandardError()).trimmed();
    return Result;
}

} // namespace Bench
