// What the operator sees, and what the fields and the device hold, for each
// fault the simulated device can play and for a line that is lost or
// flooded: the real window driven through its buttons against the simulated
// device on a pseudo-terminal.

#include <QtTest>

#include <QComboBox>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTimer>

#include "DeviceCore.h"
#include "Expected.h"
#include "LogCapture.h"
#include "MySerialPort.h"
#include "NoticeCatcher.h"
#include "OperatorRig.h"
#include "OrvaneUI.h"
#include "PtyPair.h"
#include "SimPeer.h"

namespace {

using Expected::ParamCount;
using Expected::Params;
constexpr int RfFrequencyRow = 7;

// The operator's values before a write, and the device's before a read:
// different from each other, from the tab's start values and from the
// simulator's factory values.
const QList<int> Operator = {42, 3, 1200, 300, 7, 2, 14, 868, 2, 11, 16, 3000, 700, 0};
const QList<int> DeviceStart = {9, 4, 900, 120, 3, 3, 11, 433, 0, 7, 12, 2200, 440, 1};

const QString NoticeTitle = QStringLiteral("Уведомление");
const QString LinkNotice = QStringLiteral("Ошибка связи по COM-порту. Пожалуйста, проверьте!");

enum Exchange { ParamRead, ParamWrite, EidRead, EidWrite };

} // namespace

class tst_faults : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void deviceFault_data();
    void deviceFault();
    void lateReplyIsDroppedByTheNextRequest();
    void farEndHangsUp();
    void floodingDevice();

private:
    QList<int> ParamFields() const;
    QStringList EidFields() const;
    QList<int> DeviceParams(DeviceCore::Image Which) const;
    void VerifyButtons(bool Enabled) const;
    // Runs the exchange through its button; returns the notices it raised.
    int Run(Exchange What, qint64 *Took = nullptr);

    OperatorRig *Rig = nullptr;
    OrvaneUI *W = nullptr;
    SimPeer *Device = nullptr;
    NoticeCatcher *Notices = nullptr;
};

void tst_faults::init()
{
    Rig = new OperatorRig;
    W = &Rig->Window;
    Device = &Rig->Device;
    Notices = &Rig->Notices;
    for (int I = 0; I < ParamCount; ++I)
        Device->Core().SetRegister(Params[I].Register, quint16(DeviceStart[I]));
    for (int Slot = 0; Slot < EidCount; ++Slot)
        Device->Core().SetEid(Slot, 7000 + Slot);
    QVERIFY(Rig->OpenPort());
    VerifyButtons(true);
}

void tst_faults::cleanup()
{
    delete Rig;
    Rig = nullptr;
    W = nullptr;
    Device = nullptr;
    Notices = nullptr;
}

QList<int> tst_faults::ParamFields() const
{
    QList<int> Values;
    for (const Expected::ParamField &F : Params)
        Values << Expected::ParamValue(*W, F.Widget);
    return Values;
}

QStringList tst_faults::EidFields() const
{
    QStringList Texts;
    for (int Slot = 0; Slot < EidCount; ++Slot)
        Texts << W->QLineEdit_Eid[Slot]->text();
    return Texts;
}

QList<int> tst_faults::DeviceParams(DeviceCore::Image Which) const
{
    QList<int> Values;
    for (const Expected::ParamField &F : Params)
        Values << Device->Core().Register(F.Register, Which);
    return Values;
}

void tst_faults::VerifyButtons(bool Enabled) const
{
    QCOMPARE(W->QPushButton_Config_Read->isEnabled(), Enabled);
    QCOMPARE(W->QPushButton_Config_Write->isEnabled(), Enabled);
}

int tst_faults::Run(Exchange What, qint64 *Took)
{
    const bool Eid = What == EidRead || What == EidWrite;
    const bool Write = What == ParamWrite || What == EidWrite;
    W->QTabWidget_Config->setCurrentWidget(Eid ? W->QWidget_Tab_Eid : W->QWidget_Tab_Param);
    const int Before = Notices->Count();
    QElapsedTimer Clock;
    Clock.start();
    QTest::mouseClick(Write ? W->QPushButton_Config_Write : W->QPushButton_Config_Read,
                      Qt::LeftButton);
    if (Took)
        *Took = Clock.elapsed();
    for (int I = Before; I < Notices->Count(); ++I) {
        if (Notices->Notices().at(I).Title != NoticeTitle || Notices->Notices().at(I).Text != LinkNotice)
            return -1;
    }
    return Notices->Count() - Before;
}

void tst_faults::deviceFault_data()
{
    QTest::addColumn<QString>("fault");      // as korvel-devsim --fault takes it
    QTest::addColumn<int>("exchange");
    QTest::addColumn<bool>("fails");         // the operator sees the notice
    QTest::addColumn<int>("requests");       // requests the device received
    QTest::addColumn<int>("committed");      // writes: the device took the values over (1) or not (0)
    QTest::addColumn<int>("minMs");          // the notice or the result came no sooner
    QTest::addColumn<int>("maxMs");          // and no later

    // The reply never comes: the wait runs out (30 pauses of 50 ms).
    QTest::newRow("silence, parameter read") << "silence@1" << int(ParamRead) << true << 1 << -1 << 1450 << 3000;
    // Damaged, cut or overlong replies fail their tests; a cut or overlong
    // one never reaches the expected length, so the wait runs out first.
    QTest::newRow("bad-crc, EID read block 3") << "bad-crc@3" << int(EidRead) << true << 3 << -1 << 100 << 1400;
    QTest::newRow("short, parameter write 2") << "short=1@2" << int(ParamWrite) << true << 2 << 0 << 1450 << 3000;
    QTest::newRow("extra, EID write block 1") << "extra=2@1" << int(EidWrite) << true << 1 << 0 << 1450 << 3000;
    QTest::newRow("wrong-count, EID read block 1") << "wrong-count@1" << int(EidRead) << true << 1 << -1 << 0 << 1400;
    QTest::newRow("wrong-count, EID write block 2") << "wrong-count@2" << int(EidWrite) << true << 2 << 0 << 0 << 1400;
    // A standard exception reply is 5 bytes: it never reaches the length.
    QTest::newRow("exception, parameter read") << "exception=2@1" << int(ParamRead) << true << 1 << -1 << 1450 << 3000;
    // The device took the values over but echoed another code: the tool
    // cannot tell, reports the failure and leaves the fields alone.
    QTest::newRow("commit-code, parameters") << "commit-code=0@15" << int(ParamWrite) << true << 15 << 1 << 0 << 2500;
    QTest::newRow("commit-code, EIDs") << "commit-code=6@9" << int(EidWrite) << true << 9 << 1 << 0 << 2500;
    // Replies in pieces or somewhat late are still caught whole.
    QTest::newRow("chunks, EID read") << "chunks=8,5" << int(EidRead) << false << 8 << -1 << 400 << 4000;
    QTest::newRow("slow, in time") << "slow=300@5" << int(ParamRead) << false << 14 << -1 << 950 << 3500;
    // The field shows what the device echoed, the device keeps what was sent.
    QTest::newRow("echo-value, RfFrequency") << "echo-value=470@8" << int(ParamWrite) << false << 15 << 1 << 750 << 2500;
}

void tst_faults::deviceFault()
{
    QFETCH(QString, fault);
    QFETCH(int, exchange);
    QFETCH(bool, fails);
    QFETCH(int, requests);
    QFETCH(int, committed);
    QFETCH(int, minMs);
    QFETCH(int, maxMs);
    const Exchange What = static_cast<Exchange>(exchange);
    DeviceCore &Core = Device->Core();

    DeviceFault Fault;
    QString Error;
    QVERIFY2(DeviceFault::Parse(fault, Fault, &Error), qPrintable(Error));
    if (What == ParamWrite) {
        for (int I = 0; I < ParamCount; ++I)
            Expected::SetParamValue(*W, Params[I].Widget, Operator[I]);
    } else if (What == EidWrite) {
        for (int Slot = 0; Slot < EidCount; ++Slot)
            W->QLineEdit_Eid[Slot]->setText(QString::number(-500 - Slot));
    }
    Core.AddFault(Fault);
    const QList<int> Params = ParamFields();
    const QStringList Eids = EidFields();
    const QList<int> KeptParams = DeviceParams(DeviceCore::Committed);
    const qint32 KeptFirstEid = Core.Eid(0, DeviceCore::Committed);

    qint64 Took = 0;
    const int Raised = Run(What, &Took);
    QCOMPARE(Raised, fails ? 1 : 0);
    QVERIFY2(Took >= minMs && Took <= maxMs, qPrintable(QStringLiteral("%1 ms").arg(Took)));
    QCOMPARE(Core.Transactions(), requests);
    VerifyButtons(true);
    QCOMPARE(W->QPushButton_UsartSwitch->text(), QStringLiteral("Закрыть"));

    if (fails) {
        QCOMPARE(ParamFields(), Params);
        QCOMPARE(EidFields(), Eids);
    } else if (What == ParamRead) {
        QCOMPARE(ParamFields(), DeviceStart);
        QCOMPARE(EidFields(), Eids);
    } else if (What == EidRead) {
        for (int Slot = 0; Slot < EidCount; ++Slot)
            QCOMPARE(W->QLineEdit_Eid[Slot]->text(), QString::number(7000 + Slot));
        QCOMPARE(ParamFields(), Params);
    } else if (What == ParamWrite) {
        QCOMPARE(DeviceParams(DeviceCore::Committed), Operator);
        QList<int> Shown = Operator;
        if (Fault.What == DeviceFault::EchoValue)
            Shown[RfFrequencyRow] = Fault.Arg;
        QCOMPARE(ParamFields(), Shown);
    }

    if (committed == 1 && What == ParamWrite)
        QCOMPARE(DeviceParams(DeviceCore::Committed), Operator);
    if (committed == 1 && What == EidWrite)
        QCOMPARE(Core.Eid(0, DeviceCore::Committed), -500);
    if (committed == 0) {
        QCOMPARE(DeviceParams(DeviceCore::Committed), KeptParams);
        QCOMPARE(Core.Eid(0, DeviceCore::Committed), KeptFirstEid);
    }
}

void tst_faults::lateReplyIsDroppedByTheNextRequest()
{
    // The first reply comes 2 s late, after the wait has run out.
    Device->Core().AddFault({DeviceFault::Slow, 1, 2000});
    const QList<int> Before = ParamFields();
    QCOMPARE(Run(ParamRead), 1);
    QCOMPARE(ParamFields(), Before);
    QCOMPARE(Device->Core().Transactions(), 1);

    // It still arrives, and is held until the next request empties the
    // buffer; the next read is then answered as if nothing had happened.
    QTRY_COMPARE_WITH_TIMEOUT(W->SerialPort->RecvBuffer.size(), 7, 3000);
    QCOMPARE(Run(ParamRead), 0);
    QCOMPARE(ParamFields(), DeviceStart);
    QCOMPARE(Device->Core().Transactions(), 15);
}

void tst_faults::farEndHangsUp()
{
    // The device hangs up the line instead of its third reply.
    Device->Core().AddFault({DeviceFault::HangUp, 3});
    const QList<int> Before = ParamFields();
    qint64 Took = 0;
    QCOMPARE(Run(ParamRead, &Took), 1);
    QVERIFY2(Took >= 1450 && Took < 3000, qPrintable(QString::number(Took)));
    QCOMPARE(ParamFields(), Before);
    QCOMPARE(Device->Core().Transactions(), 3);

    // The port closed itself on the lost line; the panel still shows it
    // open, and every further exchange fails at once.
    QTRY_VERIFY(!W->SerialPort->isOpen());
    QCOMPARE(W->QPushButton_UsartSwitch->text(), QStringLiteral("Закрыть"));
    VerifyButtons(true);
    QCOMPARE(Run(EidRead, &Took), 1);
    QVERIFY2(Took < 1000, qPrintable(QString::number(Took)));
    QCOMPARE(ParamFields(), Before);

    // Closing from the panel leaves the commands disabled, as for any
    // closed port; opening the vanished line again is refused.
    W->QPushButton_UsartSwitch->click();
    QCOMPARE(W->QPushButton_UsartSwitch->text(), QStringLiteral("Открыть"));
    VerifyButtons(false);
    W->QPushButton_UsartSwitch->click();
    QCOMPARE(W->QPushButton_UsartSwitch->text(), QStringLiteral("Открыть"));
    QCOMPARE(Notices->Count(), 3);
    QCOMPARE(Notices->Notices().last().Text,
             QStringLiteral("Не удалось открыть порт. Пожалуйста, проверьте!"));
    VerifyButtons(false);
}

void tst_faults::floodingDevice()
{
    // Between requests, and through them, the device sends noise.
    QTimer Flood;
    Flood.setInterval(5);
    connect(&Flood, &QTimer::timeout, this, [this] { Device->Peer().Send(QByteArray(64, '\x55')); });
    Flood.start();
    QTRY_VERIFY(!W->SerialPort->RecvBuffer.isEmpty());

    const QList<int> Before = ParamFields();
    const QStringList Eids = EidFields();
    QCOMPARE(Run(ParamRead), 1);
    QCOMPARE(ParamFields(), Before);
    QCOMPARE(Run(EidRead), 1);
    QCOMPARE(EidFields(), Eids);
    // The noise is held to the buffer's bound, and the window stays usable.
    QVERIFY(W->SerialPort->RecvBuffer.size() <= MySerialPort::RecvBufferCap);
    VerifyButtons(true);

    // Once the line is quiet again, the next read works: its request
    // empties the buffer of the noise.
    // A mark sent after the last noise shows when all of it has been read.
    Flood.stop();
    const QByteArray Mark("\xAA\x01\x02\x03");
    W->SerialPort->RecvBuffer.clear();
    Device->Peer().Send(Mark);
    QTRY_VERIFY(W->SerialPort->RecvBuffer.endsWith(Mark));
    QCOMPARE(Run(ParamRead), 0);
    QCOMPARE(ParamFields(), DeviceStart);
}

QTEST_MAIN(tst_faults)
#include "tst_faults.moc"
