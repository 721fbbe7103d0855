// The EID list as a document: the fields collected into a request, and a
// reply applied back into the fields.

#include "LogCapture.h"
#include "OrvaneUI.h"

#include <QJsonArray>
#include <QJsonObject>
#include <QLineEdit>
#include <QtTest>

namespace {

QStringList Marked()
{
    QStringList List;
    for (int I = 0; I < EidCount; ++I)
        List.append(QStringLiteral("m%1").arg(I));
    return List;
}

QJsonObject Entry(const QJsonValue &Register, const QJsonValue &Value)
{
    QJsonObject Object;
    Object.insert(QStringLiteral("ParamName"), QStringLiteral("Eid"));
    if (!Register.isUndefined())
        Object.insert(QStringLiteral("RegisterAddr"), Register);
    if (!Value.isUndefined())
        Object.insert(QStringLiteral("ParamValue"), Value);
    return Object;
}

QJsonObject Reply(const QJsonArray &Entries, const QJsonValue &TabText = QStringLiteral("EidSet"),
                  const QJsonValue &Operate = QStringLiteral("ReadAck"))
{
    QJsonObject Doc;
    Doc.insert(QStringLiteral("TabText"), TabText);
    Doc.insert(QStringLiteral("operate"), Operate);
    Doc.insert(QStringLiteral("ParamArray"), Entries);
    return Doc;
}

QStringList With(QStringList List, int Slot, const QString &Text)
{
    List[Slot] = Text;
    return List;
}

} // namespace

class tst_eidset : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();

    void collectEmptyList();
    void collectText_data();
    void collectText();
    void collectChangesNothing();

    void apply_data();
    void apply();

private:
    void SetList(const QStringList &Texts);
    QStringList List() const;

    OrvaneUI *W = nullptr;
};

void tst_eidset::initTestCase()
{
    W = new OrvaneUI();
    QVERIFY(W->Construct());
}

void tst_eidset::cleanupTestCase()
{
    delete W;
}

void tst_eidset::SetList(const QStringList &Texts)
{
    for (int I = 0; I < EidCount; ++I)
        W->QLineEdit_Eid[I]->setText(Texts.at(I));
}

QStringList tst_eidset::List() const
{
    QStringList Texts;
    for (int I = 0; I < EidCount; ++I)
        Texts.append(W->QLineEdit_Eid[I]->text());
    return Texts;
}

void tst_eidset::collectEmptyList()
{
    SetList(QVector<QString>(EidCount).toList());
    const QJsonObject Request = W->CollectEidSet();

    QCOMPARE(Request.keys(), (QStringList{"ParamArray", "TabText", "operate"}));
    QCOMPARE(Request.value("TabText"), QJsonValue(QStringLiteral("EidSet")));
    QCOMPARE(Request.value("operate"), QJsonValue(QStringLiteral("Read")));
    QVERIFY(Request.value("ParamArray").isArray());
    const QJsonArray Entries = Request.value("ParamArray").toArray();
    QCOMPARE(Entries.size(), 200);
    for (int I = 0; I < EidCount; ++I) {
        const QJsonObject E = Entries.at(I).toObject();
        QCOMPARE(E.keys(), (QStringList{"ParamName", "ParamValue", "RegisterAddr"}));
        QCOMPARE(E.value("ParamName"), QJsonValue(QStringLiteral("Eid")));
        QCOMPARE(E.value("RegisterAddr"), QJsonValue(47001 + 2 * I));
        QCOMPARE(E.value("ParamValue"), QJsonValue(0));
    }
}

void tst_eidset::collectText_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("value");
    QTest::newRow("leading zeros") << "007" << 7;
    QTest::newRow("empty") << "" << 0;
    QTest::newRow("plain") << "1234567" << 1234567;
    QTest::newRow("validator top") << "10000000" << 10000000;
    QTest::newRow("negative") << "-1" << -1;
    QTest::newRow("largest int") << "2147483647" << 2147483647;
    QTest::newRow("past largest int") << "2147483648" << 0;
    QTest::newRow("smallest int") << "-2147483648" << int(-2147483647 - 1);
    QTest::newRow("past smallest int") << "-2147483649" << 0;
    QTest::newRow("letters") << "abc" << 0;
    QTest::newRow("trailing letter") << "12a" << 0;
    QTest::newRow("hex") << "0x1F" << 0;
    QTest::newRow("fraction") << "1.5" << 0;
    QTest::newRow("inner space") << "12 34" << 0;
}

void tst_eidset::collectText()
{
    QFETCH(QString, text);
    QFETCH(int, value);
    SetList(Marked());
    for (const int Slot : {0, 57, 199})
        W->QLineEdit_Eid[Slot]->setText(text);

    const QJsonArray Entries = W->CollectEidSet().value("ParamArray").toArray();
    QCOMPARE(Entries.size(), 200);
    for (const int Slot : {0, 57, 199}) {
        const QJsonObject E = Entries.at(Slot).toObject();
        QCOMPARE(E.value("RegisterAddr"), QJsonValue(47001 + 2 * Slot));
        QCOMPARE(E.value("ParamValue"), QJsonValue(value));
    }
    // The marks are not numbers: their slots carry 0.
    QCOMPARE(Entries.at(1).toObject().value("ParamValue"), QJsonValue(0));
}

void tst_eidset::collectChangesNothing()
{
    QStringList Texts = Marked();
    Texts[3] = QStringLiteral("007");
    Texts[4] = QString();
    SetList(Texts);
    LogCapture Log;
    W->CollectEidSet();
    QCOMPARE(List(), Texts);
    QVERIFY(Log.Lines().isEmpty());
}

void tst_eidset::apply_data()
{
    QTest::addColumn<QJsonObject>("reply");
    QTest::addColumn<QStringList>("after");
    QTest::addColumn<bool>("readAckLine");

    const QStringList M = Marked();
    const QJsonValue None; // undefined: key left out

    QTest::newRow("47001 to slot 0") << Reply({Entry(47001, 11)}) << With(M, 0, "11") << true;
    QTest::newRow("47002 to slot 0") << Reply({Entry(47002, 12)}) << With(M, 0, "12") << true;
    QTest::newRow("47003 to slot 1") << Reply({Entry(47003, 13)}) << With(M, 1, "13") << true;
    QTest::newRow("47399 to slot 199") << Reply({Entry(47399, 14)}) << With(M, 199, "14") << true;
    QTest::newRow("47400 to slot 199") << Reply({Entry(47400, 15)}) << With(M, 199, "15") << true;
    QTest::newRow("47000 ignored") << Reply({Entry(47000, 16)}) << M << true;
    QTest::newRow("47401 ignored") << Reply({Entry(47401, 17)}) << M << true;
    QTest::newRow("0 ignored") << Reply({Entry(0, 18)}) << M << true;
    QTest::newRow("negative ignored") << Reply({Entry(-47001, 19)}) << M << true;
    QTest::newRow("largest int ignored") << Reply({Entry(2147483647, 20)}) << M << true;
    QTest::newRow("past int ignored") << Reply({Entry(1e12, 20)}) << M << true;
    QTest::newRow("fraction ignored") << Reply({Entry(47001.5, 21)}) << M << true;
    QTest::newRow("text address ignored") << Reply({Entry("47001", 22)}) << M << true;
    QTest::newRow("no address ignored") << Reply({Entry(None, 23)}) << M << true;
    QTest::newRow("minus one") << Reply({Entry(47011, -1)}) << With(M, 5, "-1") << true;
    QTest::newRow("smallest int")
        << Reply({Entry(47011, int(-2147483647 - 1))}) << With(M, 5, "-2147483648") << true;
    QTest::newRow("no value gives 0") << Reply({Entry(47011, None)}) << With(M, 5, "0") << true;
    QTest::newRow("text value gives 0") << Reply({Entry(47011, "12")}) << With(M, 5, "0") << true;
    QTest::newRow("later entry wins")
        << Reply({Entry(47001, 5), Entry(47002, 6)}) << With(M, 0, "6") << true;
    QTest::newRow("non-objects passed over")
        << Reply({3, "x", QJsonArray{47001, 1}, Entry(47005, 9)}) << With(M, 2, "9") << true;
    QTest::newRow("only named slots change")
        << Reply({Entry(47101, 1), Entry(47201, 2)}) << With(With(M, 50, "1"), 100, "2") << true;

    QTest::newRow("operate Read") << Reply({Entry(47001, 1)}, "EidSet", "Read") << M << false;
    QTest::newRow("operate missing") << Reply({Entry(47001, 1)}, "EidSet", None) << M << false;
    QTest::newRow("parameter reply") << Reply({Entry(47001, 1)}, "ParamSet") << M << false;
    QTest::newRow("kind in other case") << Reply({Entry(47001, 1)}, "eidset") << M << false;
    QTest::newRow("kind a number") << Reply({Entry(47001, 1)}, 1) << M << false;
    QTest::newRow("empty reply") << QJsonObject() << M << false;
    QJsonObject NotArray = Reply({});
    NotArray.insert("ParamArray", QStringLiteral("47001"));
    QTest::newRow("array a string") << NotArray << M << true;
    NotArray.remove("ParamArray");
    QTest::newRow("array missing") << NotArray << M << true;
}

void tst_eidset::apply()
{
    QFETCH(QJsonObject, reply);
    QFETCH(QStringList, after);
    QFETCH(bool, readAckLine);

    SetList(Marked());
    LogCapture Log;
    W->ApplyEidSet(reply);
    QCOMPARE(List(), after);
    QCOMPARE(Log.Lines(), readAckLine ? QStringList{"ReadAck ok"} : QStringList());
}

QTEST_MAIN(tst_eidset)
#include "tst_eidset.moc"
