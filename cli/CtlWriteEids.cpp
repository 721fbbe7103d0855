#include "CtlWriteEids.h"

#include <QTextStream>

namespace Korvelctl {

int WriteEidsCommand::Run()
{
    QVector<qint32> Eids;
    Outcome Ready = Ctl.ReadEidFile(&Eids, Ctl.WriteRange());
    if (Ready.Ok())
        Ready = Ctl.OpenLine();
    if (!Ready.Ok())
        return Ctl.Fail(Ready);
    QString Committed = Context::CommitSent();
    if (!Exchange.WriteEids(CtlFiles::WholeList(Eids))) {
        if (!Ctl.CommitUncertain())
            return Ctl.DeviceFault();
        if (!Set.Verify)
            return Ctl.DeviceFault(QString(), tr("; the device may have taken the list (--verify reads it back)"));
        Committed = Ctl.CommitLost(tr("reading the list back"));
    }
    if (Set.Verify) {
        QVector<qint32> Got;
        if (!Exchange.ReadEids(EidCount, &Got))
            return Ctl.DeviceFault(Committed + tr("verify: "));
        const QVector<CtlFiles::Difference> Differ = CtlFiles::EidDifferences(Eids, Got);
        if (!Differ.isEmpty())
            return Ctl.Fail(DeviceFailed,
                            Committed
                                + tr("verify: %n of %1 EIDs differ; entry %2 reads %3, the file says %4", nullptr,
                                     Differ.size())
                                      .arg(Eids.size())
                                            .arg(Differ.first().Entry)
                                            .arg(QString::fromLatin1(CtlFiles::EidText(Differ.first().Device)),
                                                 QString::fromLatin1(CtlFiles::EidText(Differ.first().File))),
                            {{QStringLiteral("fault"), QStringLiteral("verify")}});
    }
    // One form in English whatever the count; the catalogue gives each its forms.
    Out << (Set.Verify ? tr("%n EIDs written and committed, verified", nullptr, Eids.size())
                       : tr("%n EIDs written and committed", nullptr, Eids.size()))
        << '\n';
    return Done;
}

} // namespace Korvelctl
