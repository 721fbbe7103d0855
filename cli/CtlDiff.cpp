// diff: what the device holds against what a file says, nothing written;
// and the JSON document that --json prints instead of lines.

#include "CtlFiles.h"
#include "CtlRunner.h"
#include "Korvelctl.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTextStream>

namespace Korvelctl {

int Runner::PrintJson(const QJsonObject &Document)
{
    Out << QString::fromUtf8(QJsonDocument(Document).toJson(QJsonDocument::Indented));
    Out.flush();
    return Done;
}

int Runner::ReportDifferences(const QVector<CtlFiles::Difference> &Found)
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
            const QString What = Eid ? QStringLiteral("entry %1").arg(One.Entry) : One.Name;
            Out << What << ": device " << Value(One.Device) << ", file " << Value(One.File) << '\n';
        }
    }
    if (Set.Json)
        PrintJson(QJsonObject {{QStringLiteral("differences"), Listed}});
    Out.flush();
    return Found.isEmpty() ? Done : Differs;
}

int Runner::DiffParams()
{
    int Code = Done;
    ParamList File;
    // Compared as they are: a file read from a device holding a value
    // outside the window's range says what it holds.
    if (!ReadParamFile(&File, EidListFile::Range::Whole, &Code) || !OpenLine(&Code))
        return Code;
    ParamList Device = File;
    if (!Exchange.ReadParams(&Device))
        return DeviceFault();
    return ReportDifferences(CtlFiles::ParamDifferences(File, Device));
}

int Runner::DiffEids()
{
    int Code = Done;
    QVector<qint32> Eids;
    if (!ReadEidFile(&Eids, EidListFile::Range::Whole, &Code) || !OpenLine(&Code))
        return Code;
    // The whole list, whatever the file leaves out: those entries are 0.
    QVector<qint32> Got;
    if (!Exchange.ReadEids(EidCount, &Got))
        return DeviceFault();
    return ReportDifferences(CtlFiles::EidDifferences(Eids, Got));
}

} // namespace Korvelctl
