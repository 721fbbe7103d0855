// A long run of parameter and EID exchanges through the Read and Write
// buttons against the simulated device, a quarter of them with a fault.
// After each: a failed one (its notice shown) has left every field as it
// was; a successful one has left the device and the fields equal. The
// resident memory after warm-up must stay flat.
//
//   KORVEL_SOAK_COUNT  number of exchanges (default 60)
//   KORVEL_SOAK_SEED   seed of the random choices (default 1)

#include "Expected.h"
#include "MySerialPort.h"
#include "OperatorRig.h"

#include <QApplication>
#include <QFile>
#include <QLineEdit>
#include <QtTest>

#include <random>
#include <unistd.h>

#if defined(__SANITIZE_ADDRESS__)
#define KORVEL_SOAK_ASAN 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define KORVEL_SOAK_ASAN 1
#endif
#endif

using namespace Expected;

namespace {

// The range each parameter widget takes, in map order.
const int Lowest[ParamCount] = {1, 0, 60, 10, 1, 0, 1, 150, 0, 6, 1, 10, 10, 0};
const int Highest[ParamCount] = {255, 5, 60000, 60000, 255, 3, 20, 960, 2, 12, 60000, 60000, 60000, 1};
// Requests of a whole exchange: 14 registers (+ commit), 8 blocks (+ commit).
const int Requests[] = {14, 15, 8, 9};

qint64 ResidentBytes()
{
    QFile Statm(QStringLiteral("/proc/self/statm"));
    if (!Statm.open(QIODevice::ReadOnly))
        return -1;
    const QList<QByteArray> Parts = Statm.readAll().split(' ');
    return Parts.size() > 1 ? Parts.at(1).toLongLong() * sysconf(_SC_PAGESIZE) : -1;
}

int EnvNumber(const char *Name, int Default)
{
    bool Ok = false;
    const int Value = qEnvironmentVariableIntValue(Name, &Ok);
    return Ok && Value > 0 ? Value : Default;
}

} // namespace

class tst_soak : public QObject
{
    Q_OBJECT

private slots:
    void exchangesWithFaults();

private:
    int Random(int Min, int Max) { return std::uniform_int_distribution<int>(Min, Max)(Rng); }
    // A fault on one request of the next exchange, or none ("").
    QString PickFault(int What, int First, bool *Fails, int *EchoRow, int *EchoValue);

    std::mt19937 Rng;
};

QString tst_soak::PickFault(int What, int First, bool *Fails, int *EchoRow, int *EchoValue)
{
    *Fails = true;
    *EchoRow = -1;
    const int Nth = First + Random(0, Requests[What] - 1);
    const QString At = QStringLiteral("@%1").arg(Nth);
    const bool Write = What == OperatorRig::ParamWrite || What == OperatorRig::EidWrite;
    if (Random(0, 3) != 0)
        return QString();
    switch (Random(0, 9)) {
    case 0: return QStringLiteral("bad-crc") + At;
    case 1: return QStringLiteral("short=%1").arg(Random(1, 3)) + At;
    case 2: return QStringLiteral("extra=%1").arg(Random(1, 3)) + At;
    case 3: return QStringLiteral("silence") + At;
    case 4: return QStringLiteral("exception=%1").arg(Random(1, 4)) + At;
    case 5: return QStringLiteral("slow=2000") + At;
    case 6:
        if (!Write)
            return QStringLiteral("wrong-count") + At;
        return QStringLiteral("commit-code=0@%1").arg(First + Requests[What] - 1);
    case 7: *Fails = false; return QStringLiteral("chunks=%1,%2").arg(Random(2, 8)).arg(Random(0, 5)) + At;
    case 8: *Fails = false; return QStringLiteral("slow=%1").arg(Random(50, 400)) + At;
    default:
        *Fails = false;
        if (What != OperatorRig::ParamWrite)
            return QString();
        // A parameter echoed with another value than written.
        *EchoRow = Random(0, ParamCount - 1);
        *EchoValue = Random(Lowest[*EchoRow], Highest[*EchoRow]);
        return QStringLiteral("echo-value=%1@%2").arg(*EchoValue).arg(First + *EchoRow);
    }
}

void tst_soak::exchangesWithFaults()
{
    const int Count = EnvNumber("KORVEL_SOAK_COUNT", 60);
    Rng.seed(std::mt19937::result_type(EnvNumber("KORVEL_SOAK_SEED", 1)));
    // Warm-up: the first fifth, at least ten exchanges, so that Qt's caches
    // (fonts, layouts, the message box) are built.
    const int WarmUp = qMax(10, Count / 5);
    OperatorRig Rig;
    OrvaneUI &W = Rig.Window;
    DeviceCore &Core = Rig.Device.Core();
    QVERIFY(Rig.OpenPort());
    int Failed = 0;
    qint64 WarmResident = -1;
    qint64 Peak = 0;

    for (int Exchange = 1; Exchange <= Count; ++Exchange) {
        const int What = Random(0, 3);
        const bool Eid = What == OperatorRig::EidRead || What == OperatorRig::EidWrite;
        const bool Write = What == OperatorRig::ParamWrite || What == OperatorRig::EidWrite;
        // The records of the line and the log would grow with the run.
        Core.ClearFaults();
        Rig.Device.ClearReplies();
        Rig.Device.Peer().ClearReceived();
        Rig.Quiet.Clear();
        for (int I = 0; I < ParamCount; ++I) {
            const int Value = Random(Lowest[I], Highest[I]);
            if (What == OperatorRig::ParamWrite)
                SetParamValue(W, Params[I].Widget, Value);
            else if (What == OperatorRig::ParamRead)
                Core.SetRegister(Params[I].Register, quint16(Value));
        }
        for (int Slot = 0; Eid && Slot < EidCount; ++Slot) {
            const qint32 Value = qint32(Rng());
            if (Write)
                W.QLineEdit_Eid[Slot]->setText(Random(0, 9) == 0 ? QString() : QString::number(Value));
            else
                Core.SetEid(Slot, Value);
        }
        bool MustFail = false;
        int EchoRow = -1;
        int EchoValue = 0;
        const QString Fault = PickFault(What, Core.Transactions() + 1, &MustFail, &EchoRow, &EchoValue);
        DeviceFault Parsed;
        if (!Fault.isEmpty() && DeviceFault::Parse(Fault, Parsed, nullptr))
            Core.AddFault(Parsed);
        const QString Step = QStringLiteral("exchange %1 (kind %2, fault '%3')").arg(Exchange).arg(What).arg(Fault);

        const QList<int> ParamsBefore = ParamFields(W);
        const QStringList EidsBefore = EidFields(W);
        const int Raised = Rig.Run(OperatorRig::Exchange(What));
        QVERIFY2(Rig.ButtonsEnabled(), qPrintable(Step));
        QVERIFY2(Raised == (MustFail && !Fault.isEmpty() ? 1 : 0), qPrintable(Step));
        if (Raised) {
            ++Failed;
            QVERIFY2(ParamFields(W) == ParamsBefore && EidFields(W) == EidsBefore, qPrintable(Step + ": a field changed"));
            // A reply too late still arrives; let it, so that it is not
            // taken for the answer to the next request.
            if (Fault.startsWith(QLatin1String("slow=2000")))
                QTRY_VERIFY_WITH_TIMEOUT(!W.SerialPort->RecvBuffer.isEmpty(), 3000);
        } else {
            // Reads show the working image; a committed write is kept.
            const DeviceCore::Image Image = Write ? DeviceCore::Committed : DeviceCore::Working;
            for (int Slot = 0; Eid && Slot < EidCount; ++Slot) {
                QVERIFY2(W.QLineEdit_Eid[Slot]->text() == QString::number(Core.Eid(Slot, Image)), qPrintable(Step));
                QVERIFY2(!Write || Core.Eid(Slot, Image) == EidsBefore.at(Slot).toInt(), qPrintable(Step));
            }
            for (int I = 0; !Eid && I < ParamCount; ++I) {
                const int Held = Core.Register(Params[I].Register, Image);
                QVERIFY2(!Write || Held == ParamsBefore.at(I), qPrintable(Step));
                QVERIFY2(ParamFields(W).at(I) == (I == EchoRow ? EchoValue : Held), qPrintable(Step));
            }
            QVERIFY2(Eid ? ParamFields(W) == ParamsBefore : EidFields(W) == EidsBefore, qPrintable(Step));
        }
        const qint64 Resident = ResidentBytes();
        if (Exchange == WarmUp)
            WarmResident = Resident;
        if (Exchange >= WarmUp)
            Peak = qMax(Peak, Resident);
        if (Count >= 100 && Exchange % (Count / 10) == 0)
            qInfo("soak: %d exchanges, resident %lld KiB", Exchange, Resident / 1024);
    }
    qInfo("soak: %d exchanges, %d failed; resident after warm-up %lld KiB, highest %lld KiB",
          Count, Failed, WarmResident / 1024, Peak / 1024);
    QVERIFY(WarmResident > 0);
#ifndef KORVEL_SOAK_ASAN
    // Flat: what grows after warm-up must stay within 1 MiB. (AddressSanitizer
    // holds freed memory back by design; its leak check stands in there.)
    QVERIFY2(Peak - WarmResident <= 1024 * 1024, qPrintable(QString::number(Peak - WarmResident)));
#endif
}

int main(int argc, char **argv)
{
    // QtTest ends a test function after 5 minutes; a long run takes about
    // a second an exchange.
    if (!qEnvironmentVariableIsSet("QTEST_FUNCTION_TIMEOUT")) {
        const int Count = EnvNumber("KORVEL_SOAK_COUNT", 60);
        qputenv("QTEST_FUNCTION_TIMEOUT", QByteArray::number(qMax(300000LL, Count * 3000LL)));
    }
    QApplication App(argc, argv);
    tst_soak Suite;
    return QTest::qExec(&Suite, argc, argv);
}

#include "tst_soak.moc"
