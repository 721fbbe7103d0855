// The tool as an operator uses it: the real window driven through its
// widgets against the simulated device on a pseudo-terminal, with every
// fault the device can play and a line that is lost or flooded. What the
// operator sees, and what the fields and the device hold afterwards.

#include "AppMain.h"
#include "Expected.h"
#include "LogFile.h"
#include "MySerialPort.h"
#include "OperatorRig.h"
#include "ScriptedPeer.h"

#include <QApplication>
#include <QComboBox>
#include <QDateTime>
#include <QElapsedTimer>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QSpinBox>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

#include <cstdio>

using namespace Expected;

namespace {

void TypeInto(QWidget *Edit, const QString &Text)
{
    QTest::keyClick(Edit, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(Edit, Qt::Key_Delete);
    QTest::keyClicks(Edit, Text);
    QTest::keyClick(Edit, Qt::Key_Tab);
}

// Categories other than the default one that debug lines came through: a
// named category would put its name in front of the line.
QStringList NamedCategories;
QtMessageHandler OuterHandler = nullptr;

void NoteCategory(QtMsgType Type, const QMessageLogContext &Context, const QString &Message)
{
    if (Type == QtDebugMsg && qstrcmp(Context.category, "default") != 0)
        NamedCategories << QString::fromLatin1(Context.category);
    OuterHandler(Type, Context, Message);
}

// The EID request as the commands log it: its indented JSON text.
QString EidRequestText(const QStringList &Fields)
{
    QJsonArray Entries;
    for (int Slot = 0; Slot < EidCount; ++Slot)
        Entries.append(QJsonObject{{QStringLiteral("ParamName"), QStringLiteral("Eid")},
                                   {QStringLiteral("RegisterAddr"), 47001 + 2 * Slot},
                                   {QStringLiteral("ParamValue"), Fields[Slot].toInt()}});
    const QJsonObject Request{{QStringLiteral("TabText"), QStringLiteral("EidSet")},
                              {QStringLiteral("operate"), QStringLiteral("Read")},
                              {QStringLiteral("ParamArray"), Entries}};
    return QString::fromUtf8(QJsonDocument(Request).toJson());
}

// The log of a parameter read or write of Sent, answered with Device
// (the reply value, or the echo), then applied.
QStringList ParamLog(bool Write, const QList<int> &Sent, const QList<int> &Device, int SfBefore)
{
    QStringList Log{Write ? QStringLiteral("QPushButton_Config_Write_Clicked") : QStringLiteral("QPushButton_Config_Read_Clicked"),
                    QStringLiteral("Настройка параметров"), QStringLiteral("TabText:ParamSet")};
    for (int I = 0; I < ParamCount; ++I) {
        Log << QString::fromLatin1(Params[I].Name) << QString::number(Sent[I]) << QString::number(Params[I].Register);
        if (Write)
            Log << HexText(Frame(0x06, Params[I].Register, Device[I]));
        else
            Log << QStringLiteral("7") << HexText(ReadReply(Device[I]));
    }
    if (Write)
        Log << HexText(Commit(6));
    Log << QStringLiteral("ParamSet ok") << QStringLiteral("ReadAck ok");
    if (Device[9] != SfBefore)
        Log << QStringLiteral("QSpinBox_Param_RfSf_ValueChanged %1").arg(Device[9]);
    return Log;
}

// The log of an EID read or write of the 200 fields (the device holds
// 7000 + slot for a read).
QStringList EidLog(bool Write, const QStringList &Fields)
{
    QStringList Log{Write ? QStringLiteral("QPushButton_Config_Write_Clicked") : QStringLiteral("QPushButton_Config_Read_Clicked"),
                    QStringLiteral("Настройка EID"), EidRequestText(Fields), QStringLiteral("200"), QStringLiteral("200")};
    QVector<qint32> Values;
    for (const QString &Field : Fields)
        Values << Field.toInt();
    if (Write) {
        for (int Slot = 0; Slot < EidCount; ++Slot)
            Log << QStringLiteral("%1 %2").arg(Slot).arg(Values[Slot]);
        Log << QStringLiteral("pParamValue[]--------------------------------------------------------------------");
        for (int Slot = 0; Slot < EidCount; ++Slot)
            Log << QStringLiteral("%1 %2").arg(Slot).arg(Values[Slot]);
    }
    for (int J = 0; J < EidCount; ++J) {
        const int Start = 47001 + 2 * (J - J % 25);
        Log << (Write ? QStringLiteral("%1 %2").arg(J).arg(Values[J]) : QString::number(J));
        if (!Write && J % 25 == 0)
            Log << QStringLiteral("ReadRegisterAddr: %1").arg(Start);
        if (J % 25 == 24)
            Log << QStringLiteral("%1 %2").arg(J / 25).arg(HexText(Write ? EidWrite(Start, Values.mid(J - 24, 25)) : EidRead(Start, 25)));
    }
    if (Write)
        Log << HexText(Commit(8));
    Log << QStringLiteral("ReadAck ok");
    return Log;
}

} // namespace

class tst_endtoend : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void parameters();
    void eids();
    void debugLog();
    void logFile();
    void deviceFault_data();
    void deviceFault();
    void lateReplyIsDroppedByTheNextRequest();
    void farEndHangsUp();
    void floodingDevice();
    void closePortDuringExchange();
    void closeWindowDuringExchange();

private:
    OperatorRig *Rig = nullptr;
    OrvaneUI *W = nullptr;
};

void tst_endtoend::init()
{
    Rig = new OperatorRig;
    W = &Rig->Window;
    Rig->LoadDevice();
    QVERIFY(Rig->OpenPort());
    QVERIFY(Rig->ButtonsEnabled());
}

void tst_endtoend::cleanup()
{
    delete Rig;
}

void tst_endtoend::parameters()
{
    QCOMPARE(Rig->Run(OperatorRig::ParamRead), 0);
    QCOMPARE(ParamFields(*W), DeviceValues);
    // Edited as a person would, written, and read back after a change.
    TypeInto(W->QSpinBox_Param_RfFrequency, QStringLiteral("868"));
    TypeInto(W->QSpinBox_Param_TxTimeout, QStringLiteral("2500"));
    W->QComboBox_Param_RssiOut->setCurrentIndex(0);
    const QList<int> Edited = ParamFields(*W);
    QCOMPARE(Edited[7], 868);
    QCOMPARE(Rig->Run(OperatorRig::ParamWrite), 0);
    QCOMPARE(Rig->DeviceParams(DeviceCore::Committed), Edited);
    W->QSpinBox_Param_RfFrequency->setValue(150);
    QCOMPARE(Rig->Run(OperatorRig::ParamRead), 0);
    QCOMPARE(ParamFields(*W), Edited);
    QCOMPARE(Rig->Device.Core().Transactions(), 14 + 15 + 14);
}

void tst_endtoend::eids()
{
    W->QTabWidget_Config->setCurrentWidget(W->QWidget_Tab_Eid);
    TypeInto(W->QLineEdit_Eid_Start, QStringLiteral("1000"));
    TypeInto(W->QLineEdit_Eid_End, QStringLiteral("1009"));
    QTest::mouseClick(W->pPushButton_Eid_Config, Qt::LeftButton);
    TypeInto(W->QLineEdit_Eid_Start, QStringLiteral("5000"));
    TypeInto(W->QLineEdit_Eid_End, QStringLiteral("5002"));
    QTest::mouseClick(W->pPushButton_Eid_Add, Qt::LeftButton);
    TypeInto(W->QLineEdit_Eid[199], QStringLiteral("9999999"));
    QStringList Typed = QVector<QString>(EidCount, QStringLiteral("0")).toList();
    for (int I = 0; I < 10; ++I)
        Typed[I] = QString::number(1000 + I);
    for (int I = 0; I < 3; ++I)
        Typed[10 + I] = QString::number(5000 + I);
    Typed[199] = QStringLiteral("9999999");
    QCOMPARE(EidFields(*W), Typed);

    QCOMPARE(Rig->Run(OperatorRig::EidWrite), 0);
    for (int I = 0; I < EidCount; ++I)
        QCOMPARE(QString::number(Rig->Device.Core().Eid(I, DeviceCore::Committed)), Typed[I]);
    // Cleared with a range of 0 to 0, then read back.
    TypeInto(W->QLineEdit_Eid_Start, QStringLiteral("0"));
    TypeInto(W->QLineEdit_Eid_End, QStringLiteral("0"));
    QTest::mouseClick(W->pPushButton_Eid_Config, Qt::LeftButton);
    QCOMPARE(EidFields(*W).count(QStringLiteral("0")), EidCount);
    QCOMPARE(Rig->Run(OperatorRig::EidRead), 0);
    QCOMPARE(EidFields(*W), Typed);
    QCOMPARE(Rig->Notices.Count(), 0);
}

// The window's debug log of the four exchanges, line for line, through
// the default category alone.
void tst_endtoend::debugLog()
{
    NamedCategories.clear();
    OuterHandler = qInstallMessageHandler(NoteCategory);
    // The first line that differs, or nothing.
    const auto Differs = [this](OperatorRig::Exchange What, const QStringList &Expected) -> QString {
        Rig->Quiet.Clear();
        if (Rig->Run(What) != 0)
            return QStringLiteral("a notice");
        const QStringList Got = Rig->Quiet.Lines();
        for (int I = 0; I < qMax(Got.size(), Expected.size()); ++I) {
            if (Got.value(I) != Expected.value(I))
                return QStringLiteral("line %1: \"%2\" for \"%3\"").arg(I).arg(Got.value(I), Expected.value(I));
        }
        return QString();
    };
    const QList<int> Start = ParamFields(*W);
    QCOMPARE(Differs(OperatorRig::ParamRead, ParamLog(false, Start, DeviceValues, Start[9])), QString());
    SetParamFields(*W, Operator);
    QCOMPARE(Differs(OperatorRig::ParamWrite, ParamLog(true, Operator, Operator, Operator[9])), QString());
    W->QLineEdit_Eid[3]->setText(QStringLiteral("-12"));
    const QStringList Before = EidFields(*W);
    QCOMPARE(Differs(OperatorRig::EidRead, EidLog(false, Before)), QString());
    const QStringList Read = EidFields(*W);
    QCOMPARE(Read.last(), QStringLiteral("7199"));
    QCOMPARE(Differs(OperatorRig::EidWrite, EidLog(true, Read)), QString());
    qInstallMessageHandler(OuterHandler);
    QCOMPARE(NamedCategories, QStringList());
}

// korvel --log: the lines of a Read, as the debug log has them (the EID
// request's JSON over several lines), each behind the time it was written.
void tst_endtoend::logFile()
{
    QTemporaryDir Dir;
    const QString Path = Dir.filePath(QStringLiteral("журнал.log"));
    const auto Now = [] { return QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss.zzz")); };
    const QString Start = Now();
    {
        LogFile Log(Path);
        QVERIFY(Log.IsOpen());
        Rig->Quiet.Clear();
        QCOMPARE(Rig->Run(OperatorRig::EidRead), 0);
    }
    const QString End = Now();
    QFile File(Path);
    QVERIFY(File.open(QIODevice::ReadOnly | QIODevice::Text));
    QStringList Written = QString::fromUtf8(File.readAll()).split(QLatin1Char('\n'));
    QCOMPARE(Written.takeLast(), QString());
    const QRegularExpression Stamp(QStringLiteral("^(\\d{4}-\\d\\d-\\d\\d \\d\\d:\\d\\d:\\d\\d\\.\\d{3}) (.*)$"));
    QStringList Lines;
    for (const QString &Line : Written) {
        const QRegularExpressionMatch Match = Stamp.match(Line);
        QVERIFY2(Match.hasMatch() && Match.captured(1) >= Start && Match.captured(1) <= End, qPrintable(Line));
        Lines << Match.captured(2);
    }
    QCOMPARE(Lines, Rig->Quiet.Lines().join(QLatin1Char('\n')).split(QLatin1Char('\n')));
    QVERIFY(Lines.size() > EidCount);
    // A file that cannot be written (here a folder) is reported, not fatal.
    QVERIFY(!LogFile(Dir.path()).IsOpen());
}

void tst_endtoend::deviceFault_data()
{
    QTest::addColumn<int>("exchange");
    QTest::addColumn<QString>("fault");    // as korvel-devsim --fault takes it,
    QTest::addColumn<QByteArray>("body");  // or this reply to the last request, CRC added
    QTest::addColumn<bool>("fails");       // the operator sees the notice
    QTest::addColumn<int>("requests");     // requests the device received
    QTest::addColumn<bool>("committed");   // a write: the device took the values over
    QTest::addColumn<int>("minMs");        // the notice or the result came no sooner
    QTest::addColumn<int>("maxMs");        // and no later

    const int ParamRead = OperatorRig::ParamRead, ParamWrite = OperatorRig::ParamWrite;
    const int EidRead = OperatorRig::EidRead, EidWrite = OperatorRig::EidWrite;
    const QByteArray None;
    // The reply never comes, or never reaches its length: the wait runs out.
    QTest::newRow("param read, silence") << ParamRead << "silence@1" << None << true << 1 << false << 1450 << 3000;
    QTest::newRow("param write, short echo 2") << ParamWrite << "short=1@2" << None << true << 2 << false << 1450 << 3000;
    QTest::newRow("param write, exception 2") << ParamWrite << "exception=2@2" << None << true << 2 << false << 1450 << 3000;
    QTest::newRow("eid write, extra bytes block 1") << EidWrite << "extra=2@1" << None << true << 1 << false << 1450 << 3000;
    QTest::newRow("eid commit of seven bytes") << EidWrite << "short@9" << None << true << 9 << true << 1450 << 3000;
    QTest::newRow("param commit refused") << ParamWrite << "exception=3@15" << None << true << 15 << false << 1450 << 3000;
    // A reply of the right length that fails its tests ends it at once.
    QTest::newRow("param read, bad crc 5") << ParamRead << "bad-crc@5" << None << true << 5 << false << 200 << 1400;
    QTest::newRow("param read, byte count 4 on 3") << ParamRead << "wrong-count@3" << None << true << 3 << false << 100 << 1400;
    QTest::newRow("param write, bad echo crc 3") << ParamWrite << "bad-crc@3" << None << true << 3 << false << 100 << 1400;
    QTest::newRow("param commit echoed as 0") << ParamWrite << "commit-code=0@15" << None << true << 15 << true << 0 << 2500;
    QTest::newRow("eid read, bad crc block 8") << EidRead << "bad-crc@8" << None << true << 8 << false << 300 << 1400;
    QTest::newRow("eid read, byte count 102 block 4") << EidRead << "wrong-count@4" << None << true << 4 << false << 100 << 1400;
    QTest::newRow("eid write, register count block 2") << EidWrite << "wrong-count@2" << None << true << 2 << false << 0 << 1400;
    QTest::newRow("eid write, function 0x90 block 3")
        << EidWrite << QString() << QByteArray::fromHex("0090B7FD0032") << true << 3 << false << 0 << 1400;
    QTest::newRow("eid write, register count 0x31 block 1")
        << EidWrite << QString() << QByteArray::fromHex("0010B7990031") << true << 1 << false << 0 << 1400;
    QTest::newRow("eid commit echoed as 6") << EidWrite << "commit-code=6@9" << None << true << 9 << true << 0 << 2500;
    // Replies in pieces or somewhat late are still caught whole.
    QTest::newRow("eid read, chunks") << EidRead << "chunks=8,5" << None << false << 8 << false << 400 << 4000;
    QTest::newRow("param read, slow 5 in time") << ParamRead << "slow=700@5" << None << false << 14 << false << 1350 << 3500;
}

void tst_endtoend::deviceFault()
{
    QFETCH(int, exchange);
    QFETCH(QString, fault);
    QFETCH(QByteArray, body);
    QFETCH(bool, fails);
    QFETCH(int, requests);
    QFETCH(bool, committed);
    QFETCH(int, minMs);
    QFETCH(int, maxMs);
    const auto What = OperatorRig::Exchange(exchange);
    DeviceCore &Core = Rig->Device.Core();
    DeviceFault Fault;
    if (fault.isEmpty()) {
        Rig->Device.SetReplyHook([=](DeviceReply &Reply) {
            if (Reply.Transaction == requests)
                Reply.Chunks = {WithCrc(body)};
        });
    } else {
        QVERIFY(DeviceFault::Parse(fault, Fault, nullptr));
        Core.AddFault(Fault);
    }
    // Were the first reply applied, this echo would show.
    Core.AddFault({DeviceFault::EchoValue, 1, 99});
    SetParamFields(*W, Operator);
    for (int Slot = 0; Slot < EidCount; ++Slot)
        W->QLineEdit_Eid[Slot]->setText(QString::number(-500 - Slot));
    const QList<int> Kept = Rig->DeviceParams(DeviceCore::Committed);

    qint64 Took = 0;
    QCOMPARE(Rig->Run(What, &Took), fails ? 1 : 0);
    QVERIFY2(Took >= minMs && Took <= maxMs, qPrintable(QStringLiteral("%1 ms").arg(Took)));
    QCOMPARE(Core.Transactions(), requests);
    QVERIFY(Rig->ButtonsEnabled());
    if (fails) {
        QCOMPARE(ParamFields(*W), Operator);
        QCOMPARE(W->QLineEdit_Eid[0]->text(), QStringLiteral("-500"));
        QCOMPARE(W->QLineEdit_Eid[199]->text(), QStringLiteral("-699"));
    } else if (What == OperatorRig::ParamRead) {
        QCOMPARE(ParamFields(*W), DeviceValues);
    } else {
        for (int Slot = 0; Slot < EidCount; ++Slot)
            QCOMPARE(W->QLineEdit_Eid[Slot]->text(), QString::number(7000 + Slot));
    }
    // Only a commit the device carried out takes anything over.
    QCOMPARE(Rig->DeviceParams(DeviceCore::Committed) != Kept, committed && What == OperatorRig::ParamWrite);
    QCOMPARE(Core.Eid(0, DeviceCore::Committed) == -500, committed && What == OperatorRig::EidWrite);
}

void tst_endtoend::lateReplyIsDroppedByTheNextRequest()
{
    // The first reply is held back until its wait has run out and the
    // exchange has failed; it is then held until the next request empties
    // the buffer.
    QByteArray Late;
    Rig->Device.SetReplyHook([&Late](DeviceReply &Reply) {
        if (Late.isEmpty()) {
            Late = Reply.Bytes();
            Reply.Chunks.clear();
        }
    });
    const QList<int> Before = ParamFields(*W);
    QCOMPARE(Rig->Run(OperatorRig::ParamRead), 1);
    QCOMPARE(ParamFields(*W), Before);
    Rig->Device.Peer().Send(Late);
    QTRY_COMPARE(W->SerialPort->RecvBuffer, Late);
    QCOMPARE(Rig->Run(OperatorRig::ParamRead), 0);
    QCOMPARE(ParamFields(*W), DeviceValues);
    QCOMPARE(Rig->Device.Core().Transactions(), 15);
}

void tst_endtoend::farEndHangsUp()
{
    Rig->Device.Core().AddFault({DeviceFault::HangUp, 3});
    const QList<int> Before = ParamFields(*W);
    qint64 Took = 0;
    QCOMPARE(Rig->Run(OperatorRig::ParamRead, &Took), 1);
    QVERIFY2(Took >= 1450 && Took < 3000, qPrintable(QString::number(Took)));
    // The port closed itself on the lost line; the panel still shows it
    // open, and a further exchange fails at once.
    QTRY_VERIFY(!W->SerialPort->isOpen());
    QCOMPARE(W->QPushButton_UsartSwitch->text(), QStringLiteral("Закрыть"));
    QCOMPARE(Rig->Run(OperatorRig::EidRead, &Took), 1);
    QVERIFY2(Took < 1000, qPrintable(QString::number(Took)));
    QCOMPARE(ParamFields(*W), Before);
    // «Закрыть» closes; opening the vanished line again is refused.
    W->QPushButton_UsartSwitch->click();
    W->QPushButton_UsartSwitch->click();
    QCOMPARE(W->QPushButton_UsartSwitch->text(), QStringLiteral("Открыть"));
    QCOMPARE(Rig->Notices.Notices().last().Text, QStringLiteral("Не удалось открыть порт. Пожалуйста, проверьте!"));
    QVERIFY(!W->QPushButton_Config_Read->isEnabled() && !W->QPushButton_Config_Write->isEnabled());
}

void tst_endtoend::floodingDevice()
{
    QTimer Flood;
    Flood.setInterval(5);
    connect(&Flood, &QTimer::timeout, this, [this] { Rig->Device.Peer().Send(QByteArray(64, '\x55')); });
    Flood.start();
    QTRY_VERIFY(!W->SerialPort->RecvBuffer.isEmpty());
    const QList<int> Before = ParamFields(*W);
    QCOMPARE(Rig->Run(OperatorRig::ParamRead), 1);
    QCOMPARE(ParamFields(*W), Before);
    QVERIFY(W->SerialPort->RecvBuffer.size() <= MySerialPort::RecvBufferCap);
    QVERIFY(Rig->ButtonsEnabled());
    // Once the line is quiet (a mark after the last noise shows when), the
    // next read works.
    Flood.stop();
    W->SerialPort->RecvBuffer.clear();
    Rig->Device.Peer().Send("\xAA\x01\x02\x03");
    QTRY_VERIFY(W->SerialPort->RecvBuffer.endsWith("\xAA\x01\x02\x03"));
    QCOMPARE(Rig->Run(OperatorRig::ParamRead), 0);
    QCOMPARE(ParamFields(*W), DeviceValues);
}

void tst_endtoend::closePortDuringExchange()
{
    Rig->Device.Core().AddFault({DeviceFault::Silence, 0});
    const QList<int> Before = ParamFields(*W);
    bool DisabledWhileWaiting = false;
    QTimer::singleShot(200, this, [&] {
        DisabledWhileWaiting = !W->QPushButton_Config_Read->isEnabled() && !W->QPushButton_Config_Write->isEnabled();
        // Switching tabs meanwhile does not change which exchange runs.
        W->QTabWidget_Config->setCurrentWidget(W->QWidget_Tab_Eid);
        QTest::mouseClick(W->QPushButton_UsartSwitch, Qt::LeftButton);
    });
    QCOMPARE(Rig->Run(OperatorRig::ParamRead), 1);
    QVERIFY(DisabledWhileWaiting);
    QCOMPARE(W->QPushButton_UsartSwitch->text(), QStringLiteral("Открыть"));
    QCOMPARE(ParamFields(*W), Before);
    QVERIFY(!W->QPushButton_Config_Read->isEnabled() && !W->QPushButton_Config_Write->isEnabled());
    QCOMPARE(Rig->Device.Peer().Received(), Frame(0x03, 40003, 1));
    // Opened again, the commands work.
    Rig->Device.Core().ClearFaults();
    QTest::mouseClick(W->QPushButton_UsartSwitch, Qt::LeftButton);
    QCOMPARE(Rig->Run(OperatorRig::ParamRead), 0);
    QCOMPARE(ParamFields(*W), DeviceValues);
}

// The tool's process entry, run in a child process: a device that never
// answers, a Read, and the window closed while the Read waits. Writes the
// milliseconds from the Read to the end of the process entry.
static int ChildCloseWindow(int argc, char **argv)
{
    QApplication App(argc, argv);
    PtyPair Line;
    ScriptedPeer Silent(Line);
    QElapsedTimer Clock;
    const int Code = RunMainWindow(App, [&Line, &Clock](OrvaneUI *Window) {
        Window->QComboBox_UsartNum->addItem(Line.SlavePath());
        Window->QComboBox_UsartNum->setCurrentIndex(Window->QComboBox_UsartNum->count() - 1);
        QTimer::singleShot(0, Window, [Window, &Clock] {
            Window->QPushButton_UsartSwitch->click();
            Clock.start();
            QTimer::singleShot(300, Window, [Window] { Window->close(); });
            Window->QPushButton_Config_Read->click();
        });
    });
    std::printf("%lld\n", Clock.isValid() ? Clock.elapsed() : -1LL);
    return Code;
}

void tst_endtoend::closeWindowDuringExchange()
{
    QProcess Child;
    Child.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--child-close-window")});
    QVERIFY2(Child.waitForFinished(10000), "the process did not end");
    QCOMPARE(Child.exitStatus(), QProcess::NormalExit);
    QCOMPARE(Child.exitCode(), 0);
    // Closed at 300 ms; the silent device would hold the read for 1.5 s.
    // Timed in the child, so that a slow start of the process on a busy
    // machine does not count.
    bool Ok = false;
    const qint64 Took = Child.readAllStandardOutput().trimmed().toLongLong(&Ok);
    QVERIFY2(Ok && Took >= 300 && Took < 1400, qPrintable(QString::number(Took)));
}

int main(int argc, char **argv)
{
    if (argc > 1 && qstrcmp(argv[1], "--child-close-window") == 0)
        return ChildCloseWindow(1, argv);
    QApplication App(argc, argv);
    tst_endtoend Suite;
    return QTest::qExec(&Suite, argc, argv);
}

#include "tst_endtoend.moc"
