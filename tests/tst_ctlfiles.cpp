// korvelctl's files as an installer trusts them, in-process against the
// simulated device on a pty: an input file read as what it is or refused
// with nothing sent, an output whole or not there (a file size limit, a
// full device, a FIFO, standard output), what read saves taken back by
// write and diff, a commit told as it happened, failures as JSON, file
// names that are no UTF-8, and a scan that names a late reply.

#include "CtlFiles.h"
#include "CtlIo.h"
#include "CtlRun.h"
#include "DeviceCore.h"
#include "Expected.h"
#include "Korvelctl.h"
#include "PtyPair.h"
#include "SimPeer.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include <csignal>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr int Entries = 200;
constexpr qint32 Before = 77; // every EID entry before a write



QByteArray Utf16(const QString &Text, bool BigEndian)
{
    QByteArray Bytes = BigEndian ? QByteArray("\xFE\xFF") : QByteArray("\xFF\xFE");
    for (const QChar C : Text) {
        const char High = char(C.unicode() >> 8), Low = char(C.unicode() & 0xFF);
        Bytes += BigEndian ? QByteArray {&High, 1} + QByteArray {&Low, 1} : QByteArray {&Low, 1} + QByteArray {&High, 1};
    }
    return Bytes;
}


// The reply of a device at Address to a read of ModbusID.
QByteArray IdReply(int Address)
{
    return Expected::WithCrc(QByteArray(1, char(Address)) + QByteArray::fromHex("030200") + char(Address));
}

// The file size limit of this process for as long as it lives: a write
// past it fails with EFBIG (its signal ignored) as on a full disk.
struct SizeLimit
{
    explicit SizeLimit(rlim_t Bytes)
    {
        getrlimit(RLIMIT_FSIZE, &Old);
        OldHandler = std::signal(SIGXFSZ, SIG_IGN);
        rlimit Limit = Old;
        Limit.rlim_cur = Bytes;
        setrlimit(RLIMIT_FSIZE, &Limit);
    }
    ~SizeLimit()
    {
        setrlimit(RLIMIT_FSIZE, &Old);
        std::signal(SIGXFSZ, OldHandler);
    }
    rlimit Old {};
    void (*OldHandler)(int) = nullptr;
};

} // namespace

class TestCtlFiles : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { qInstallMessageHandler(DropDebug); }
    void init()
    {
        QVERIFY(Pair.IsOpen());
        Device.reset(new SimPeer(Pair));
        QVERIFY(Dir.isValid());
        for (int Slot = 0; Slot < Entries; ++Slot)
            Device->Core().SetEid(Slot, Before);
    }
    void cleanup() { Device.reset(); }

    void eidFiles_data();
    void eidFiles();
    void paramFiles_data();
    void paramFiles();
    void readSavesWhatWriteTakes();
    void outputWholeOrNotThere();
    void standardOutputChecked();
    void commitToldAsItHappened_data();
    void commitToldAsItHappened();
    void failuresAsJson_data();
    void failuresAsJson();
    void namesAsBytes();
    void scanNamesLateReply();

private:
    QString File(const char *Name) const { return Dir.filePath(QString::fromLatin1(Name)); }
    QStringList On(QStringList Arguments) const { return Arguments << QStringLiteral("--port") << Pair.SlavePath(); }
    QList<qint64> CommittedEids() const
    {
        QList<qint64> Eids;
        for (int Slot = 0; Slot < Entries; ++Slot)
            Eids << qint64(quint32(Device->Core().Eid(Slot, DeviceCore::Committed)));
        return Eids;
    }
    void NothingSent()
    {
        QTest::qWait(20);
        QVERIFY(Device->Peer().Received().isEmpty());
    }

    PtyPair Pair;
    QScopedPointer<SimPeer> Device;
    QTemporaryDir Dir;
};

// Each row: a file's bytes and the options; the exit status; the list the
// device holds after (empty: as before, nothing sent); a part of the one
// error line, or the warnings whole.
void TestCtlFiles::eidFiles_data()
{
    QTest::addColumn<QByteArray>("Bytes");
    QTest::addColumn<QStringList>("Options");
    QTest::addColumn<int>("Code");
    QTest::addColumn<QList<qint64>>("Held");
    QTest::addColumn<QString>("Said");
    const QList<qint64> Kept;

    QTest::newRow("UTF-16 LE with BOM, CR LF") << Utf16(QStringLiteral("EID\r\n9201\r\n9202\r\n"), false)
                                               << QStringList() << 0 << QList<qint64> {9201, 9202} << QString();
    QTest::newRow("UTF-16 BE, a spreadsheet's tabs") << Utf16(QStringLiteral("Место\tEID\nКухня\t9301\n"), true)
                                                     << QStringList() << 0 << QList<qint64> {9301} << QString();
    QTest::newRow("UTF-16 LE, a character beyond 65535") << Utf16(QStringLiteral("Антенна \U0001F4E1;EID\n1;9211\n"), false)
                                                         << QStringList() << 0 << QList<qint64> {9211} << QString();
    QTest::newRow("UTF-8 with BOM, Cyrillic heading") << QByteArray("\xEF\xBB\xBF" "Счётчик;EID\n1;9401\n")
                                                      << QStringList() << 0 << QList<qint64> {9401} << QString();
    QTest::newRow("CR line ends, heading found") << QByteArray("EID\r9501\r9502\r") << QStringList() << 0
                                                 << QList<qint64> {9501, 9502} << QString();
    QTest::newRow("CR line ends, plain list") << QByteArray("9601\r9602") << QStringList() << 0
                                              << QList<qint64> {9601, 9602} << QString();
    QTest::newRow("blank lines before and after") << QByteArray("# cabinet 3\n\n\n11\n12\n\n\n") << QStringList() << 0
                                                  << QList<qint64> {11, 12} << QString();
    QTest::newRow("a comment line between values") << QByteArray("11\n# spare\n12\n") << QStringList() << 0
                                                   << QList<qint64> {11, 12} << QString();
    QTest::newRow("the one line 0 empties the list") << QByteArray("0\n") << QStringList() << 0
                                                     << QList<qint64> {0} << QString();
    QTest::newRow("FF FF FF FF as -1 or as itself") << QByteArray("-1\n4294967295\n") << QStringList() << 0
                                                    << QList<qint64> {0xFFFFFFFF, 0xFFFFFFFF} << QString();
    QTest::newRow("above the window's range, asked for") << QByteArray("20000000\n4294967294\n")
        << QStringList {"--out-of-range"} << 0 << QList<qint64> {20000000, 0xFFFFFFFE} << QString();

    QTest::newRow("empty file") << QByteArray() << QStringList() << 2 << Kept << "holds no EID; to empty the list";
    QTest::newRow("blank lines only") << QByteArray("\n\r\n  \n") << QStringList() << 2 << Kept << "holds no EID";
    QTest::newRow("heading only") << QByteArray("EID\r\n") << QStringList() << 2 << Kept << "holds no EID";
    QTest::newRow("UTF-16 heading only") << Utf16(QStringLiteral("EID\r\n"), false) << QStringList() << 2 << Kept
                                         << "holds no EID";
    QTest::newRow("blank line between values") << QByteArray("1\n\n3\n") << QStringList() << 2 << Kept
                                               << "line 2: the line is blank; write 0 for an unused entry";
    QTest::newRow("empty row between CSV rows") << QByteArray("a;EID\n1;5\n\n3;7\n") << QStringList() << 2 << Kept
                                                << "line 3, column 2: the cell is empty";
    QTest::newRow("NUL byte") << QByteArray("1\n2\n3\0\n4\n5\n", 11) << QStringList() << 2 << Kept
                              << "line 3: a NUL byte";
    QTest::newRow("UTF-16 without BOM") << Utf16(QStringLiteral("1\n2\n"), false).mid(2) << QStringList() << 2
                                        << Kept << "line 1: a NUL byte; a text file holds none (UTF-16 needs its";
    QTest::newRow("Latin-1 byte") << QByteArray("EID\n9401\nM\xFC" "ller\n") << QStringList() << 2 << Kept
                                  << "line 3: byte 0xfc is no UTF-8";
    QTest::newRow("overlong UTF-8") << QByteArray("1\n\xC0\xB1\n") << QStringList() << 2 << Kept
                                    << "line 2: byte 0xc0 is no UTF-8";
    QTest::newRow("UTF-16 cut in half a character") << Utf16(QStringLiteral("1\n"), false) + '1' << QStringList()
                                                    << 2 << Kept << "an odd number of bytes in a UTF-16 LE file";
    QTest::newRow("UTF-16 lone surrogate") << Utf16(QStringLiteral("1\n"), false) + QByteArray("\x00\xD8", 2)
                                           << QStringList() << 2 << Kept << "line 2: half of a UTF-16 LE character pair";
    QTest::newRow("UTF-32") << QByteArray("\xFF\xFE\0\0" "1\0\0\0", 8) << QStringList() << 2 << Kept
                            << "a UTF-32 file";
    QTest::newRow("above the window's range") << QByteArray("5\n20000000\n") << QStringList() << 2 << Kept
        << "line 2: EID 20000000 is outside 0 to 10000000, -1 for none; --out-of-range writes it as it is";
    QTest::newRow("above 32 bits") << QByteArray("4294967296\n") << QStringList {"--out-of-range"} << 2 << Kept
                                   << "line 1: \"4294967296\" is no EID";
    QTest::newRow("negative other than -1") << QByteArray("-2\n") << QStringList {"--out-of-range"} << 2 << Kept
                                            << "line 1: \"-2\" is no EID";
}

void TestCtlFiles::eidFiles()
{
    QFETCH(QByteArray, Bytes);
    QFETCH(QStringList, Options);
    QFETCH(int, Code);
    QFETCH(QList<qint64>, Held);
    QFETCH(QString, Said);
    const QString Input = File("list.csv");
    WriteFile(Input, Bytes);
    const Result R = Ctl(On(QStringList {"write", "eids", "-i", Input} + Options));
    QCOMPARE(R.Code, Code);
    if (Held.isEmpty()) {
        QVERIFY2(R.Err.startsWith(QStringLiteral("korvelctl: %1: ").arg(Input)) && R.Err.contains(Said),
                 qPrintable(R.Err));
        QCOMPARE(R.Err.count(QLatin1Char('\n')), 1);
        NothingSent();
        for (const qint64 Eid : CommittedEids())
            QCOMPARE(Eid, qint64(Before));
        return;
    }
    QVERIFY2(R.Err == Said, qPrintable(R.Err));
    while (Held.size() < Entries)
        Held << 0;
    QCOMPARE(CommittedEids(), Held);
    // The list written reads back from the device as the file says.
    QCOMPARE(Ctl(On({"diff", "eids", "-i", Input})).Code, 0);
}

void TestCtlFiles::paramFiles_data()
{
    QTest::addColumn<QStringList>("Arguments"); // FILE: the bytes below
    QTest::addColumn<QByteArray>("Bytes");
    QTest::addColumn<int>("Code");
    QTest::addColumn<int>("Frequency"); // RfFrequency committed after; 0: nothing sent
    QTest::addColumn<QString>("Said");  // a part of the error line
    const QStringList Write {"write", "params", "-i", "FILE"};

    QTest::newRow("UTF-16 JSON") << Write << Utf16(QStringLiteral("{\"RfFrequency\": 433}\r\n"), false) << 0 << 433
                                 << QString();
    QTest::newRow("outside the range") << Write << QByteArray("{\"RfFrequency\": 1000}") << 2 << 0
        << "\"RfFrequency\" must be a whole number from 150 to 960, not 1000; --out-of-range writes";
    QTest::newRow("outside the range, asked for") << Write + QStringList {"--out-of-range"}
                                                  << QByteArray("{\"RfFrequency\": 1000}") << 0 << 1000 << QString();
    QTest::newRow("set, asked for") << QStringList {"set", "RfFrequency=1000", "--out-of-range"} << QByteArray() << 0
                                    << 1000 << QString();
    QTest::newRow("above a register") << Write + QStringList {"--out-of-range"}
                                      << QByteArray("{\"RfFrequency\": 65536}") << 2 << 0
                                      << "\"RfFrequency\" must be a whole number from 0 to 65535, not 65536";
    QTest::newRow("file: ModbusID off the bus") << Write + QStringList {"--out-of-range"}
                                                << QByteArray("{\"ModbusID\": 250}") << 2 << 0
        << "ModbusID 250 would put the device out of reach: an RS-485 address on a bus is 1 to 247";
    QTest::newRow("set ModbusID off the bus") << QStringList {"set", "ModbusID=250", "--verify"} << QByteArray() << 2
                                              << 0 << "ModbusID 250 would put the device out of reach";
    QTest::newRow("set ModbusID 0") << QStringList {"set", "ModbusID=0", "--out-of-range"} << QByteArray() << 2 << 0
                                    << "ModbusID 0 would put the device out of reach";
    QTest::newRow("NUL in JSON") << Write << QByteArray("{\"RfSf\": 7}\n\0", 13) << 2 << 0 << "line 2: a NUL byte";
}

void TestCtlFiles::paramFiles()
{
    QFETCH(QStringList, Arguments);
    QFETCH(QByteArray, Bytes);
    QFETCH(int, Code);
    QFETCH(int, Frequency);
    QFETCH(QString, Said);
    const QString Input = File("params.json");
    WriteFile(Input, Bytes);
    Arguments.replaceInStrings(QStringLiteral("FILE"), Input);
    const quint16 Held = Device->Core().Register(40302, DeviceCore::Committed);
    const Result R = Ctl(On(Arguments));
    QVERIFY2(R.Code == Code, qPrintable(R.Err));
    if (!Frequency) {
        QVERIFY2(R.Err.contains(Said) && R.Err.count(QLatin1Char('\n')) == 1, qPrintable(R.Err));
        NothingSent();
        QCOMPARE(Device->Core().Register(40302, DeviceCore::Committed), Held);
        return;
    }
    QVERIFY2(R.Err.isEmpty(), qPrintable(R.Err));
    QCOMPARE(int(Device->Core().Register(40302, DeviceCore::Committed)), Frequency);
}

void TestCtlFiles::readSavesWhatWriteTakes()
{
    // A device holding values the window would not take.
    Device->Core().SetRegister(40302, 1000);
    Device->Core().SetRegister(40005, 9);
    Device->Core().SetEid(3, 20000000);
    Device->Core().SetEid(4, qint32(0xFFFFFFFE));
    const QString Params = File("backup.json");
    const QString Eids = File("backup.csv");
    Result R = Ctl(On({"read", "params", "-o", Params}));
    QCOMPARE(R.Code, 0);
    QCOMPARE(R.Err, QStringLiteral("korvelctl: warning: BaudRate is 9, outside the range 0 to 5 that the window and "
                                   "write take\nkorvelctl: warning: RfFrequency is 1000, outside the range 150 to 960 "
                                   "that the window and write take\n"));
    R = Ctl(On({"read", "eids", "--csv", "-o", Eids}));
    QCOMPARE(R.Code, 0);
    QVERIFY2(R.Err.contains("entry 4 holds EID 20000000, outside the range 0 to 10000000")
                 && R.Err.contains("entry 5 holds EID 4294967294"),
             qPrintable(R.Err));
    QVERIFY(ReadAll(Eids).contains("\n5,4294967294\n"));
    QVERIFY(ReadAll(Params).contains("\"RfFrequency\": 1000,"));

    // diff takes the backup as it is; write asks for --out-of-range.
    QCOMPARE(Ctl(On({"diff", "params", "-i", Params})).Code, 0);
    QCOMPARE(Ctl(On({"diff", "eids", "-i", Eids})).Code, 0);
    Device->Peer().ClearReceived();
    R = Ctl(On({"write", "params", "-i", Params}));
    QCOMPARE(R.Code, 2);
    QVERIFY2(R.Err.contains("\"BaudRate\" must be a whole number from 0 to 5, not 9"), qPrintable(R.Err));
    R = Ctl(On({"write", "eids", "-i", Eids}));
    QCOMPARE(R.Code, 2);
    NothingSent();

    // Put back on a fresh device, the backup gives the same device; a
    // BaudRate that names no speed leaves the line where it is.
    Device->Core().Reset();
    R = Ctl(On({"write", "params", "-i", Params, "--out-of-range", "--verify"}));
    QVERIFY2(R.Code == 0, qPrintable(R.Err));
    R = Ctl(On({"write", "eids", "-i", Eids, "--out-of-range", "--verify"}));
    QVERIFY2(R.Code == 0, qPrintable(R.Err));
    QCOMPARE(Device->Core().Register(40302, DeviceCore::Committed), quint16(1000));
    QCOMPARE(Device->Core().Register(40005, DeviceCore::Committed), quint16(9));
    QCOMPARE(Device->Core().Eid(4, DeviceCore::Committed), qint32(0xFFFFFFFE));
    QCOMPARE(Ctl(On({"diff", "params", "-i", Params})).Code, 0);
    QCOMPARE(Ctl(On({"diff", "eids", "-i", Eids})).Code, 0);
}

void TestCtlFiles::outputWholeOrNotThere()
{
    QVERIFY(QDir(Dir.path()).mkpath(QStringLiteral("out")));
    const QString Backup = File("out/b.csv");
    const QByteArray Good = "entry,eid\n1,9401\n";
    WriteFile(Backup, Good);
    QVERIFY(QFile::setPermissions(Backup, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadGroup));
    const auto Mode = [](const QString &Path) {
        struct stat Info {};
        return ::stat(QFile::encodeName(Path).constData(), &Info) == 0 ? int(Info.st_mode) : -1;
    };
    const int GoodMode = Mode(Backup);
    {
        // The file size limit reached halfway: the good file stays.
        SizeLimit Limit(1024);
        const Result R = Ctl(On({"read", "eids", "--csv", "-o", Backup}));
        QCOMPARE(R.Code, int(Korvelctl::OutputFailed));
        QCOMPARE(R.Err, QStringLiteral("korvelctl: cannot write %1: File too large; the file that was there is "
                                       "kept\n").arg(Backup));
    }
    QCOMPARE(ReadAll(Backup), Good);
    QCOMPARE(Mode(Backup), GoodMode);
    QCOMPARE(QDir(File("out")).entryList(QDir::Files | QDir::Hidden), QStringList {"b.csv"});
    // Replaced whole, with its mode.
    Result R = Ctl(On({"read", "eids", "--csv", "-o", Backup}));
    QCOMPARE(R.Code, 0);
    QCOMPARE(ReadAll(Backup).count('\n'), 1 + Entries);
    QCOMPARE(Mode(Backup), GoodMode);

    // A device is written in place and never replaced.
    R = Ctl(On({"read", "params", "-o", "/dev/full"}));
    QCOMPARE(R.Code, int(Korvelctl::OutputFailed));
    QCOMPARE(R.Err, QStringLiteral("korvelctl: cannot write /dev/full: No space left on device\n"));
    QVERIFY(S_ISCHR(Mode(QStringLiteral("/dev/full"))));

    // A FIFO's reader gets the file; the FIFO stays one.
    const QString Fifo = File("ff");
    QCOMPARE(::mkfifo(QFile::encodeName(Fifo).constData(), 0600), 0);
    QProcess Reader;
    Reader.start(QStringLiteral("cat"), {Fifo});
    QVERIFY(Reader.waitForStarted());
    R = Ctl(On({"read", "params", "-o", Fifo}));
    QCOMPARE(R.Code, 0);
    QVERIFY(Reader.waitForFinished(5000));
    QCOMPARE(QJsonDocument::fromJson(Reader.readAllStandardOutput()).object().size(), Expected::ParamCount);
    QVERIFY(S_ISFIFO(Mode(Fifo)));

    // "-" is standard output; a folder that is not there costs no exchange.
    R = Ctl(On({"read", "params", "-o", "-"}));
    QCOMPARE(R.Code, 0);
    QCOMPARE(QJsonDocument::fromJson(R.Out.toUtf8()).object().size(), Expected::ParamCount);
    Device->Peer().ClearReceived();
    R = Ctl(On({"read", "params", "-o", File("none/p.json")}));
    QCOMPARE(R.Code, 2);
    QCOMPARE(R.Err, QStringLiteral("korvelctl: cannot write %1: No such file or directory\n").arg(File("none/p.json")));
    NothingSent();
}

void TestCtlFiles::standardOutputChecked()
{
    // Standard output on a full device: the read is no success.
    QFile Full(QStringLiteral("/dev/full"));
    QVERIFY(Full.open(QIODevice::WriteOnly | QIODevice::Unbuffered));
    QTextStream Out(&Full);
    QString Errors;
    QTextStream Err(&Errors);
    const int Code = Korvelctl::Run(On({"read", "params"}), Out, Err);
    QCOMPARE(Code, int(Korvelctl::OutputFailed));
    QCOMPARE(Errors, QStringLiteral("korvelctl: cannot write standard output: No space left on device\n"));
}

void TestCtlFiles::commitToldAsItHappened_data()
{
    QTest::addColumn<QStringList>("Arguments"); // FILE: one EID, 9401
    QTest::addColumn<int>("Commit");            // the commit's request number, its reply garbled or lost
    QTest::addColumn<int>("Fault");
    QTest::addColumn<int>("Code");
    QTest::addColumn<QString>("Err");
    QTest::addColumn<QString>("Out");

    QTest::newRow("garbled, unverified") << QStringList {"set", "RfSf=8"} << 2 << int(DeviceFault::BadCrc) << 1
        << "korvelctl: commit with code 6 (register 40001): bad CRC; the device may have taken the change "
           "(--verify reads it back)\n" << QString();
    QTest::newRow("garbled, verified") << QStringList {"set", "RfSf=8", "--verify"} << 2 << int(DeviceFault::BadCrc)
        << 0 << "korvelctl: the reply to the commit was lost or garbled (bad CRC); reading the values back\n"
        << "1 parameter written and committed, verified\n";
    QTest::newRow("lost, moved away, verified") << QStringList {"set", "ModbusID=33", "--verify", "--wait", "50"} << 2
        << int(DeviceFault::Silence) << 1
        << "korvelctl: the reply to the commit was lost or garbled (no reply within 0.05 s); reading the values back\n"
           "korvelctl: the reply to the commit was lost or garbled (no reply within 0.05 s); verify: reading ModbusID "
           "(register 40003): no reply within 0.05 s at address 33, 9600 Bd\n" << QString();
    QTest::newRow("EIDs garbled, verified") << QStringList {"write", "eids", "-i", "FILE", "--verify"} << 9
        << int(DeviceFault::ExtraBytes) << 0
        << "korvelctl: the reply to the commit was lost or garbled (9 bytes instead of 8); reading the list back\n"
        << "200 EIDs written and committed, verified\n";
    QTest::newRow("EIDs garbled, unverified") << QStringList {"write", "eids", "-i", "FILE"} << 9
        << int(DeviceFault::BadCrc) << 1
        << "korvelctl: commit with code 8 (register 40001): bad CRC; the device may have taken the list (--verify "
           "reads it back)\n" << QString();
}

void TestCtlFiles::commitToldAsItHappened()
{
    QFETCH(QStringList, Arguments);
    QFETCH(int, Commit);
    QFETCH(int, Fault);
    QFETCH(int, Code);
    QFETCH(QString, Err);
    QFETCH(QString, Out);
    const QString Input = File("one.txt");
    WriteFile(Input, "9401\n");
    Arguments.replaceInStrings(QStringLiteral("FILE"), Input);
    DeviceFault Garble;
    Garble.What = DeviceFault::Kind(Fault);
    Garble.Nth = Commit;
    Device->Core().AddFault(Garble);
    const Result R = Ctl(On(Arguments));
    QCOMPARE(R.Err, Err);
    QCOMPARE(R.Out, Out);
    QCOMPARE(R.Code, Code);
    // The commit reached the device, whatever its reply.
    QCOMPARE(Device->Replies().at(Commit - 1).Request.mid(1, 3), QByteArray::fromHex("069C41"));
}

void TestCtlFiles::failuresAsJson_data()
{
    QTest::addColumn<QStringList>("Arguments");
    QTest::addColumn<int>("Silent"); // the device's first silent request, 0: none; -1 echoes, -2 functions differ
    QTest::addColumn<int>("Code");
    QTest::addColumn<QString>("Fault");
    QTest::addColumn<QJsonObject>("Transaction"); // its kind and register, or empty

    const auto Kind = [](const char *What, int Register) {
        return QJsonObject {{"kind", What}, {"register", Register}};
    };
    QTest::newRow("diff, bad file") << QStringList {"diff", "params", "-i", "BAD", "--json"} << 0 << 2 << "usage"
                                    << QJsonObject();
    QTest::newRow("set, bad value") << QStringList {"set", "RfSf=99", "--json"} << 0 << 2 << "usage" << QJsonObject();
    QTest::newRow("unknown option") << QStringList {"probe", "--json", "--speed"} << 0 << 2 << "usage"
                                    << QJsonObject();
    QTest::newRow("write params, silent") << QStringList {"write", "params", "-i", "GOOD", "--json", "--wait", "30"}
                                          << 2 << 1 << "no-reply" << Kind("param-write", 40304);
    QTest::newRow("set, echo differs") << QStringList {"set", "RfSf=8", "--json"} << -1 << 1 << "wrong-echo"
                                       << Kind("param-write", 40304);
    QTest::newRow("set at 17, echo differs") << QStringList {"set", "RfSf=8", "--address", "17", "--json"} << -1 << 1
                                             << "wrong-echo" << Kind("param-write", 40304);
    QTest::newRow("diff at 17, function 0x04")
        << QStringList {"diff", "params", "-i", "GOOD", "--address", "17", "--json"} << -2 << 1 << "wrong-function"
        << Kind("param-read", 40003);
    QTest::newRow("diff, silent") << QStringList {"diff", "eids", "-i", "LIST", "--json", "--wait", "30"} << 3 << 1
                                  << "no-reply" << Kind("eid-read", 47101);
    QTest::newRow("scan, nobody") << QStringList {"scan", "--from", "30", "--to", "31", "--wait", "10", "--json"} << 0
                                  << 1 << "no-device" << QJsonObject();
}

void TestCtlFiles::failuresAsJson()
{
    QFETCH(QStringList, Arguments);
    QFETCH(int, Silent);
    QFETCH(int, Code);
    QFETCH(QString, Fault);
    QFETCH(QJsonObject, Transaction);
    WriteFile(File("bad.json"), "{\"RfSf\": 70000}");
    WriteFile(File("good.json"), "{\"ModbusID\": 17, \"RfSf\": 7}");
    WriteFile(File("list.txt"), "1\n");
    Arguments.replaceInStrings(QStringLiteral("BAD"), File("bad.json"));
    Arguments.replaceInStrings(QStringLiteral("GOOD"), File("good.json"));
    Arguments.replaceInStrings(QStringLiteral("LIST"), File("list.txt"));
    if (Silent > 0)
        Device->Core().AddFault({DeviceFault::Silence, Silent});
    if (Silent == -1)
        Device->Core().AddFault({DeviceFault::EchoValue, 1});
    if (Silent == -2) {
        Device->SetReplyHook([](DeviceReply &Reply) {
            if (!Reply.Chunks.isEmpty())
                Reply.Chunks = {Expected::Altered(Reply.Bytes(), 1, 0x04)};
        });
    }
    const Result R = Ctl(On(Arguments));
    QCOMPARE(R.Code, Code);
    // One object and nothing else on standard output.
    QJsonParseError Parse;
    const QJsonObject Failure = QJsonDocument::fromJson(R.Out.toUtf8(), &Parse).object();
    QVERIFY2(Parse.error == QJsonParseError::NoError && R.Out.endsWith("}\n"), qPrintable(R.Out));
    QCOMPARE(Failure.value("exit").toInt(-1), Code);
    QCOMPARE(Failure.value("fault").toString(), Fault);
    QVERIFY2(R.Err.startsWith(QStringLiteral("korvelctl: ") + Failure.value("message").toString() + '\n'),
             qPrintable(R.Err));
    const QJsonObject Where = Failure.value("transaction").toObject();
    QCOMPARE(Where.value("kind"), Transaction.value("kind"));
    QCOMPARE(Where.value("register"), Transaction.value("register"));
    if (Fault == QLatin1String("no-device"))
        QCOMPARE(Failure.value("devices").toArray(), QJsonArray());
}

void TestCtlFiles::namesAsBytes()
{
    // Names as a shell hands them over on a system whose names are not
    // all UTF-8: each opens, and a message shows the byte.
    const QByteArray Raw = QFile::encodeName(Dir.path()) + "/bad-\xFF.txt";
    const QString Name = CtlIo::FromArgument(Raw);
    QCOMPARE(CtlIo::NativeName(Name), Raw);
    const int Fd = ::open(Raw.constData(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    QVERIFY(Fd >= 0);
    QCOMPARE(::write(Fd, "9701\n", 5), ssize_t(5));
    ::close(Fd);
    Result R = Ctl(On({"write", "eids", "-i", Name}));
    QVERIFY2(R.Code == 0, qPrintable(R.Err));
    QCOMPARE(Device->Core().Eid(0, DeviceCore::Committed), 9701);

    const QByteArray Out = QFile::encodeName(Dir.path()) + "/x\xFF\xFE.json";
    R = Ctl(On({"read", "params", "-o", CtlIo::FromArgument(Out)}));
    QCOMPARE(R.Code, 0);
    QCOMPARE(::access(Out.constData(), F_OK), 0);
    // QTemporaryDir cannot name these to remove them.
    QCOMPARE(::unlink(Out.constData()), 0);
    QCOMPARE(::unlink(Raw.constData()), 0);
    R = Ctl(On({"write", "eids", "-i", CtlIo::FromArgument(Raw + ".gone")}));
    QCOMPARE(R.Err, QStringLiteral("korvelctl: cannot read %1/bad-\\xFF.txt.gone: No such file or directory\n")
                        .arg(Dir.path()));
    // Valid UTF-8, four-byte characters included, stays as it is.
    const QByteArray Cyrillic = "/tmp/\xD0\xBF\xD0\xB0\xD1\x80\xF0\x9F\x93\xA1";
    QCOMPARE(CtlIo::FromArgument(Cyrillic), QString::fromUtf8(Cyrillic));
    QCOMPARE(CtlIo::NativeName(CtlIo::FromArgument(Cyrillic)), Cyrillic);
}

void TestCtlFiles::scanNamesLateReply()
{
    // The device at 5 is slower than the wait: its reply lands while 6 is
    // asked. 6 is asked again, not blamed; 5 is named as late.
    int AskedSix = 0;
    Device->SetReplyHook([&](DeviceReply &Reply) {
        const int To = quint8(Reply.Request.at(0));
        Reply.Chunks.clear();
        if (To == 6 && ++AskedSix == 1)
            Reply.Chunks = {IdReply(5)};
        else if (To == 8)
            Reply.Chunks = {IdReply(8)};
    });
    const Result R = Ctl(On({"scan", "--from", "4", "--to", "9", "--wait", "30", "--json"}));
    QCOMPARE(R.Code, 0);
    QCOMPARE(R.Err, QStringLiteral("korvelctl: address 5: fault on the bus: replied after the wait of 30 ms\n"));
    const QJsonObject Json = QJsonDocument::fromJson(R.Out.toUtf8()).object();
    QCOMPARE(Json.value("devices").toArray(), (QJsonArray {QJsonObject {{"address", 8}, {"ModbusID", 8}}}));
    QCOMPARE(Json.value("faults").toArray(),
             (QJsonArray {QJsonObject {{"address", 5}, {"fault", "replied after the wait of 30 ms"}}}));
    QCOMPARE(AskedSix, 2);
}

QTEST_GUILESS_MAIN(TestCtlFiles)
#include "tst_ctlfiles.moc"
