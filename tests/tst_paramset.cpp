// The parameter set: the tab's widgets as a request document and a reply
// document back into the widgets, matched by register number.

#include <QtTest>

#include <QComboBox>
#include <QJsonArray>
#include <QJsonObject>
#include <QSpinBox>

#include "LogCapture.h"
#include "Expected.h"
#include "OrvaneUI.h"

namespace {

using MapRow = Expected::ParamField;
const auto &Map = Expected::Params;
constexpr int MapSize = Expected::ParamCount;

int WidgetValue(OrvaneUI &W, const char *Widget)
{
    return Expected::ParamValue(W, Widget);
}

void SetWidgetValue(OrvaneUI &W, const char *Widget, int Value)
{
    Expected::SetParamValue(W, Widget, Value);
}

// The fourteen widget numbers in map order.
QList<int> Snapshot(OrvaneUI &W)
{
    QList<int> Values;
    for (const MapRow &Row : Map)
        Values << WidgetValue(W, Row.Widget);
    return Values;
}

// Distinct values inside every range, none equal to a start value, with
// time-outs that are not presets.
const QList<int> Distinct = {17, 3, 1200, 300, 42, 2, 14, 470, 1, 9, 16, 3000, 700, 1};

void SetAll(OrvaneUI &W, const QList<int> &Values)
{
    for (int I = 0; I < MapSize; ++I)
        SetWidgetValue(W, Map[I].Widget, Values[I]);
}

QJsonObject Entry(const QString &Name, int Register, int Value)
{
    return QJsonObject{{"ParamName", Name}, {"RegisterAddr", Register}, {"ParamValue", Value}};
}

QJsonObject ReplyOf(const QJsonArray &Entries)
{
    return QJsonObject{{"TabText", "ParamSet"}, {"operate", "ReadAck"}, {"ParamArray", Entries}};
}

} // namespace

class tst_paramset : public QObject
{
    Q_OBJECT

private slots:
    void collectsStartValuesInMapOrder();
    void collectsEachWidget_data();
    void collectsEachWidget();
    void collectsComboIndex();
    void appliesEachRegister_data();
    void appliesEachRegister();
    void appliesCompleteReplyWithDeviceTimeouts();
    void appliesInArrayOrder();
    void unknownRegistersChangeNothing_data();
    void unknownRegistersChangeNothing();
    void matchesByRegisterAlone();
    void laterDuplicateWins();
    void clampsAndLeavesComboWithoutItem();
    void refusedReplyChangesNothing_data();
    void refusedReplyChangesNothing();
    void nonArrayListChangesNothing();
    void missingFields();
};

void tst_paramset::collectsStartValuesInMapOrder()
{
    OrvaneUI W;
    QVERIFY(W.Construct());
    LogCapture Log;
    const QJsonObject Request = W.CollectParamSet();
    QVERIFY(Log.Lines().isEmpty());

    QCOMPARE(Request.keys().size(), 3);
    QCOMPARE(Request.value("TabText").toString(), QString("ParamSet"));
    QCOMPARE(Request.value("operate").toString(), QString("Read"));
    QVERIFY(Request.value("ParamArray").isArray());
    const QJsonArray Entries = Request.value("ParamArray").toArray();
    QCOMPARE(Entries.size(), MapSize);
    const int Start[MapSize] = {1, 0, 60, 10, 1, 0, 1, 150, 0, 6, 1, 10, 10, 0};
    for (int I = 0; I < MapSize; ++I) {
        const QJsonObject E = Entries.at(I).toObject();
        QCOMPARE(E.keys().size(), 3);
        QVERIFY(E.value("ParamName").isString());
        QCOMPARE(E.value("ParamName").toString(), QString(Map[I].Name));
        QVERIFY(E.value("RegisterAddr").isDouble());
        QCOMPARE(E.value("RegisterAddr").toInt(), Map[I].Register);
        QVERIFY(E.value("ParamValue").isDouble());
        QCOMPARE(E.value("ParamValue").toInt(), Start[I]);
    }
}

void tst_paramset::collectsEachWidget_data()
{
    QTest::addColumn<int>("Row");
    for (int I = 0; I < MapSize; ++I)
        QTest::newRow(Map[I].Name) << I;
}

void tst_paramset::collectsEachWidget()
{
    QFETCH(int, Row);
    OrvaneUI W;
    QVERIFY(W.Construct());
    SetWidgetValue(W, Map[Row].Widget, Distinct[Row]);
    const QList<int> Shown = Snapshot(W);
    QCOMPARE(Shown[Row], Distinct[Row]);

    const QJsonArray Entries = W.CollectParamSet().value("ParamArray").toArray();
    QCOMPARE(Entries.size(), MapSize);
    for (int I = 0; I < MapSize; ++I) {
        const QJsonObject E = Entries.at(I).toObject();
        QCOMPARE(E.value("RegisterAddr").toInt(), Map[I].Register);
        QCOMPARE(E.value("ParamValue").toInt(), Shown[I]);
    }
}

void tst_paramset::collectsComboIndex()
{
    OrvaneUI W;
    QVERIFY(W.Construct());
    W.QComboBox_Param_BaudRate->setCurrentText("19200");
    W.QComboBox_Param_RssiOut->setCurrentText("Вывод");
    const QJsonArray Entries = W.CollectParamSet().value("ParamArray").toArray();
    QCOMPARE(Entries.at(1).toObject().value("ParamName").toString(), QString("BaudRate"));
    QCOMPARE(Entries.at(1).toObject().value("ParamValue").toInt(), 2);
    QCOMPARE(Entries.at(13).toObject().value("ParamValue").toInt(), 1);
}

void tst_paramset::appliesEachRegister_data()
{
    QTest::addColumn<int>("Row");
    for (int I = 0; I < MapSize; ++I)
        QTest::newRow(Map[I].Name) << I;
}

void tst_paramset::appliesEachRegister()
{
    QFETCH(int, Row);
    OrvaneUI W;
    QVERIFY(W.Construct());
    QList<int> Expected = Snapshot(W);

    LogCapture Log;
    W.ApplyParamSet(ReplyOf({Entry(Map[Row].Name, Map[Row].Register, Distinct[Row])}));
    Expected[Row] = Distinct[Row];
    // A new spreading factor loads the presets for "125" and SF 9.
    if (QString(Map[Row].Name) == "RfSf") {
        Expected[11] = 1125;
        Expected[12] = 225;
    }
    QCOMPARE(Snapshot(W), Expected);
    QCOMPARE(Log.Lines().mid(0, 2), (QStringList{"ParamSet ok", "ReadAck ok"}));
}

void tst_paramset::appliesCompleteReplyWithDeviceTimeouts()
{
    OrvaneUI W;
    QVERIFY(W.Construct());
    QJsonArray Entries;
    for (int I = 0; I < MapSize; ++I)
        Entries.append(Entry(Map[I].Name, Map[I].Register, Distinct[I]));
    LogCapture Log;
    W.ApplyParamSet(ReplyOf(Entries));
    // "RfSf" 6 -> 9 loaded presets first; the device's 3000 and 700 came after.
    QCOMPARE(Snapshot(W), Distinct);
    QVERIFY(Log.Contains("QSpinBox_Param_RfSf_ValueChanged 9"));
    QCOMPARE(Log.IndexOf("ParamSet ok"), 0);
    QCOMPARE(Log.IndexOf("ReadAck ok"), 1);
}

void tst_paramset::appliesInArrayOrder()
{
    OrvaneUI W;
    QVERIFY(W.Construct());
    W.ApplyParamSet(ReplyOf({Entry("TxTimeout", 40307, 3000), Entry("RxTimeout", 40308, 600),
                             Entry("RfBandWidth", 40303, 1), Entry("RfSf", 40304, 9)}));
    // The later spreading factor overwrote the listed time-outs with the
    // preset of the bandwidth applied just before it.
    QCOMPARE(W.QSpinBox_Param_RfSf->value(), 9);
    QCOMPARE(W.QComboBox_Param_RfBandWidth->currentIndex(), 1);
    QCOMPARE(W.QSpinBox_Param_TxTimeout->value(), 590);
    QCOMPARE(W.QSpinBox_Param_RxTimeout->value(), 118);
}

void tst_paramset::unknownRegistersChangeNothing_data()
{
    QTest::addColumn<int>("Register");
    QTest::newRow("0") << 0;
    QTest::newRow("command register 40001") << 40001;
    QTest::newRow("40004, between ModbusID and BaudRate") << 40004;
    QTest::newRow("40006") << 40006;
    QTest::newRow("40306, between RfLeadCode and TxTimeout") << 40306;
    QTest::newRow("40309") << 40309;
    QTest::newRow("40311") << 40311;
    QTest::newRow("40003 + 65536") << 40003 + 65536;
    QTest::newRow("-1") << -1;
}

void tst_paramset::unknownRegistersChangeNothing()
{
    QFETCH(int, Register);
    OrvaneUI W;
    QVERIFY(W.Construct());
    SetAll(W, Distinct);
    W.ApplyParamSet(ReplyOf({Entry("ModbusID", Register, 99), Entry("RfSf", Register, 12)}));
    QCOMPARE(Snapshot(W), Distinct);
}

void tst_paramset::matchesByRegisterAlone()
{
    OrvaneUI W;
    QVERIFY(W.Construct());
    W.ApplyParamSet(ReplyOf({
        QJsonObject{{"RegisterAddr", 40003}, {"ParamValue", 17}},         // no name
        Entry("RssiOut", 40302, 470),                                    // wrong name
        QJsonObject{{"ParamName", 5}, {"RegisterAddr", 40207}, {"ParamValue", 42}},
    }));
    QCOMPARE(W.QSpinBox_Param_ModbusID->value(), 17);
    QCOMPARE(W.QSpinBox_Param_RfFrequency->value(), 470);
    QCOMPARE(W.QComboBox_Param_RssiOut->currentIndex(), 0);
    QCOMPARE(W.QSpinBox_Param_LocalNet->value(), 42);
}

void tst_paramset::laterDuplicateWins()
{
    OrvaneUI W;
    QVERIFY(W.Construct());
    LogCapture Log;
    W.ApplyParamSet(ReplyOf({Entry("RfSf", 40304, 8), Entry("ModbusID", 40003, 5),
                             Entry("RfSf", 40304, 11)}));
    // Both were applied: each ran the spreading-factor slot.
    QVERIFY(Log.Contains("QSpinBox_Param_RfSf_ValueChanged 8"));
    QVERIFY(Log.Contains("QSpinBox_Param_RfSf_ValueChanged 11"));
    QCOMPARE(W.QSpinBox_Param_RfSf->value(), 11);
    QCOMPARE(W.QSpinBox_Param_ModbusID->value(), 5);
}

void tst_paramset::clampsAndLeavesComboWithoutItem()
{
    OrvaneUI W;
    QVERIFY(W.Construct());
    W.QSpinBox_Param_TxTimeout->setValue(4321);
    W.ApplyParamSet(ReplyOf({Entry("ModbusID", 40003, 300), Entry("RfFrequency", 40302, 65535),
                             Entry("OffLineTime", 40008, 5), Entry("RfBandWidth", 40303, 7)}));
    QCOMPARE(W.QSpinBox_Param_ModbusID->value(), 255);
    QCOMPARE(W.QSpinBox_Param_RfFrequency->value(), 960);
    QCOMPARE(W.QSpinBox_Param_OffLineTime->value(), 60);
    QCOMPARE(W.QComboBox_Param_RfBandWidth->currentIndex(), -1);
    // The slot's guard: no current bandwidth, no preset.
    W.QSpinBox_Param_RfSf->setValue(10);
    QCOMPARE(W.QSpinBox_Param_TxTimeout->value(), 4321);
    // The next request carries -1 for the bandwidth.
    const QJsonArray Entries = W.CollectParamSet().value("ParamArray").toArray();
    QCOMPARE(Entries.at(8).toObject().value("ParamValue").toInt(), -1);
}

void tst_paramset::refusedReplyChangesNothing_data()
{
    QTest::addColumn<QJsonObject>("Reply");
    QTest::addColumn<QStringList>("Logged");

    const QJsonArray One = {Entry("ModbusID", 40003, 99)};
    QTest::newRow("empty") << QJsonObject() << QStringList();
    QTest::newRow("EidSet") << QJsonObject{{"TabText", "EidSet"}, {"operate", "ReadAck"}, {"ParamArray", One}}
                            << QStringList();
    QTest::newRow("paramset") << QJsonObject{{"TabText", "paramset"}, {"operate", "ReadAck"}, {"ParamArray", One}}
                              << QStringList();
    QTest::newRow("TabText 1") << QJsonObject{{"TabText", 1}, {"operate", "ReadAck"}, {"ParamArray", One}}
                               << QStringList();
    QTest::newRow("Read") << QJsonObject{{"TabText", "ParamSet"}, {"operate", "Read"}, {"ParamArray", One}}
                          << QStringList{"ParamSet ok"};
    QTest::newRow("no operate") << QJsonObject{{"TabText", "ParamSet"}, {"ParamArray", One}}
                                << QStringList{"ParamSet ok"};
}

void tst_paramset::refusedReplyChangesNothing()
{
    QFETCH(QJsonObject, Reply);
    QFETCH(QStringList, Logged);
    OrvaneUI W;
    QVERIFY(W.Construct());
    SetAll(W, Distinct);
    LogCapture Log;
    W.ApplyParamSet(Reply);
    QCOMPARE(Snapshot(W), Distinct);
    QCOMPARE(Log.Lines(), Logged);
}

void tst_paramset::nonArrayListChangesNothing()
{
    OrvaneUI W;
    QVERIFY(W.Construct());
    SetAll(W, Distinct);
    LogCapture Log;
    W.ApplyParamSet(QJsonObject{{"TabText", "ParamSet"}, {"operate", "ReadAck"},
                                {"ParamArray", "ModbusID"}});
    W.ApplyParamSet(QJsonObject{{"TabText", "ParamSet"}, {"operate", "ReadAck"},
                                {"ParamArray", Entry("ModbusID", 40003, 99)}});
    QCOMPARE(Snapshot(W), Distinct);
    QCOMPARE(Log.Lines(), (QStringList{"ParamSet ok", "ReadAck ok", "ParamSet ok", "ReadAck ok"}));
}

void tst_paramset::missingFields()
{
    OrvaneUI W;
    QVERIFY(W.Construct());
    SetAll(W, Distinct);
    QList<int> Expected = Distinct;
    W.ApplyParamSet(ReplyOf({
        QJsonObject{{"ParamName", "BaudRate"}, {"RegisterAddr", 40005}},    // value 0
        QJsonObject{{"ParamName", "ModbusID"}, {"ParamValue", 99}},         // no register
        QJsonObject{{"RegisterAddr", "40207"}, {"ParamValue", 99}},         // register as text
        QJsonObject{{"RegisterAddr", 40213}, {"ParamValue", "1"}},          // value as text: 0
        42, "RfSf", QJsonArray{Entry("RfSf", 40304, 12)},                   // not objects
        Entry("RfTxPower", 40301, 20),
    }));
    Expected[1] = 0;
    Expected[5] = 0;
    Expected[6] = 20;
    QCOMPARE(Snapshot(W), Expected);
}

QTEST_MAIN(tst_paramset)
#include "tst_paramset.moc"
