// The EID list as a configuration document: the 200 fields to a request,
// and a reply back into the fields.

#include "OrvaneUI.h"

#include "ConfigDocument.h"
#include "EidRegisters.h"

#include <QDebug>
#include <QJsonArray>
#include <QJsonValue>
#include <QLineEdit>

namespace {
const QString EidName = QStringLiteral("Eid");
} // namespace

QJsonObject OrvaneUI::CollectEidSet() const
{
    QJsonObject Request = ConfigDocument::NewRequest(ConfigDocument::KindEidSet);
    QJsonArray Entries;
    for (int Slot = 0; Slot < EidCount; ++Slot) {
        // Empty, non-numeric or out-of-range text gives 0; no slot is left out.
        const int Value = QLineEdit_Eid[Slot]->text().toInt(nullptr, 10);
        Entries.append(ConfigDocument::MakeEntry(EidName, EidRegisters::OfSlot(Slot), Value));
    }
    Request.insert(ConfigDocument::KeyParamArray, Entries);
    return Request;
}

void OrvaneUI::ApplyEidSet(const QJsonObject &Reply)
{
    if (ConfigDocument::ReplyHeader(Reply, ConfigDocument::KindEidSet) != ConfigDocument::HeaderTest::Passed)
        return;
    qDebug().noquote() << "ReadAck ok";

    const QJsonArray Entries = ConfigDocument::ReplyArray(Reply);
    for (const QJsonValue &Element : Entries) {
        if (!Element.isObject())
            continue;
        const QJsonObject Entry = Element.toObject();
        const int Slot = EidRegisters::SlotOf(ConfigDocument::EntryRegister(Entry));
        if (Slot < 0)
            continue;
        QLineEdit_Eid[Slot]->setText(QString::number(ConfigDocument::EntryValue(Entry)));
    }
}
