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
    QString Committed = QStringLiteral("the commit was sent; ");
    if (!Exchange.WriteEids(CtlFiles::WholeList(Eids))) {
        if (!Ctl.CommitUncertain())
            return Ctl.DeviceFault();
        if (!Set.Verify)
            return Ctl.DeviceFault(QString(),
                                   QStringLiteral("; the device may have taken the list (--verify reads it back)"));
        Committed = Ctl.CommitLost(QStringLiteral("list"));
    }
    if (Set.Verify) {
        QVector<qint32> Got;
        if (!Exchange.ReadEids(EidCount, &Got))
            return Ctl.DeviceFault(Committed + QStringLiteral("verify: "));
        const QVector<CtlFiles::Difference> Differ = CtlFiles::EidDifferences(Eids, Got);
        if (!Differ.isEmpty())
            return Ctl.Fail(DeviceFailed,
                            Committed + QStringLiteral("verify: %1 of %2 EIDs differ; entry %3 reads %4, "
                                                       "the file says %5")
                                            .arg(Differ.size())
                                            .arg(Eids.size())
                                            .arg(Differ.first().Entry)
                                            .arg(QString::fromLatin1(CtlFiles::EidText(Differ.first().Device)),
                                                 QString::fromLatin1(CtlFiles::EidText(Differ.first().File))),
                            {{QStringLiteral("fault"), QStringLiteral("verify")}});
    }
    Out << Eids.size() << " EIDs written and committed" << (Set.Verify ? ", verified" : "") << '\n';
    return Done;
}

} // namespace Korvelctl
