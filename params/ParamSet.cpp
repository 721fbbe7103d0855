// The parameter set: the tab's widgets as a request document, and a reply
// document back into the widgets, both through the register map.

#include "OrvaneUI.h"

#include "ConfigDocument.h"
#include "ParamMap.h"

#include <QComboBox>
#include <QDebug>
#include <QJsonArray>
#include <QSpinBox>

namespace {

int WidgetValue(const OrvaneUI &Window, const ParamMap::Row &Row)
{
    if (Row.SpinBox)
        return (Window.*Row.SpinBox)->value();
    return (Window.*Row.ComboBox)->currentIndex();
}

// No range test here: a spin box clamps, and an index past the items leaves
// the combo box without a current item.
void SetWidgetValue(OrvaneUI &Window, const ParamMap::Row &Row, int Value)
{
    if (Row.SpinBox)
        (Window.*Row.SpinBox)->setValue(Value);
    else
        (Window.*Row.ComboBox)->setCurrentIndex(Value);
}

const ParamMap::Row *FindRow(int Register)
{
    for (const ParamMap::Row &Row : ParamMap::Rows) {
        if (Row.Register == Register)
            return &Row;
    }
    return nullptr;
}

} // namespace

QJsonObject OrvaneUI::CollectParamSet() const
{
    // The request says "Read" whichever exchange it goes to.
    QJsonObject Request = ConfigDocument::NewRequest(ConfigDocument::KindParamSet);
    QJsonArray Entries;
    for (const ParamMap::Row &Row : ParamMap::Rows) {
        Entries.append(ConfigDocument::MakeEntry(QString::fromLatin1(Row.Param().Name), Row.Register,
                                                 WidgetValue(*this, Row)));
    }
    Request.insert(ConfigDocument::KeyParamArray, Entries);
    return Request;
}

void OrvaneUI::ApplyParamSet(const QJsonObject &Reply)
{
    using ConfigDocument::HeaderTest;
    const HeaderTest Got = ConfigDocument::ReplyHeader(Reply, ConfigDocument::KindParamSet);
    if (Got > HeaderTest::Kind)
        qDebug().noquote() << "ParamSet ok";
    if (Got != HeaderTest::Passed)
        return;
    qDebug().noquote() << "ReadAck ok";

    // Array order, not map order: a changed spreading factor resets both
    // time-outs, so the device's own time-outs must come after it.
    const QJsonArray Entries = ConfigDocument::ReplyArray(Reply);
    for (const QJsonValue &Element : Entries) {
        if (!Element.isObject())
            continue;
        const QJsonObject Entry = Element.toObject();
        // Matched by register number alone; the name is not consulted.
        const ParamMap::Row *Row = FindRow(ConfigDocument::EntryRegister(Entry));
        if (Row)
            SetWidgetValue(*this, *Row, ConfigDocument::EntryValue(Entry));
    }
}
