// The tool as an operator uses it: the real window driven through its
// widgets (clicks, picked entries, typed text) against the simulated device
// on a pseudo-terminal.

#include "AppMain.h"
#include "DeviceCore.h"
#include "Expected.h"
#include "LogCapture.h"
#include "MySerialPort.h"
#include "NoticeCatcher.h"
#include "OperatorRig.h"
#include "OrvaneUI.h"
#include "PtyPair.h"
#include "SimPeer.h"

#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QTimer>
#include <QtTest>

namespace {

const QString NoticeTitle = QStringLiteral("Уведомление");
const QString LinkNotice = QStringLiteral("Ошибка связи по COM-порту. Пожалуйста, проверьте!");
const QByteArray FirstParamRead = QByteArray::fromHex("00039C4300015A5F");
const QByteArray FirstEidRead = QByteArray::fromHex("0003B79900323255");

QList<int> ParamFields(OrvaneUI &W)
{
    QList<int> Values;
    for (const Expected::ParamField &F : Expected::Params)
        Values << Expected::ParamValue(W, F.Widget);
    return Values;
}

QList<int> DeviceParams(DeviceCore &Core, DeviceCore::Image Which)
{
    QList<int> Values;
    for (const Expected::ParamField &F : Expected::Params)
        Values << Core.Register(F.Register, Which);
    return Values;
}

QStringList EidFields(OrvaneUI &W)
{
    QStringList Texts;
    for (int I = 0; I < EidCount; ++I)
        Texts << W.findChild<QLineEdit *>(QStringLiteral("QLineEdit_Eid[%1]").arg(I))->text();
    return Texts;
}

void TypeInto(QLineEdit *Edit, const QString &Text)
{
    Edit->selectAll();
    QTest::keyClick(Edit, Qt::Key_Delete);
    QTest::keyClicks(Edit, Text);
}

void TypeInto(QSpinBox *Spin, int Value)
{
    Spin->selectAll();
    QTest::keyClicks(Spin, QString::number(Value));
    QTest::keyClick(Spin, Qt::Key_Tab);
}

void Click(QPushButton *Button)
{
    QVERIFY2(Button->isEnabled(), qPrintable(Button->objectName()));
    QTest::mouseClick(Button, Qt::LeftButton);
}

void VerifyButtons(OrvaneUI &W, bool Enabled)
{
    QCOMPARE(W.QPushButton_Config_Read->isEnabled(), Enabled);
    QCOMPARE(W.QPushButton_Config_Write->isEnabled(), Enabled);
}

} // namespace

class tst_endtoend : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void readAndWriteParameters();
    void fillWriteClearAndReadEids();
    void silentDevice();
    void badCrcMidway();
    void commitRefused_data();
    void commitRefused();
    void closePortDuringExchange();
    void switchTabsDuringExchange();
    void staysResponsiveDuringEidRead();
    void closeWindowDuringExchange();

private:
    OperatorRig *Rig = nullptr;
    OrvaneUI *W = nullptr;
    SimPeer *Device = nullptr;
    NoticeCatcher *Notices = nullptr;
};

void tst_endtoend::init()
{
    Rig = new OperatorRig;
    W = &Rig->Window;
    Device = &Rig->Device;
    Notices = &Rig->Notices;
    QVERIFY(Rig->OpenPort());
    VerifyButtons(*W, true);
}

void tst_endtoend::cleanup()
{
    delete Rig;
    Rig = nullptr;
    W = nullptr;
    Device = nullptr;
    Notices = nullptr;
}

void tst_endtoend::readAndWriteParameters()
{
    DeviceCore &Core = Device->Core();
    const QList<int> Factory = DeviceParams(Core, DeviceCore::Working);
    QVERIFY(ParamFields(*W) != Factory);

    Click(W->QPushButton_Config_Read);
    QCOMPARE(Notices->Count(), 0);
    QCOMPARE(ParamFields(*W), Factory);
    QVERIFY(Device->Peer().Received().startsWith(FirstParamRead));
    QCOMPARE(Core.Transactions(), 14);
    VerifyButtons(*W, true);

    // The operator edits fields as a person would, then writes them.
    TypeInto(W->QSpinBox_Param_RfFrequency, 868);
    TypeInto(W->QSpinBox_Param_LocalNet, 42);
    W->QComboBox_Param_RssiOut->setCurrentIndex(0);
    TypeInto(W->QSpinBox_Param_TxTimeout, 2500);
    const QList<int> Edited = ParamFields(*W);
    QCOMPARE(Expected::ParamValue(*W, "QSpinBox_Param_RfFrequency"), 868);
    QCOMPARE(Expected::ParamValue(*W, "QSpinBox_Param_TxTimeout"), 2500);

    Device->Peer().ClearReceived();
    Click(W->QPushButton_Config_Write);
    QCOMPARE(Notices->Count(), 0);
    QVERIFY(Device->Peer().Received().endsWith(QByteArray::fromHex("00069C410006765D")));
    QCOMPARE(DeviceParams(Core, DeviceCore::Committed), Edited);
    QCOMPARE(ParamFields(*W), Edited);

    // A fresh read brings back what the device holds.
    W->QSpinBox_Param_RfFrequency->setValue(150);
    W->QSpinBox_Param_LocalNet->setValue(1);
    Click(W->QPushButton_Config_Read);
    QCOMPARE(Notices->Count(), 0);
    QCOMPARE(ParamFields(*W), Edited);
}

void tst_endtoend::fillWriteClearAndReadEids()
{
    W->QTabWidget_Config->setCurrentWidget(W->QWidget_Tab_Eid);
    TypeInto(W->QLineEdit_Eid_Start, QStringLiteral("1000"));
    TypeInto(W->QLineEdit_Eid_End, QStringLiteral("1009"));
    Click(W->pPushButton_Eid_Config);
    TypeInto(W->QLineEdit_Eid_Start, QStringLiteral("5000"));
    TypeInto(W->QLineEdit_Eid_End, QStringLiteral("5002"));
    Click(W->pPushButton_Eid_Add);
    QCOMPARE(Notices->Count(), 0);
    TypeInto(W->QLineEdit_Eid[199], QStringLiteral("9999999"));

    QStringList Expected;
    for (int I = 0; I < EidCount; ++I)
        Expected << QStringLiteral("0");
    for (int I = 0; I < 10; ++I)
        Expected[I] = QString::number(1000 + I);
    for (int I = 0; I < 3; ++I)
        Expected[10 + I] = QString::number(5000 + I);
    Expected[199] = QStringLiteral("9999999");
    QCOMPARE(EidFields(*W), Expected);

    LogCapture Log;
    Click(W->QPushButton_Config_Write);
    QCOMPARE(Notices->Count(), 0);
    const QByteArray Wire = Device->Peer().Received();
    QCOMPARE(Wire.size(), 8 * 109 + 8);
    QVERIFY(Wire.endsWith(QByteArray::fromHex("00069C410008F799")));
    DeviceCore &Core = Device->Core();
    for (int I = 0; I < EidCount; ++I)
        QCOMPARE(QString::number(Core.Eid(I, DeviceCore::Committed)), Expected[I]);
    // The request went to the log as JSON before the first frame.
    const int Json = Log.IndexOf(QStringLiteral("Настройка EID"));
    QVERIFY(Json >= 0);
    QVERIFY(Log.Lines().value(Json + 1).startsWith(QStringLiteral("{\n    \"ParamArray\": [")));

    // Clear the list (a range of 0 to 0), then read it back.
    TypeInto(W->QLineEdit_Eid_Start, QStringLiteral("0"));
    TypeInto(W->QLineEdit_Eid_End, QStringLiteral("0"));
    Click(W->pPushButton_Eid_Config);
    for (const QString &Text : EidFields(*W))
        QCOMPARE(Text, QStringLiteral("0"));
    Device->Peer().ClearReceived();
    Click(W->QPushButton_Config_Read);
    QCOMPARE(Notices->Count(), 0);
    QCOMPARE(EidFields(*W), Expected);
    QVERIFY(Device->Peer().Received().startsWith(FirstEidRead));
    VerifyButtons(*W, true);
}

void tst_endtoend::silentDevice()
{
    Device->Core().AddFault({DeviceFault::Silence, 0, -1, -1});
    const QList<int> Before = ParamFields(*W);
    QTimer::singleShot(300, this, [this] {
        // Disabled while the exchange waits.
        QVERIFY(!W->QPushButton_Config_Read->isEnabled());
        QVERIFY(!W->QPushButton_Config_Write->isEnabled());
    });
    QElapsedTimer Clock;
    Clock.start();
    Click(W->QPushButton_Config_Read);
    const qint64 Took = Clock.elapsed();
    QVERIFY2(Took >= 1450 && Took < 3000, qPrintable(QString::number(Took)));
    QCOMPARE(Notices->Count(), 1);
    QCOMPARE(Notices->Notices().first().Title, NoticeTitle);
    QCOMPARE(Notices->Notices().first().Text, LinkNotice);
    QCOMPARE(Device->Peer().Received(), FirstParamRead);
    QCOMPARE(ParamFields(*W), Before);
    VerifyButtons(*W, true);
}

void tst_endtoend::badCrcMidway()
{
    // Parameters: the fifth reply is damaged.
    Device->Core().AddFault({DeviceFault::BadCrc, 5, -1, -1});
    const QList<int> Before = ParamFields(*W);
    Click(W->QPushButton_Config_Read);
    QCOMPARE(Notices->Count(), 1);
    QCOMPARE(Notices->Notices().last().Text, LinkNotice);
    QCOMPARE(ParamFields(*W), Before);
    QCOMPARE(Device->Peer().Received().size(), 5 * 8);

    // EIDs: the third block's reply is damaged; nothing of the first two shows.
    W->QTabWidget_Config->setCurrentWidget(W->QWidget_Tab_Eid);
    Device->Core().Reset();
    for (int I = 0; I < EidCount; ++I)
        Device->Core().SetEid(I, 700 + I);
    Device->Core().AddFault({DeviceFault::BadCrc, 3, -1, -1});
    Device->Peer().ClearReceived();
    const QStringList EidsBefore = EidFields(*W);
    Click(W->QPushButton_Config_Read);
    QCOMPARE(Notices->Count(), 2);
    QCOMPARE(Notices->Notices().last().Title, NoticeTitle);
    QCOMPARE(EidFields(*W), EidsBefore);
    QCOMPARE(Device->Peer().Received().size(), 3 * 8);
    VerifyButtons(*W, true);
}

void tst_endtoend::commitRefused_data()
{
    QTest::addColumn<bool>("eids");
    QTest::addColumn<int>("commitTransaction");
    QTest::newRow("parameters") << false << 15;
    QTest::newRow("eids") << true << 9;
}

void tst_endtoend::commitRefused()
{
    QFETCH(bool, eids);
    QFETCH(int, commitTransaction);
    if (eids) {
        W->QTabWidget_Config->setCurrentWidget(W->QWidget_Tab_Eid);
        TypeInto(W->QLineEdit_Eid_Start, QStringLiteral("300"));
        TypeInto(W->QLineEdit_Eid_End, QStringLiteral("310"));
        Click(W->pPushButton_Eid_Config);
    } else {
        W->QSpinBox_Param_RfFrequency->setValue(433);
    }
    Device->Core().AddFault({DeviceFault::Exception, commitTransaction, 3, -1});
    const QList<int> Params = ParamFields(*W);
    const QStringList Eids = EidFields(*W);

    Click(W->QPushButton_Config_Write);
    QCOMPARE(Notices->Count(), 1);
    QCOMPARE(Notices->Notices().first().Title, NoticeTitle);
    QCOMPARE(Notices->Notices().first().Text, LinkNotice);
    QCOMPARE(Device->Core().Transactions(), commitTransaction);
    QCOMPARE(ParamFields(*W), Params);
    QCOMPARE(EidFields(*W), Eids);
    // Nothing was taken over by the device.
    QCOMPARE(Device->Core().Register(40302, DeviceCore::Committed), quint16(470));
    QCOMPARE(Device->Core().Eid(0, DeviceCore::Committed), 0);
    VerifyButtons(*W, true);
}

void tst_endtoend::closePortDuringExchange()
{
    Device->Core().AddFault({DeviceFault::Silence, 0, -1, -1});
    const QList<int> Before = ParamFields(*W);
    QTimer::singleShot(200, this, [this] { Click(W->QPushButton_UsartSwitch); });
    Click(W->QPushButton_Config_Read);
    QCOMPARE(Notices->Count(), 1);
    QCOMPARE(Notices->Notices().first().Text, LinkNotice);
    QCOMPARE(W->QPushButton_UsartSwitch->text(), QStringLiteral("Открыть"));
    QCOMPARE(ParamFields(*W), Before);
    // The port is closed, so the commands stay disabled.
    VerifyButtons(*W, false);
    QCOMPARE(Device->Peer().Received(), FirstParamRead);

    // Opening again makes them usable, and a read works.
    Device->Core().ClearFaults();
    Click(W->QPushButton_UsartSwitch);
    VerifyButtons(*W, true);
    Click(W->QPushButton_Config_Read);
    QCOMPARE(Notices->Count(), 1);
    QCOMPARE(ParamFields(*W), DeviceParams(Device->Core(), DeviceCore::Working));
}

void tst_endtoend::switchTabsDuringExchange()
{
    for (int I = 0; I < EidCount; ++I)
        Device->Core().SetEid(I, 100 + I);
    const QStringList Eids = EidFields(*W);
    QTimer::singleShot(120, this,
                       [this] { W->QTabWidget_Config->setCurrentWidget(W->QWidget_Tab_Eid); });
    Click(W->QPushButton_Config_Read);
    QCOMPARE(W->QTabWidget_Config->currentWidget(), W->QWidget_Tab_Eid);
    QCOMPARE(Notices->Count(), 0);
    QCOMPARE(Device->Core().Transactions(), 14);
    QCOMPARE(Device->Peer().Received().size(), 14 * 8);
    QCOMPARE(ParamFields(*W), DeviceParams(Device->Core(), DeviceCore::Working));
    QCOMPARE(EidFields(*W), Eids);
}

void tst_endtoend::staysResponsiveDuringEidRead()
{
    W->QTabWidget_Config->setCurrentWidget(W->QWidget_Tab_Eid);
    // A device a little slow to answer, as on a real line.
    Device->SetTurnaroundMs(20);
    QElapsedTimer Clock;
    qint64 Last = -1;
    qint64 Widest = 0;
    QTimer Tick;
    Tick.setInterval(10);
    connect(&Tick, &QTimer::timeout, this, [&] {
        const qint64 Now = Clock.elapsed();
        if (Last >= 0)
            Widest = qMax(Widest, Now - Last);
        Last = Now;
    });
    Clock.start();
    Tick.start();
    Click(W->QPushButton_Config_Read);
    Tick.stop();
    QCOMPARE(Notices->Count(), 0);
    QCOMPARE(Device->Core().Transactions(), 8);
    QVERIFY2(Clock.elapsed() >= 8 * 50, qPrintable(QString::number(Clock.elapsed())));
    QVERIFY2(Widest < 60, qPrintable(QStringLiteral("widest gap %1 ms").arg(Widest)));
}

// The tool's process entry, run in a child process: a device that never
// answers, a Read, and the window closed while the Read waits.
static int ChildCloseWindow(int argc, char **argv)
{
    QApplication App(argc, argv);
    PtyPair Line;
    ScriptedPeer Silent(Line);
    return RunMainWindow(App, [&Line](OrvaneUI *Window) {
        Window->QComboBox_UsartNum->addItem(Line.SlavePath());
        Window->QComboBox_UsartNum->setCurrentIndex(Window->QComboBox_UsartNum->count() - 1);
        QTimer::singleShot(0, Window, [Window] {
            Window->QPushButton_UsartSwitch->click();
            QTimer::singleShot(300, Window, [Window] { Window->close(); });
            Window->QPushButton_Config_Read->click();
        });
    });
}

void tst_endtoend::closeWindowDuringExchange()
{
    QProcess Child;
    Child.setProgram(QCoreApplication::applicationFilePath());
    Child.setArguments({QStringLiteral("--child-close-window")});
    QElapsedTimer Clock;
    Clock.start();
    Child.start();
    QVERIFY(Child.waitForStarted());
    QVERIFY2(Child.waitForFinished(10000), "the process did not end");
    const qint64 Took = Clock.elapsed();
    QCOMPARE(Child.exitStatus(), QProcess::NormalExit);
    QCOMPARE(Child.exitCode(), 0);
    // Closed at 300 ms; a silent device would hold the first read for 1.5 s.
    QVERIFY2(Took < 1400, qPrintable(QString::number(Took)));
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
