// The parameter read and write exchanges over a real pty: the frames on the
// wire, the widgets afterwards, the log lines, and every failure leaving the
// widgets as they were.

#include <QtTest>

#include <QComboBox>
#include <QElapsedTimer>
#include <QJsonArray>
#include <QJsonObject>
#include <QSpinBox>

#include "LogCapture.h"
#include "NoticeCatcher.h"
#include "MySerialPort.h"
#include "Expected.h"
#include "OrvaneUI.h"
#include "PtyPair.h"
#include "ScriptedPeer.h"
#include "SimPeer.h"

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

// What the simulated device holds: every value differs from the tab's start
// values and from Operator below, and the time-outs are no presets.
const QList<int> DeviceValues = {17, 1, 300, 60, 5, 1, 20, 470, 1, 9, 8, 1000, 200, 1};
// What the operator has put into the tab before an exchange.
const QList<int> Operator = {42, 3, 1200, 300, 7, 2, 14, 868, 2, 11, 16, 3000, 700, 0};

using Expected::WithCrc;

QByteArray Request(quint8 Function, int Register, int Value)
{
    QByteArray F;
    F.append(char(0x00)).append(char(Function));
    F.append(char((Register >> 8) & 0xFF)).append(char(Register & 0xFF));
    F.append(char((Value >> 8) & 0xFF)).append(char(Value & 0xFF));
    return WithCrc(F);
}

QByteArray ReadReply(int Value)
{
    QByteArray F;
    F.append(char(0x00)).append(char(0x03)).append(char(0x02));
    F.append(char((Value >> 8) & 0xFF)).append(char(Value & 0xFF));
    return WithCrc(F);
}

QString HexOf(const QByteArray &Bytes)
{
    return QString::fromLatin1(Bytes.toHex().toUpper());
}

const QByteArray Commit = QByteArray::fromHex("00069C410006765D");

QList<int> Snapshot(OrvaneUI &W)
{
    QList<int> Values;
    for (const MapRow &Row : Map)
        Values << WidgetValue(W, Row.Widget);
    return Values;
}

void SetAll(OrvaneUI &W, const QList<int> &Values)
{
    for (int I = 0; I < MapSize; ++I)
        SetWidgetValue(W, Map[I].Widget, Values[I]);
}

// Lets the far end pick up whatever the port has written by now.
void Settle()
{
    QCoreApplication::processEvents();
    QCoreApplication::processEvents();
}

} // namespace

class tst_paramexchange : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void fullRead();
    void fullWrite();
    void writeKeepsWhatTheDeviceEchoed();
    void writeSendsMinusOneAsFFFF();
    void readSkipsLaterNonObjects();
    void readAndWriteThroughCommands();

    void silentDevice();
    void badCrcOnFifthReply();
    void oddReadReplies_data();
    void oddReadReplies();
    void commitEchoWithAnotherCode();
    void badWriteEcho();
    void refusedRequest_data();
    void refusedRequest();

private:
    // The simulated device on the line, holding DeviceValues.
    DeviceCore &Device();
    QByteArray Received() const { return Sim ? Sim->Peer().Received() : Script->Received(); }

    OrvaneUI *W = nullptr;
    PtyPair *Pty = nullptr;
    SimPeer *Sim = nullptr;
    ScriptedPeer *Script = nullptr;
};

void tst_paramexchange::init()
{
    W = new OrvaneUI;
    QVERIFY(W->Construct());
    Pty = new PtyPair;
    QVERIFY(Pty->IsOpen());
    QVERIFY(W->SerialPort->OpenPort(Pty->SlavePath(), 9600, QSerialPort::Data8,
                                    QSerialPort::NoParity, QSerialPort::OneStop,
                                    QSerialPort::NoFlowControl));
}

void tst_paramexchange::cleanup()
{
    delete Sim;
    Sim = nullptr;
    delete Script;
    Script = nullptr;
    delete W;
    W = nullptr;
    delete Pty;
    Pty = nullptr;
}

DeviceCore &tst_paramexchange::Device()
{
    if (!Sim) {
        Sim = new SimPeer(*Pty);
        for (int I = 0; I < MapSize; ++I)
            Sim->Core().SetRegister(Map[I].Register, quint16(DeviceValues[I]));
    }
    return Sim->Core();
}

void tst_paramexchange::fullRead()
{
    Device();
    SetAll(*W, Operator);
    const QJsonObject Req = W->CollectParamSet();

    LogCapture Log;
    QElapsedTimer Clock;
    Clock.start();
    QVERIFY(W->ExchangeParamRead(Req));
    const qint64 Took = Clock.elapsed();
    Settle();

    // Fourteen reads in map order, each answered by the device.
    const QByteArray Sent = Received();
    QCOMPARE(Sent.size(), 14 * 8);
    QCOMPARE(Sent.left(8), QByteArray::fromHex("00039C4300015A5F"));
    QCOMPARE(Sent.right(8), QByteArray::fromHex("00039D7600014BAD"));
    QCOMPARE(Sim->Replies().size(), MapSize);
    for (int I = 0; I < MapSize; ++I) {
        QCOMPARE(Sent.mid(8 * I, 8), Request(0x03, Map[I].Register, 1));
        QCOMPARE(Sim->Replies().at(I).Request, Request(0x03, Map[I].Register, 1));
        QCOMPARE(Sim->Replies().at(I).Bytes(), ReadReply(DeviceValues[I]));
    }

    // The device's values, time-outs included although "RfSf" changed.
    QCOMPARE(Snapshot(*W), DeviceValues);

    QStringList Expected{"TabText:ParamSet"};
    for (int I = 0; I < MapSize; ++I) {
        Expected << Map[I].Name << QString::number(Operator[I]) << QString::number(Map[I].Register)
                 << "7" << HexOf(ReadReply(DeviceValues[I]));
    }
    Expected << "ParamSet ok" << "ReadAck ok" << "QSpinBox_Param_RfSf_ValueChanged 9";
    QCOMPARE(Log.Lines(), Expected);
    QVERIFY2(Took >= 14 * 50 && Took < 4000, qPrintable(QString::number(Took)));
}

void tst_paramexchange::fullWrite()
{
    Device();
    SetAll(*W, Operator);
    const QJsonObject Req = W->CollectParamSet();

    LogCapture Log;
    QVERIFY(W->ExchangeParamWrite(Req));
    Settle();

    const QByteArray Sent = Received();
    QCOMPARE(Sent.size(), 15 * 8);
    QCOMPARE(Sent.left(8), QByteArray::fromHex("00069C43002AD640"));
    QCOMPARE(Sent.mid(13 * 8, 8), QByteArray::fromHex("00069D760000466D"));
    for (int I = 0; I < MapSize; ++I)
        QCOMPARE(Sent.mid(8 * I, 8), Request(0x06, Map[I].Register, Operator[I]));
    QCOMPARE(Sent.right(8), QByteArray::fromHex("00069C410006765D"));
    QCOMPARE(Sim->Replies().size(), 15);

    // The commit made the device keep what was written; the widgets show
    // what it echoed, which here is what was sent.
    for (int I = 0; I < MapSize; ++I)
        QCOMPARE(int(Device().Register(Map[I].Register, DeviceCore::Committed)), Operator[I]);
    QCOMPARE(Snapshot(*W), Operator);

    QStringList Expected{"TabText:ParamSet"};
    for (int I = 0; I < MapSize; ++I) {
        Expected << Map[I].Name << QString::number(Operator[I]) << QString::number(Map[I].Register)
                 << HexOf(Request(0x06, Map[I].Register, Operator[I]));
    }
    Expected << "00069C410006765D" << "ParamSet ok" << "ReadAck ok";
    QCOMPARE(Log.Lines(), Expected);
}

void tst_paramexchange::writeKeepsWhatTheDeviceEchoed()
{
    // The eighth write is "RfFrequency", the twelfth "TxTimeout".
    Device().AddFault({DeviceFault::EchoValue, 8, 433});
    Device().AddFault({DeviceFault::EchoValue, 12, 2500});
    SetAll(*W, Operator);
    W->QSpinBox_Param_RfFrequency->setValue(470);
    QVERIFY(W->ExchangeParamWrite(W->CollectParamSet()));
    Settle();

    // 470 went out; 433 came back and is what the field shows.
    QCOMPARE(Received().mid(7 * 8, 8), QByteArray::fromHex("00069D6E01D64664"));
    QCOMPARE(Sim->Replies().at(7).Bytes(), Request(0x06, 40302, 433));
    QList<int> Expected = Operator;
    Expected[7] = 433;
    Expected[11] = 2500;
    QCOMPARE(Snapshot(*W), Expected);
}

void tst_paramexchange::writeSendsMinusOneAsFFFF()
{
    Device();
    // An earlier reply left the bandwidth box without a current item.
    W->ApplyParamSet(QJsonObject{
        {"TabText", "ParamSet"}, {"operate", "ReadAck"},
        {"ParamArray", QJsonArray{QJsonObject{{"RegisterAddr", 40303}, {"ParamValue", 7}}}}});
    QCOMPARE(W->QComboBox_Param_RfBandWidth->currentIndex(), -1);

    // Only the bandwidth entry of the collected request, to keep it short.
    QJsonObject Req = W->CollectParamSet();
    const QJsonArray All = Req.value("ParamArray").toArray();
    QCOMPARE(All.at(8).toObject().value("ParamValue").toInt(), -1);
    Req.insert("ParamArray", QJsonArray{All.at(8)});

    QVERIFY(W->ExchangeParamWrite(Req));
    Settle();
    QCOMPARE(Received(), QByteArray::fromHex("00069D6FFFFF961A") + Commit);
    QCOMPARE(int(Device().Register(40303, DeviceCore::Committed)), 0xFFFF);
    // The echoed 65535 is no item either.
    QCOMPARE(W->QComboBox_Param_RfBandWidth->currentIndex(), -1);
}

void tst_paramexchange::readSkipsLaterNonObjects()
{
    Device();
    const QJsonObject Req{
        {"TabText", "ParamSet"}, {"operate", "Read"},
        {"ParamArray",
         QJsonArray{QJsonObject{{"ParamName", "RfFrequency"}, {"RegisterAddr", 40302}, {"ParamValue", 150}},
                    12, "RfSf",
                    QJsonObject{{"ParamName", "LocalNet"}, {"RegisterAddr", 40207}, {"ParamValue", 1}}}}};
    QVERIFY(W->ExchangeParamRead(Req));
    Settle();
    QCOMPARE(Received(), Request(0x03, 40302, 1) + Request(0x03, 40207, 1));
    QCOMPARE(W->QSpinBox_Param_RfFrequency->value(), 470);
    QCOMPARE(W->QSpinBox_Param_LocalNet->value(), 5);
    QCOMPARE(W->QSpinBox_Param_ModbusID->value(), 1);
}

void tst_paramexchange::readAndWriteThroughCommands()
{
    Device();
    NoticeCatcher Notices;
    QVERIFY(QMetaObject::invokeMethod(W, "QPushButton_Config_Read_Clicked"));
    QCOMPARE(Snapshot(*W), DeviceValues);

    W->QSpinBox_Param_RfFrequency->setValue(868);
    W->QComboBox_Param_RssiOut->setCurrentIndex(0);
    QVERIFY(QMetaObject::invokeMethod(W, "QPushButton_Config_Write_Clicked"));
    QCOMPARE(int(Device().Register(40302, DeviceCore::Committed)), 868);
    QCOMPARE(int(Device().Register(40310, DeviceCore::Committed)), 0);
    QCOMPARE(int(Device().Register(40307, DeviceCore::Committed)), DeviceValues[11]);
    QCOMPARE(Notices.Count(), 0);
    Settle();
    QCOMPARE(Received().size(), (14 + 15) * 8);
}

void tst_paramexchange::silentDevice()
{
    Device().AddFault({DeviceFault::Silence, 0});
    SetAll(*W, Operator);

    LogCapture Log;
    QElapsedTimer Clock;
    Clock.start();
    QVERIFY(!W->ExchangeParamRead(W->CollectParamSet()));
    const qint64 Took = Clock.elapsed();
    Settle();

    QCOMPARE(Received(), QByteArray::fromHex("00039C4300015A5F"));
    QVERIFY2(Took >= 1400 && Took < 3000, qPrintable(QString::number(Took)));
    QCOMPARE(Snapshot(*W), Operator);
    QCOMPARE(Log.Lines(), (QStringList{"TabText:ParamSet", "ModbusID", "42", "40003", "0", ""}));
}

void tst_paramexchange::badCrcOnFifthReply()
{
    Device().AddFault({DeviceFault::BadCrc, 5});
    SetAll(*W, Operator);

    LogCapture Log;
    QVERIFY(!W->ExchangeParamRead(W->CollectParamSet()));
    Settle();

    const QByteArray Sent = Received();
    QCOMPARE(Sent.size(), 5 * 8);
    QCOMPARE(Sent.right(8), Request(0x03, 40207, 1));
    // The four values already read are dropped with the rest.
    QCOMPARE(Snapshot(*W), Operator);
    const QByteArray Bad = Sim->Replies().at(4).Bytes();
    QCOMPARE(Bad.left(5), ReadReply(DeviceValues[4]).left(5));
    QVERIFY(Bad != ReadReply(DeviceValues[4]));
    QCOMPARE(Log.Lines().mid(Log.Lines().size() - 2), (QStringList{"7", HexOf(Bad)}));
    QVERIFY(!Log.Contains("ParamSet ok"));
}

void tst_paramexchange::oddReadReplies_data()
{
    QTest::addColumn<QByteArray>("Third");
    QTest::addColumn<bool>("Accepted");

    QTest::newRow("byte count 4") << WithCrc(QByteArray::fromHex("0003040000")) << false;
    QTest::newRow("any address and function") << WithCrc(QByteArray::fromHex("1104020BB8")) << true;
}

void tst_paramexchange::oddReadReplies()
{
    QFETCH(QByteArray, Third);
    QFETCH(bool, Accepted);
    // A scripted device: every read answered from DeviceValues, the third
    // (OffLineTime) with the reply under test.
    Script = new ScriptedPeer(*Pty);
    for (int I = 0; I < MapSize; ++I)
        Script->Expect(Request(0x03, Map[I].Register, 1), I == 2 ? Third : ReadReply(DeviceValues[I]));
    SetAll(*W, Operator);

    QCOMPARE(W->ExchangeParamRead(W->CollectParamSet()), Accepted);
    Settle();
    QCOMPARE(Received().size(), Accepted ? 14 * 8 : 3 * 8);
    QList<int> Expected = Operator;
    if (Accepted) {
        Expected = DeviceValues;
        Expected[2] = 3000; // 0B B8
    }
    QCOMPARE(Snapshot(*W), Expected);
}

void tst_paramexchange::commitEchoWithAnotherCode()
{
    Device().AddFault({DeviceFault::CommitCode, 15, 7});
    // An apply would show this echo; the failed commit must not.
    Device().AddFault({DeviceFault::EchoValue, 1, 99});
    SetAll(*W, Operator);

    LogCapture Log;
    QVERIFY(!W->ExchangeParamWrite(W->CollectParamSet()));
    Settle();
    QCOMPARE(Received().size(), 15 * 8);
    QCOMPARE(Received().right(8), Commit);
    QCOMPARE(Sim->Replies().at(14).Bytes(), Request(0x06, 40001, 7));
    QCOMPARE(Snapshot(*W), Operator);
    QCOMPARE(Log.Lines().last(), HexOf(Request(0x06, 40001, 7)));
    QVERIFY(!Log.Contains("ParamSet ok"));
}

void tst_paramexchange::badWriteEcho()
{
    Device().AddFault({DeviceFault::BadCrc, 3});
    SetAll(*W, Operator);
    QVERIFY(!W->ExchangeParamWrite(W->CollectParamSet()));
    Settle();
    // No further write and no commit after the failed echo.
    QCOMPARE(Received().size(), 3 * 8);
    QCOMPARE(Received().right(8), Request(0x06, 40008, 1200));
    QCOMPARE(int(Device().Register(40003, DeviceCore::Committed)), DeviceValues[0]);
    QCOMPARE(Snapshot(*W), Operator);
}

void tst_paramexchange::refusedRequest_data()
{
    QTest::addColumn<QJsonObject>("Req");
    QTest::addColumn<QStringList>("ReadLog");
    QTest::addColumn<QStringList>("WriteLog");

    const QJsonArray One{QJsonObject{{"ParamName", "ModbusID"}, {"RegisterAddr", 40003}, {"ParamValue", 42}}};
    const QStringList Tab{"TabText:ParamSet"};
    QTest::newRow("empty") << QJsonObject() << QStringList() << QStringList{"Obj is Null"};
    QTest::newRow("EidSet") << QJsonObject{{"TabText", "EidSet"}, {"operate", "Read"}, {"ParamArray", One}}
                            << QStringList() << QStringList();
    QTest::newRow("paramSet") << QJsonObject{{"TabText", "paramSet"}, {"operate", "Read"}, {"ParamArray", One}}
                              << QStringList() << QStringList();
    QTest::newRow("TabText 1") << QJsonObject{{"TabText", 1}, {"operate", "Read"}, {"ParamArray", One}}
                               << QStringList() << QStringList();
    QTest::newRow("ReadAck") << QJsonObject{{"TabText", "ParamSet"}, {"operate", "ReadAck"}, {"ParamArray", One}}
                             << Tab << Tab;
    QTest::newRow("Write") << QJsonObject{{"TabText", "ParamSet"}, {"operate", "Write"}, {"ParamArray", One}}
                           << Tab << Tab;
    QTest::newRow("no ParamArray") << QJsonObject{{"TabText", "ParamSet"}, {"operate", "Read"}}
                                   << Tab << Tab;
    QTest::newRow("ParamArray object")
        << QJsonObject{{"TabText", "ParamSet"}, {"operate", "Read"}, {"ParamArray", One.at(0)}} << Tab << Tab;
    QTest::newRow("empty ParamArray")
        << QJsonObject{{"TabText", "ParamSet"}, {"operate", "Read"}, {"ParamArray", QJsonArray()}} << Tab << Tab;
    QTest::newRow("first element no object")
        << QJsonObject{{"TabText", "ParamSet"}, {"operate", "Read"}, {"ParamArray", QJsonArray{5, One.at(0)}}}
        << Tab << Tab;
}

void tst_paramexchange::refusedRequest()
{
    QFETCH(QJsonObject, Req);
    QFETCH(QStringList, ReadLog);
    QFETCH(QStringList, WriteLog);
    Device();
    SetAll(*W, Operator);

    {
        LogCapture Log;
        QVERIFY(!W->ExchangeParamRead(Req));
        QCOMPARE(Log.Lines(), ReadLog);
    }
    {
        LogCapture Log;
        QVERIFY(!W->ExchangeParamWrite(Req));
        QCOMPARE(Log.Lines(), WriteLog);
    }
    Settle();
    QCOMPARE(Received(), QByteArray());
    QCOMPARE(Device().Transactions(), 0);
    QCOMPARE(Snapshot(*W), Operator);
}

QTEST_MAIN(tst_paramexchange)
#include "tst_paramexchange.moc"
