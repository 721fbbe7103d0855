#include "CtlPorts.h"

#include "PortStatus.h"

#include <QCoreApplication>
#include <QJsonArray>
#include <QJsonObject>
#include <QSerialPortInfo>
#include <QTextStream>

namespace Korvelctl {

namespace {

// The table's headings; --json names its keys by the English ones.
const char *const Headings[] = {
    //: A heading of the table korvelctl ports prints.
    QT_TRANSLATE_NOOP("PortsCommand", "PORT"),
    //: A heading of the table korvelctl ports prints.
    QT_TRANSLATE_NOOP("PortsCommand", "STATE"),
    //: A heading of the table korvelctl ports prints.
    QT_TRANSLATE_NOOP("PortsCommand", "DESCRIPTION"),
    //: A heading of the table korvelctl ports prints.
    QT_TRANSLATE_NOOP("PortsCommand", "MANUFACTURER"),
    //: A heading of the table korvelctl ports prints.
    QT_TRANSLATE_NOOP("PortsCommand", "SERIAL"),
};

// The rows of the ports table under its lower-cased headings; a field the
// table shows as "-" is empty.
QJsonObject PortsJson(const QVector<QStringList> &Rows)
{
    QJsonArray Ports;
    for (int R = 1; R < Rows.size(); ++R) {
        QJsonObject Port;
        for (int C = 0; C < Rows[R].size(); ++C)
            Port.insert(Rows[0][C].toLower(), Rows[R][C] == QLatin1String("-") ? QString() : Rows[R][C]);
        Ports.append(Port);
    }
    return QJsonObject {{QStringLiteral("ports"), Ports}};
}

} // namespace

int PortsCommand::Run()
{
    const QList<QSerialPortInfo> Found = QSerialPortInfo::availablePorts();
    if (Found.isEmpty()) {
        Ctl.Say(tr("no serial ports found"));
        return Set.Json ? Ctl.PrintJson(QJsonObject {{QStringLiteral("ports"), QJsonArray()}}) : Done;
    }
    QVector<QStringList> Rows(1);
    for (const char *Heading : Headings)
        Rows[0] << QString::fromLatin1(Heading);
    for (const QSerialPortInfo &Info : Found) {
        const QString State = PortStatus::Text(PortStatus::Probe(Info.systemLocation()));
        const auto Or = [](const QString &Text) { return Text.isEmpty() ? QStringLiteral("-") : Text; };
        Rows.append({Info.portName(), State, Or(Info.description()), Or(Info.manufacturer()),
                     Or(Info.serialNumber())});
    }
    if (Set.Json)
        return Ctl.PrintJson(PortsJson(Rows));
    for (int C = 0; C < Rows[0].size(); ++C)
        Rows[0][C] = QCoreApplication::translate("PortsCommand", Headings[C]);
    QVector<int> Width(Rows.first().size(), 0);
    for (const QStringList &Row : Rows) {
        for (int C = 0; C < Row.size(); ++C)
            Width[C] = qMax(Width[C], Row[C].size());
    }
    for (const QStringList &Row : Rows) {
        QString Text;
        for (int C = 0; C < Row.size(); ++C)
            Text += C + 1 < Row.size() ? Row[C].leftJustified(Width[C] + 2) : Row[C];
        Out << Text << '\n';
    }
    return Done;
}

} // namespace Korvelctl
