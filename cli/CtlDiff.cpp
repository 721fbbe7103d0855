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
        QJsonObject Entry {{QStringLiteral("device"), One.Device}, {QStringLiteral("file"), One.File}};
        if (One.Name.isEmpty())
            Entry.insert(QStringLiteral("entry"), One.Entry);
        else
            Entry.insert(QStringLiteral("parameter"), One.Name);
        Listed.append(Entry);
        if (!Set.Json) {
            const QString What = One.Name.isEmpty() ? QStringLiteral("entry %1").arg(One.Entry) : One.Name;
            Out << What << ": device " << One.Device << ", file " << One.File << '\n';
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
    if (!ReadParamFile(&File, &Code) || !OpenLine(&Code))
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
    if (!ReadEidFile(&Eids, &Code) || !OpenLine(&Code))
        return Code;
    // The whole list, whatever the file leaves out: those entries are 0.
    QVector<qint32> Got;
    if (!Exchange.ReadEids(EidCount, &Got))
        return DeviceFault();
    return ReportDifferences(CtlFiles::EidDifferences(Eids, Got));
}

} // namespace Korvelctl
