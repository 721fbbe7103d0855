#include "CtlDiff.h"

#include <QJsonArray>
#include <QJsonObject>
#include <QTextStream>

namespace Korvelctl {

int DiffCommand::Run()
{
    return Set.What == CtlCommands::Kind::Params ? RunParams() : RunEids();
}

int DiffCommand::ReportDifferences(const QVector<CtlFiles::Difference> &Found)
{
    QJsonArray Listed;
    for (const CtlFiles::Difference &One : Found) {
        // An EID as the unsigned number it is, as the files write it.
        const bool Eid = One.Name.isEmpty();
        const auto Value = [Eid](qint32 V) { return Eid && V != CtlFiles::EidNone ? qint64(quint32(V)) : qint64(V); };
        QJsonObject Entry {{QStringLiteral("device"), Value(One.Device)}, {QStringLiteral("file"), Value(One.File)}};
        if (Eid)
            Entry.insert(QStringLiteral("entry"), One.Entry);
        else
            Entry.insert(QStringLiteral("parameter"), One.Name);
        Listed.append(Entry);
        if (!Set.Json) {
            //: An entry of the EID list.
            const QString What = Eid ? tr("entry %1").arg(One.Entry) : One.Name;
            Out << tr("%1: device %2, file %3")
                       .arg(What, QString::number(Value(One.Device)), QString::number(Value(One.File)))
                << '\n';
        }
    }
    if (Set.Json)
        Ctl.PrintJson(QJsonObject {{QStringLiteral("differences"), Listed}});
    Out.flush();
    return Found.isEmpty() ? Done : Differs;
}

int DiffCommand::RunParams()
{
    ParamList File;
    // Compared as they are: a file read from a device holding a value
    // outside the window's range says what it holds.
    Outcome Ready = Ctl.ReadParamFile(&File, EidListFile::Range::Whole);
    if (Ready.Ok())
        Ready = Ctl.OpenLine();
    if (!Ready.Ok())
        return Ctl.Fail(Ready);
    ParamList Device = File;
    if (!Exchange.ReadParams(&Device))
        return Ctl.DeviceFault();
    return ReportDifferences(CtlFiles::ParamDifferences(File, Device));
}

int DiffCommand::RunEids()
{
    QVector<qint32> Eids;
    Outcome Ready = Ctl.ReadEidFile(&Eids, EidListFile::Range::Whole);
    if (Ready.Ok())
        Ready = Ctl.OpenLine();
    if (!Ready.Ok())
        return Ctl.Fail(Ready);
    // The whole list, whatever the file leaves out: those entries are 0.
    QVector<qint32> Got;
    if (!Exchange.ReadEids(EidCount, &Got))
        return Ctl.DeviceFault();
    return ReportDifferences(CtlFiles::EidDifferences(Eids, Got));
}

} // namespace Korvelctl
