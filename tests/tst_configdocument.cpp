#include <QtTest>

#include <QJsonDocument>
#include <random>

#include "ConfigDocument.h"
#include "LogCapture.h"

using namespace ConfigDocument;

namespace {

QJsonObject Doc(const char *Json)
{
    QJsonParseError Error;
    const QJsonDocument Parsed = QJsonDocument::fromJson(QByteArray(Json), &Error);
    if (Error.error != QJsonParseError::NoError || !Parsed.isObject())
        qFatal("bad fixture: %s", Json);
    return Parsed.object();
}

const char *const ParamRequest =
    R"({"TabText":"ParamSet","operate":"Read","ParamArray":[{"ParamName":"ModbusID","RegisterAddr":40003,"ParamValue":1}]})";
const char *const EidRequest =
    R"({"TabText":"EidSet","operate":"Read","ParamArray":[{"ParamName":"Eid","RegisterAddr":47001,"ParamValue":7}]})";
const char *const ParamReply =
    R"({"TabText":"ParamSet","operate":"ReadAck","ParamArray":[{"ParamName":"ModbusID","RegisterAddr":40003,"ParamValue":17}]})";
const char *const EidReply =
    R"({"TabText":"EidSet","operate":"ReadAck","ParamArray":[]})";

// A JSON value of random shape, nested at most Depth deep.
QJsonValue RandomValue(std::mt19937 &Random, int Depth)
{
    static const char *const Strings[] = { "ParamSet", "EidSet", "Read", "ReadAck", "paramset",
                                           "", "Eid", "TabText", "ParamArray" };
    static const double Numbers[] = { 0, 1, -1, 40003, 47001, 0.5, 2147483647.0, 2147483648.0,
                                      -2147483648.0, -2147483649.0, 1e300, -1e300, 4e9 };
    switch (std::uniform_int_distribution<int>(0, Depth > 0 ? 6 : 4)(Random)) {
    case 0: return QJsonValue();
    case 1: return QJsonValue(bool(Random() & 1));
    case 2: return Numbers[Random() % (sizeof Numbers / sizeof *Numbers)];
    case 3: return QString::fromLatin1(Strings[Random() % (sizeof Strings / sizeof *Strings)]);
    case 4: return QJsonValue(int(Random()));
    case 5: {
        QJsonArray Array;
        const int Size = int(Random() % 6);
        for (int i = 0; i < Size; ++i)
            Array.append(RandomValue(Random, Depth - 1));
        return Array;
    }
    default: {
        static const QString Keys[] = { KeyTabText, KeyOperate, KeyParamArray, KeyParamName,
                                        KeyRegisterAddr, KeyParamValue, QStringLiteral("tabtext") };
        QJsonObject Object;
        const int Size = int(Random() % 7);
        for (int i = 0; i < Size; ++i)
            Object.insert(Keys[Random() % 7], RandomValue(Random, Depth - 1));
        return Object;
    }
    }
}

} // namespace

class tst_configdocument : public QObject
{
    Q_OBJECT

private slots:
    void newDocuments_data();
    void newDocuments();

    void requestHeader_data();
    void requestHeader();
    void requestArray_data();
    void requestArray();

    void replyHeader_data();
    void replyHeader();
    void replyArray_data();
    void replyArray();

    void entryFields_data();
    void entryFields();

    void logText();
    void anyDocumentIsSafe();
};

void tst_configdocument::newDocuments_data()
{
    QTest::addColumn<QJsonObject>("built");
    QTest::addColumn<QJsonObject>("expected");

    QTest::newRow("param request") << NewRequest(KindParamSet)
                                   << Doc(R"({"TabText":"ParamSet","operate":"Read"})");
    QTest::newRow("eid request") << NewRequest(KindEidSet)
                                 << Doc(R"({"TabText":"EidSet","operate":"Read"})");
    QTest::newRow("param reply") << NewReply(KindParamSet)
                                 << Doc(R"({"TabText":"ParamSet","operate":"ReadAck"})");
    QTest::newRow("eid reply") << NewReply(KindEidSet)
                               << Doc(R"({"TabText":"EidSet","operate":"ReadAck"})");
    QTest::newRow("entry") << MakeEntry(QStringLiteral("ModbusID"), 40003, 1)
                           << Doc(R"({"ParamName":"ModbusID","RegisterAddr":40003,"ParamValue":1})");
    QTest::newRow("entry -1") << MakeEntry(QStringLiteral("Eid"), 47399, -1)
                              << Doc(R"({"ParamName":"Eid","RegisterAddr":47399,"ParamValue":-1})");
}

void tst_configdocument::newDocuments()
{
    QFETCH(QJsonObject, built);
    QFETCH(QJsonObject, expected);
    QCOMPARE(built, expected);
}

void tst_configdocument::requestHeader_data()
{
    QTest::addColumn<QJsonObject>("doc");
    QTest::addColumn<QString>("kind");
    QTest::addColumn<bool>("logObjIsNull");
    QTest::addColumn<bool>("logTabText");
    QTest::addColumn<bool>("ok");
    QTest::addColumn<QStringList>("lines");

    const QStringList None;
    const QStringList TabTextLine{ QStringLiteral("TabText:ParamSet") };
    const QStringList ObjIsNull{ QStringLiteral("Obj is Null") };

    // As the four exchanges call it: parameter read/write, EID read/write.
    QTest::newRow("param read") << Doc(ParamRequest) << KindParamSet << false << true << true << TabTextLine;
    QTest::newRow("param write") << Doc(ParamRequest) << KindParamSet << true << true << true << TabTextLine;
    QTest::newRow("eid read") << Doc(EidRequest) << KindEidSet << false << false << true << None;
    QTest::newRow("eid write") << Doc(EidRequest) << KindEidSet << true << false << true << None;

    QTest::newRow("empty, param read") << QJsonObject() << KindParamSet << false << true << false << None;
    QTest::newRow("empty, param write") << QJsonObject() << KindParamSet << true << true << false << ObjIsNull;
    QTest::newRow("empty, eid read") << QJsonObject() << KindEidSet << false << false << false << None;
    QTest::newRow("empty, eid write") << QJsonObject() << KindEidSet << true << false << false << ObjIsNull;

    QTest::newRow("eid request to param exchange") << Doc(EidRequest) << KindParamSet << true << true << false << None;
    QTest::newRow("param request to eid exchange") << Doc(ParamRequest) << KindEidSet << true << false << false << None;
    QTest::newRow("TabText the number 1") << Doc(R"({"TabText":1,"operate":"Read","ParamArray":[]})")
                                          << KindParamSet << true << true << false << None;
    QTest::newRow("TabText lower case") << Doc(R"({"TabText":"paramset","operate":"Read","ParamArray":[]})")
                                        << KindParamSet << true << true << false << None;
    QTest::newRow("TabText upper case") << Doc(R"({"TabText":"EIDSET","operate":"Read","ParamArray":[]})")
                                        << KindEidSet << true << false << false << None;
    QTest::newRow("TabText trailing space") << Doc(R"({"TabText":"ParamSet ","operate":"Read"})")
                                            << KindParamSet << true << true << false << None;
    QTest::newRow("TabText in an array") << Doc(R"({"TabText":["ParamSet"],"operate":"Read"})")
                                         << KindParamSet << true << true << false << None;
    QTest::newRow("TabText missing") << Doc(R"({"operate":"Read","ParamArray":[]})")
                                     << KindParamSet << true << true << false << None;
    QTest::newRow("key name case") << Doc(R"({"tabText":"ParamSet","operate":"Read","ParamArray":[]})")
                                   << KindParamSet << true << true << false << None;

    QTest::newRow("operate ReadAck") << Doc(R"({"TabText":"ParamSet","operate":"ReadAck","ParamArray":[]})")
                                     << KindParamSet << true << true << false << TabTextLine;
    QTest::newRow("operate ReadAck, eid") << Doc(R"({"TabText":"EidSet","operate":"ReadAck","ParamArray":[]})")
                                          << KindEidSet << true << false << false << None;
    QTest::newRow("operate Write") << Doc(R"({"TabText":"ParamSet","operate":"Write"})")
                                   << KindParamSet << true << true << false << TabTextLine;
    QTest::newRow("operate lower case") << Doc(R"({"TabText":"ParamSet","operate":"read"})")
                                        << KindParamSet << false << true << false << TabTextLine;
    QTest::newRow("operate missing") << Doc(R"({"TabText":"ParamSet","ParamArray":[]})")
                                     << KindParamSet << false << true << false << TabTextLine;
    QTest::newRow("operate a number") << Doc(R"({"TabText":"EidSet","operate":0})")
                                      << KindEidSet << true << false << false << None;
    QTest::newRow("Operate key case") << Doc(R"({"TabText":"EidSet","Operate":"Read"})")
                                      << KindEidSet << true << false << false << None;
    // The header tests leave "ParamArray" to the array test.
    QTest::newRow("no ParamArray") << Doc(R"({"TabText":"ParamSet","operate":"Read"})")
                                   << KindParamSet << false << true << true << TabTextLine;
}

void tst_configdocument::requestHeader()
{
    QFETCH(QJsonObject, doc);
    QFETCH(QString, kind);
    QFETCH(bool, logObjIsNull);
    QFETCH(bool, logTabText);
    QFETCH(bool, ok);
    QFETCH(QStringList, lines);

    LogCapture Log;
    QCOMPARE(RequestHeaderOk(doc, kind, logObjIsNull, logTabText), ok);
    QCOMPARE(Log.Lines(), lines);
}

void tst_configdocument::requestArray_data()
{
    QTest::addColumn<QJsonObject>("doc");
    QTest::addColumn<bool>("ok");
    QTest::addColumn<int>("size");

    QTest::newRow("one entry") << Doc(ParamRequest) << true << 1;
    QTest::newRow("empty array") << Doc(R"({"TabText":"EidSet","operate":"Read","ParamArray":[]})") << true << 0;
    QTest::newRow("mixed elements") << Doc(R"({"ParamArray":[1,"x",{},null]})") << true << 4;
    QTest::newRow("missing") << Doc(R"({"TabText":"ParamSet","operate":"Read"})") << false << 0;
    QTest::newRow("a string") << Doc(R"({"ParamArray":"[]"})") << false << 0;
    QTest::newRow("an object") << Doc(R"({"ParamArray":{"0":{}}})") << false << 0;
    QTest::newRow("null") << Doc(R"({"ParamArray":null})") << false << 0;
    QTest::newRow("key case") << Doc(R"({"paramArray":[{}]})") << false << 0;
}

void tst_configdocument::requestArray()
{
    QFETCH(QJsonObject, doc);
    QFETCH(bool, ok);
    QFETCH(int, size);

    QJsonArray Entries{ QStringLiteral("left as it was") };
    QCOMPARE(RequestArray(doc, &Entries), ok);
    QCOMPARE(RequestArray(doc, nullptr), ok);
    if (ok) {
        QCOMPARE(Entries.size(), size);
        QCOMPARE(Entries, doc.value(KeyParamArray).toArray());
    }
}

void tst_configdocument::replyHeader_data()
{
    QTest::addColumn<QJsonObject>("doc");
    QTest::addColumn<QString>("kind");
    QTest::addColumn<bool>("logKindOk");
    QTest::addColumn<bool>("ok");
    QTest::addColumn<QStringList>("lines");

    const QStringList None;
    const QStringList KindOk{ QStringLiteral("ParamSet ok") };
    const QStringList Both{ QStringLiteral("ParamSet ok"), QStringLiteral("ReadAck ok") };
    const QStringList AckOk{ QStringLiteral("ReadAck ok") };

    // As the two apply functions call it.
    QTest::newRow("param reply") << Doc(ParamReply) << KindParamSet << true << true << Both;
    QTest::newRow("eid reply") << Doc(EidReply) << KindEidSet << false << true << AckOk;
    QTest::newRow("built reply") << NewReply(KindParamSet) << KindParamSet << true << true << Both;

    QTest::newRow("empty, param") << QJsonObject() << KindParamSet << true << false << None;
    QTest::newRow("empty, eid") << QJsonObject() << KindEidSet << false << false << None;
    QTest::newRow("eid reply to param apply") << Doc(EidReply) << KindParamSet << true << false << None;
    QTest::newRow("param reply to eid apply") << Doc(ParamReply) << KindEidSet << false << false << None;
    QTest::newRow("TabText a number") << Doc(R"({"TabText":1,"operate":"ReadAck"})")
                                      << KindParamSet << true << false << None;
    QTest::newRow("TabText case") << Doc(R"({"TabText":"Paramset","operate":"ReadAck"})")
                                  << KindParamSet << true << false << None;
    QTest::newRow("operate Read, param") << Doc(R"({"TabText":"ParamSet","operate":"Read","ParamArray":[]})")
                                         << KindParamSet << true << false << KindOk;
    QTest::newRow("operate Read, eid") << Doc(R"({"TabText":"EidSet","operate":"Read","ParamArray":[]})")
                                       << KindEidSet << false << false << None;
    QTest::newRow("operate case") << Doc(R"({"TabText":"ParamSet","operate":"Readack"})")
                                  << KindParamSet << true << false << KindOk;
    QTest::newRow("operate missing") << Doc(R"({"TabText":"EidSet"})") << KindEidSet << false << false << None;
    QTest::newRow("ParamArray a string") << Doc(R"({"TabText":"ParamSet","operate":"ReadAck","ParamArray":"x"})")
                                         << KindParamSet << true << true << Both;
}

void tst_configdocument::replyHeader()
{
    QFETCH(QJsonObject, doc);
    QFETCH(QString, kind);
    QFETCH(bool, logKindOk);
    QFETCH(bool, ok);
    QFETCH(QStringList, lines);

    LogCapture Log;
    QCOMPARE(ReplyHeaderOk(doc, kind, logKindOk), ok);
    QCOMPARE(Log.Lines(), lines);
}

void tst_configdocument::replyArray_data()
{
    QTest::addColumn<QJsonObject>("doc");
    QTest::addColumn<QJsonArray>("expected");

    QTest::newRow("one entry") << Doc(ParamReply)
                               << Doc(ParamReply).value(QStringLiteral("ParamArray")).toArray();
    QTest::newRow("mixed elements") << Doc(R"({"ParamArray":[1,"x",{}]})")
                                    << QJsonArray{ 1, QStringLiteral("x"), QJsonObject() };
    QTest::newRow("a string") << Doc(R"({"ParamArray":"x"})") << QJsonArray();
    QTest::newRow("a number") << Doc(R"({"ParamArray":14})") << QJsonArray();
    QTest::newRow("an object") << Doc(R"({"ParamArray":{"a":[1]}})") << QJsonArray();
    QTest::newRow("null") << Doc(R"({"ParamArray":null})") << QJsonArray();
    QTest::newRow("missing") << Doc(R"({"TabText":"EidSet"})") << QJsonArray();
    QTest::newRow("key case") << Doc(R"({"Paramarray":[1]})") << QJsonArray();
}

void tst_configdocument::replyArray()
{
    QFETCH(QJsonObject, doc);
    QFETCH(QJsonArray, expected);
    QCOMPARE(ReplyArray(doc), expected);
}

void tst_configdocument::entryFields_data()
{
    QTest::addColumn<QJsonObject>("entry");
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("reg");
    QTest::addColumn<int>("value");

    QTest::newRow("full") << Doc(R"({"ParamName":"ModbusID","RegisterAddr":40003,"ParamValue":17})")
                          << "ModbusID" << 40003 << 17;
    QTest::newRow("negative") << Doc(R"({"ParamName":"Eid","RegisterAddr":47001,"ParamValue":-1})")
                              << "Eid" << 47001 << -1;
    QTest::newRow("int limits") << Doc(R"({"RegisterAddr":2147483647,"ParamValue":-2147483648})")
                                << "" << 2147483647 << int(-2147483647 - 1);
    QTest::newRow("all missing") << QJsonObject() << "" << 0 << 0;
    QTest::newRow("value missing") << Doc(R"({"ParamName":"RfSf","RegisterAddr":40304})") << "RfSf" << 40304 << 0;
    QTest::newRow("register missing") << Doc(R"({"ParamName":"RfSf","ParamValue":9})") << "RfSf" << 0 << 9;
    QTest::newRow("numbers as strings") << Doc(R"({"ParamName":"x","RegisterAddr":"40003","ParamValue":"17"})")
                                        << "x" << 0 << 0;
    QTest::newRow("name a number") << Doc(R"({"ParamName":5,"RegisterAddr":40003,"ParamValue":1})")
                                   << "" << 40003 << 1;
    QTest::newRow("not whole") << Doc(R"({"RegisterAddr":40003.5,"ParamValue":0.25})") << "" << 0 << 0;
    QTest::newRow("beyond int") << Doc(R"({"RegisterAddr":2147483648,"ParamValue":-2147483649})") << "" << 0 << 0;
    QTest::newRow("huge") << Doc(R"({"RegisterAddr":1e300,"ParamValue":-1e300})") << "" << 0 << 0;
    QTest::newRow("bool and null") << Doc(R"({"ParamName":true,"RegisterAddr":true,"ParamValue":null})")
                                   << "" << 0 << 0;
    QTest::newRow("array and object") << Doc(R"({"ParamName":["a"],"RegisterAddr":[40003],"ParamValue":{"v":1}})")
                                      << "" << 0 << 0;
    QTest::newRow("key names case") << Doc(R"({"paramName":"a","registerAddr":40003,"paramvalue":1})")
                                    << "" << 0 << 0;
}

void tst_configdocument::entryFields()
{
    QFETCH(QJsonObject, entry);
    QFETCH(QString, name);
    QFETCH(int, reg);
    QFETCH(int, value);
    QCOMPARE(EntryName(entry), name);
    QCOMPARE(EntryRegister(entry), reg);
    QCOMPARE(EntryValue(entry), value);
}

void tst_configdocument::logText()
{
    QJsonObject Request = NewRequest(KindEidSet);
    Request.insert(KeyParamArray, QJsonArray{ MakeEntry(QStringLiteral("Eid"), 47001, -1) });
    const QString Expected = QStringLiteral(
        "{\n"
        "    \"ParamArray\": [\n"
        "        {\n"
        "            \"ParamName\": \"Eid\",\n"
        "            \"ParamValue\": -1,\n"
        "            \"RegisterAddr\": 47001\n"
        "        }\n"
        "    ],\n"
        "    \"TabText\": \"EidSet\",\n"
        "    \"operate\": \"Read\"\n"
        "}\n");
    QCOMPARE(ToLogText(Request), Expected);
    QCOMPARE(ToLogText(QJsonObject()), QStringLiteral("{\n}\n"));
}

// Documents of any shape go through every test and reader; whatever they
// accept must really have the shape they accept.
void tst_configdocument::anyDocumentIsSafe()
{
    std::mt19937 Random(31337u);
    int Accepted = 0;
    LogCapture Log;
    for (int Round = 0; Round < 3000; ++Round) {
        QJsonObject Document = RandomValue(Random, 3).toObject();
        // Often give it a valid head so the later tests are reached.
        if (Round % 3 == 0) {
            Document.insert(KeyTabText, Round % 2 ? KindEidSet : KindParamSet);
            Document.insert(KeyOperate, Round % 4 ? OperateRead : OperateReadAck);
        }
        for (const QString &Kind : { KindParamSet, KindEidSet }) {
            if (RequestHeaderOk(Document, Kind, true, true)) {
                ++Accepted;
                QCOMPARE(Document.value(KeyTabText).toString(), Kind);
                QCOMPARE(Document.value(KeyOperate).toString(), OperateRead);
            }
            if (ReplyHeaderOk(Document, Kind, true)) {
                ++Accepted;
                QCOMPARE(Document.value(KeyTabText).toString(), Kind);
                QCOMPARE(Document.value(KeyOperate).toString(), OperateReadAck);
            }
        }
        QJsonArray Entries;
        if (RequestArray(Document, &Entries))
            QVERIFY(Document.value(KeyParamArray).isArray());
        const QJsonArray Array = ReplyArray(Document);
        QVERIFY(Document.value(KeyParamArray).isArray() || Array.isEmpty());
        for (const QJsonValue &Element : Array) {
            const QJsonObject Entry = Element.toObject();
            EntryName(Entry);
            EntryRegister(Entry);
            EntryValue(Entry);
        }
        EntryName(Document);
        EntryRegister(Document);
        EntryValue(Document);
        QVERIFY(ToLogText(Document).startsWith(QLatin1Char('{')));
    }
    QVERIFY(Accepted > 0);
}

QTEST_GUILESS_MAIN(tst_configdocument)
#include "tst_configdocument.moc"
