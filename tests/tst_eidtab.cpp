// The EID tab as built, and its two range operations driven through their
// buttons.

#include "LogCapture.h"
#include "NoticeCatcher.h"
#include "OrvaneUI.h"

#include <QFrame>
#include <QGridLayout>
#include <QIntValidator>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollArea>
#include <QTabWidget>
#include <QtTest>

namespace {

const QString NoticeTitle = QStringLiteral("Уведомление");
const QString RangeNotice = QStringLiteral("Проверьте диапазон настроек EID!");
const QString ConfigLine = QStringLiteral("pPushButton_Eid_Config_Clicked");
const QString AddLine = QStringLiteral("pPushButton_Eid_Config_Add");

QStringList Uniform(const QString &Text)
{
    QStringList List;
    for (int I = 0; I < EidCount; ++I)
        List.append(Text);
    return List;
}

// Entries From .. From + Count - 1 set to First, First + 1, ...
QStringList Put(QStringList List, int From, qint64 First, int Count)
{
    for (int K = 0; K < Count; ++K)
        List[From + K] = QString::number(First + K);
    return List;
}

QStringList PutText(QStringList List, int At, const QString &Text)
{
    List[At] = Text;
    return List;
}

// Distinct texts, so that any change to any entry shows.
QStringList Marked()
{
    QStringList List;
    for (int I = 0; I < EidCount; ++I)
        List.append(QString::number(9000 + I));
    return List;
}

QWidget *GridWidget(QGridLayout *Grid, int Row, int Column)
{
    QLayoutItem *Item = Grid->itemAtPosition(Row, Column);
    return Item ? Item->widget() : nullptr;
}

void VerifySeparator(QWidget *Widget, const char *Where)
{
    auto *Frame = qobject_cast<QFrame *>(Widget);
    QVERIFY2(Frame, Where);
    QVERIFY2(!qobject_cast<QLabel *>(Widget), Where);
    QCOMPARE(Frame->frameShape(), QFrame::VLine);
    QCOMPARE(Frame->frameShadow(), QFrame::Plain);
    QCOMPARE(Frame->sizePolicy().horizontalPolicy(), QSizePolicy::Fixed);
    QCOMPARE(Frame->sizePolicy().verticalPolicy(), QSizePolicy::Expanding);
}

} // namespace

class tst_eidtab : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void init();

    void scrollAreaKeepsInnerWidgetSize();
    void rangeBar();
    void entryLabels_data();
    void entryLabels();
    void everyEntryInItsCell();
    void sharedValidatorAndCentredText();
    void membersCarryTheirNames();
    void typingPassesTheValidator();

    void configRange_data();
    void configRange();
    void addRange_data();
    void addRange();

private:
    void SetList(const QStringList &Texts);
    QStringList List() const;
    void RunRange(QPushButton *Button);

    OrvaneUI *W = nullptr;
};

void tst_eidtab::initTestCase()
{
    W = new OrvaneUI();
    QVERIFY(W->Construct());
}

void tst_eidtab::cleanupTestCase()
{
    delete W;
}

void tst_eidtab::init()
{
    SetList(Uniform(QString()));
    W->QLineEdit_Eid_Start->clear();
    W->QLineEdit_Eid_End->clear();
}

void tst_eidtab::SetList(const QStringList &Texts)
{
    for (int I = 0; I < EidCount; ++I)
        W->QLineEdit_Eid[I]->setText(Texts.at(I));
}

QStringList tst_eidtab::List() const
{
    QStringList Texts;
    for (int I = 0; I < EidCount; ++I)
        Texts.append(W->QLineEdit_Eid[I]->text());
    return Texts;
}

void tst_eidtab::scrollAreaKeepsInnerWidgetSize()
{
    OrvaneUI Fresh;
    QVERIFY(Fresh.Construct());
    for (int I = 0; I < EidCount; ++I)
        QVERIFY(Fresh.QLineEdit_Eid[I]->text().isEmpty());
    QVERIFY(Fresh.QLineEdit_Eid_Start->text().isEmpty());
    QVERIFY(Fresh.QLineEdit_Eid_End->text().isEmpty());

    QCOMPARE(Fresh.QScrollArea_Eid->parentWidget(), Fresh.QWidget_Tab_Eid);
    QCOMPARE(Fresh.QScrollArea_Eid->widget(), Fresh.QWidget_Eid);
    QVERIFY(!Fresh.QScrollArea_Eid->widgetResizable());
    QCOMPARE(Fresh.QWidget_Eid->layout(), static_cast<QLayout *>(Fresh.QGridLayout_Eid));

    Fresh.show();
    QVERIFY(QTest::qWaitForWindowExposed(&Fresh));
    Fresh.QTabWidget_Config->setCurrentWidget(Fresh.QWidget_Tab_Eid);
    QTRY_VERIFY(Fresh.QScrollArea_Eid->isVisible());
    QCoreApplication::processEvents();

    // The scroll area covers its page, no more: nothing of it is cut off.
    QCOMPARE(Fresh.QScrollArea_Eid->geometry(), Fresh.QWidget_Tab_Eid->rect());
    QCOMPARE(Fresh.QWidget_Eid->size(), QSize(978, 1800));
    QCOMPARE(Fresh.QWidget_Eid->pos(), QPoint(0, 0));
    // The range bar is in the scrolled grid: it scrolls away with row 1.
    QCOMPARE(Fresh.pPushButton_Eid_Config->parentWidget(), Fresh.QWidget_Eid);
    QVERIFY(Fresh.QLineEdit_Eid[199]->geometry().bottom() > 620);
    QVERIFY(Fresh.QLineEdit_Eid[199]->geometry().bottom() < 1800);
}

void tst_eidtab::rangeBar()
{
    QGridLayout *Grid = W->QGridLayout_Eid;
    QCOMPARE(Grid->columnCount(), 11);
    QCOMPARE(Grid->rowCount(), 51);
    const int Stretch[] = {2, 5, 1, 2, 5, 1, 2, 5, 1, 5, 5};
    for (int Column = 0; Column < 11; ++Column)
        QCOMPARE(Grid->columnStretch(Column), Stretch[Column]);

    QCOMPARE(GridWidget(Grid, 0, 0), static_cast<QWidget *>(W->QLabel_Eid_Start));
    QCOMPARE(GridWidget(Grid, 0, 1), static_cast<QWidget *>(W->QLineEdit_Eid_Start));
    VerifySeparator(GridWidget(Grid, 0, 2), "row 0 column 2");
    QCOMPARE(GridWidget(Grid, 0, 3), static_cast<QWidget *>(W->QLabel_Eid_End));
    QCOMPARE(GridWidget(Grid, 0, 4), static_cast<QWidget *>(W->QLineEdit_Eid_End));
    VerifySeparator(GridWidget(Grid, 0, 5), "row 0 column 5");
    QVERIFY(!Grid->itemAtPosition(0, 6));
    QCOMPARE(GridWidget(Grid, 0, 7), static_cast<QWidget *>(W->pPushButton_Eid_Config));
    VerifySeparator(GridWidget(Grid, 0, 8), "row 0 column 8");
    QVERIFY(!Grid->itemAtPosition(0, 9));
    QCOMPARE(GridWidget(Grid, 0, 10), static_cast<QWidget *>(W->pPushButton_Eid_Add));

    QCOMPARE(W->QLabel_Eid_Start->text(), QStringLiteral("Начальный EID:"));
    QCOMPARE(W->QLabel_Eid_End->text(), QStringLiteral("Конечный EID:"));
    QCOMPARE(W->pPushButton_Eid_Config->text(), QStringLiteral("Настройка EID"));
    QCOMPARE(W->pPushButton_Eid_Add->text(), QStringLiteral("Добавление EID"));
    QCOMPARE(W->QTabWidget_Config->tabText(W->QTabWidget_Config->indexOf(W->QWidget_Tab_Eid)),
             QStringLiteral("Настройка EID"));
}

void tst_eidtab::entryLabels_data()
{
    QTest::addColumn<int>("entry");
    QTest::addColumn<QString>("label");
    QTest::newRow("first") << 0 << QStringLiteral("Регистрация EID   1:");
    QTest::newRow("one digit") << 8 << QStringLiteral("Регистрация EID   9:");
    QTest::newRow("two digits") << 9 << QStringLiteral("Регистрация EID  10:");
    QTest::newRow("last two digits") << 98 << QStringLiteral("Регистрация EID  99:");
    QTest::newRow("three digits") << 99 << QStringLiteral("Регистрация EID 100:");
    QTest::newRow("last") << 199 << QStringLiteral("Регистрация EID 200:");
}

void tst_eidtab::entryLabels()
{
    QFETCH(int, entry);
    QFETCH(QString, label);
    QCOMPARE(W->QLabel_Eid[entry]->text(), label);
    // Every label has the same width, whatever its number.
    for (int I = 0; I < EidCount; ++I)
        QCOMPARE(W->QLabel_Eid[I]->text().size(), label.size());
}

void tst_eidtab::everyEntryInItsCell()
{
    QGridLayout *Grid = W->QGridLayout_Eid;
    for (int I = 0; I < EidCount; ++I) {
        const int Row = I / 4 + 1;
        const int Column = (I % 4) * 3;
        const QByteArray Where = QByteArray("entry ") + QByteArray::number(I);
        QVERIFY2(GridWidget(Grid, Row, Column) == W->QLabel_Eid[I], Where);
        QVERIFY2(GridWidget(Grid, Row, Column + 1) == W->QLineEdit_Eid[I], Where);
        if (I % 4 != 3)
            VerifySeparator(GridWidget(Grid, Row, Column + 2), Where);
    }
    // No separator after the fourth entry of a row.
    for (int Row = 1; Row <= 50; ++Row) {
        QVERIFY(!Grid->itemAtPosition(Row, 11));
        QVERIFY(GridWidget(Grid, Row, 8));
    }
    // Row 0 has three separators, the 50 entry rows three each.
    QCOMPARE(W->QWidget_Eid->findChildren<QFrame *>().size()
                 - W->QWidget_Eid->findChildren<QLabel *>().size(),
             3 + 50 * 3);
}

void tst_eidtab::sharedValidatorAndCentredText()
{
    QIntValidator *Validator = W->QIntValidator_Eid;
    QVERIFY(Validator);
    QCOMPARE(Validator->bottom(), 0);
    QCOMPARE(Validator->top(), 10000000);
    QCOMPARE(Validator->parent(), static_cast<QObject *>(W->QWidget_Tab_Eid));
    QCOMPARE(W->QWidget_Tab_Eid->findChildren<QIntValidator *>().size(), 1);

    QList<QLineEdit *> Edits = {W->QLineEdit_Eid_Start, W->QLineEdit_Eid_End};
    for (int I = 0; I < EidCount; ++I)
        Edits.append(W->QLineEdit_Eid[I]);
    QCOMPARE(Edits.size(), 202);
    for (QLineEdit *Edit : Edits) {
        QVERIFY2(Edit->validator() == Validator, qPrintable(Edit->objectName()));
        QVERIFY2(Edit->alignment() == Qt::AlignCenter, qPrintable(Edit->objectName()));
    }
}

void tst_eidtab::membersCarryTheirNames()
{
    QCOMPARE(W->QScrollArea_Eid->objectName(), QStringLiteral("QScrollArea_Eid"));
    QCOMPARE(W->QWidget_Eid->objectName(), QStringLiteral("QWidget_Eid"));
    QCOMPARE(W->QGridLayout_Eid->objectName(), QStringLiteral("QGridLayout_Eid"));
    QCOMPARE(W->QIntValidator_Eid->objectName(), QStringLiteral("QIntValidator_Eid"));
    QCOMPARE(W->pPushButton_Eid_Config->objectName(), QStringLiteral("pPushButton_Eid_Config"));
    QCOMPARE(W->pPushButton_Eid_Add->objectName(), QStringLiteral("pPushButton_Eid_Add"));
    QCOMPARE(W->QLabel_Eid_Start->objectName(), QStringLiteral("QLabel_Eid_Start"));
    QCOMPARE(W->QLabel_Eid_End->objectName(), QStringLiteral("QLabel_Eid_End"));
    QCOMPARE(W->QLineEdit_Eid_Start->objectName(), QStringLiteral("QLineEdit_Eid_Start"));
    QCOMPARE(W->QLineEdit_Eid_End->objectName(), QStringLiteral("QLineEdit_Eid_End"));
    for (int I = 0; I < EidCount; ++I) {
        const QString Index = QStringLiteral("[%1]").arg(I);
        QCOMPARE(W->findChild<QLabel *>(QStringLiteral("QLabel_Eid") + Index), W->QLabel_Eid[I]);
        QCOMPARE(W->findChild<QLineEdit *>(QStringLiteral("QLineEdit_Eid") + Index),
                 W->QLineEdit_Eid[I]);
    }
}

void tst_eidtab::typingPassesTheValidator()
{
    QLineEdit *Edit = W->QLineEdit_Eid[3];
    QTest::keyClicks(Edit, QStringLiteral("12a-3"));
    QCOMPARE(Edit->text(), QStringLiteral("123"));
    Edit->clear();
    QTest::keyClicks(Edit, QStringLiteral("100000009"));
    QCOMPARE(Edit->text(), QStringLiteral("10000000"));
    QTest::keyClicks(W->QLineEdit_Eid_Start, QStringLiteral("-5"));
    QCOMPARE(W->QLineEdit_Eid_Start->text(), QStringLiteral("5"));
}

void tst_eidtab::RunRange(QPushButton *Button)
{
    QFETCH(QStringList, before);
    QFETCH(QString, start);
    QFETCH(QString, end);
    QFETCH(QStringList, after);
    QFETCH(bool, notice);

    SetList(before);
    W->QLineEdit_Eid_Start->setText(start);
    W->QLineEdit_Eid_End->setText(end);
    NoticeCatcher Catcher;
    LogCapture Log;
    Button->click();

    QCOMPARE(Log.Lines().value(0), Button == W->pPushButton_Eid_Config ? ConfigLine : AddLine);
    QCOMPARE(Log.Lines().size(), 1);
    QCOMPARE(List(), notice ? before : after);
    QCOMPARE(Catcher.Count(), notice ? 1 : 0);
    if (notice) {
        QCOMPARE(Catcher.Notices().at(0).Title, NoticeTitle);
        QCOMPARE(Catcher.Notices().at(0).Text, RangeNotice);
    }
    QCOMPARE(W->QLineEdit_Eid_Start->text(), start);
    QCOMPARE(W->QLineEdit_Eid_End->text(), end);
}

void tst_eidtab::configRange_data()
{
    QTest::addColumn<QStringList>("before");
    QTest::addColumn<QString>("start");
    QTest::addColumn<QString>("end");
    QTest::addColumn<QStringList>("after");
    QTest::addColumn<bool>("notice");

    const QStringList Zeros = Uniform(QStringLiteral("0"));
    const QStringList Empty = Uniform(QString());

    QTest::newRow("1000 to 1004") << Marked() << "1000" << "1004" << Put(Zeros, 0, 1000, 5) << false;
    QTest::newRow("5 to 204 fills all") << Empty << "5" << "204" << Put(Zeros, 0, 5, 200) << false;
    QTest::newRow("5 to 205 too many") << Marked() << "5" << "205" << QStringList() << true;
    QTest::newRow("single value") << Marked() << "7" << "7" << Put(Zeros, 0, 7, 1) << false;
    QTest::newRow("0 and 0 clears") << Marked() << "0" << "0" << Zeros << false;
    QTest::newRow("0 to 5") << Marked() << "0" << "5" << QStringList() << true;
    QTest::newRow("7 to 3") << Marked() << "7" << "3" << QStringList() << true;
    QTest::newRow("start empty") << Marked() << "" << "10" << Marked() << false;
    QTest::newRow("end empty") << Marked() << "10" << "" << Marked() << false;
    QTest::newRow("both empty") << Marked() << "" << "" << Marked() << false;
    QTest::newRow("start not a number") << Marked() << "x" << "5" << QStringList() << true;
    QTest::newRow("both not numbers") << Marked() << "x" << "y" << Zeros << false;
    QTest::newRow("up to the largest int")
        << Empty << "2147483600" << "2147483647" << Put(Zeros, 0, 2147483600, 48) << false;
}

void tst_eidtab::configRange()
{
    RunRange(W->pPushButton_Eid_Config);
}

void tst_eidtab::addRange_data()
{
    QTest::addColumn<QStringList>("before");
    QTest::addColumn<QString>("start");
    QTest::addColumn<QString>("end");
    QTest::addColumn<QStringList>("after");
    QTest::addColumn<bool>("notice");

    const QStringList Zeros = Uniform(QStringLiteral("0"));
    const QStringList Empty = Uniform(QString());

    const QStringList FiveInUse = Put(Zeros, 0, 1, 5);
    QTest::newRow("after entries in use")
        << FiveInUse << "50" << "52" << Put(FiveInUse, 5, 50, 3) << false;

    // Entries 0 to 9 empty, 10 in use, the rest empty.
    const QStringList OnlyTen = PutText(Empty, 10, QStringLiteral("77"));
    QStringList AfterTen = Put(OnlyTen, 11, 20, 3);
    for (int I = 14; I < EidCount; ++I)
        AfterTen[I] = QStringLiteral("0");
    QTest::newRow("after a gap of empty entries") << OnlyTen << "20" << "22" << AfterTen << false;

    // Gaps below the last entry in use keep their texts.
    QStringList Gappy = Put(Empty, 0, 1, 3);
    Gappy[6] = QStringLiteral("7");
    QStringList GappyAfter = Put(Gappy, 7, 100, 1);
    for (int I = 8; I < EidCount; ++I)
        GappyAfter[I] = QStringLiteral("0");
    QTest::newRow("gaps below last entry kept") << Gappy << "100" << "100" << GappyAfter << false;

    // "0", non-numbers and negative texts are not in use.
    QStringList NotInUse = PutText(Empty, 0, QStringLiteral("3"));
    NotInUse[1] = QStringLiteral("abc");
    NotInUse[2] = QStringLiteral("0");
    NotInUse[3] = QStringLiteral("-5");
    NotInUse[150] = QStringLiteral("0");
    NotInUse[199] = QStringLiteral("x");
    QStringList NotInUseAfter = NotInUse;
    NotInUseAfter = Put(NotInUseAfter, 1, 10, 2);
    for (int I = 3; I < EidCount; ++I)
        NotInUseAfter[I] = QStringLiteral("0");
    QTest::newRow("texts not in use") << NotInUse << "10" << "11" << NotInUseAfter << false;

    const QStringList At199 = PutText(Zeros, 199, QStringLiteral("5"));
    QTest::newRow("199 in use, one value") << At199 << "1" << "1" << QStringList() << true;
    QTest::newRow("199 in use, many values") << At199 << "1" << "100" << QStringList() << true;

    const QStringList At197 = PutText(Empty, 197, QStringLiteral("5"));
    QTest::newRow("197 in use, 2 values fit")
        << At197 << "8" << "9" << Put(At197, 198, 8, 2) << false;
    QTest::newRow("197 in use, 3 values") << At197 << "8" << "10" << QStringList() << true;
    QTest::newRow("197 in use, 1 value")
        << At197 << "8" << "8" << PutText(Put(At197, 198, 8, 1), 199, QStringLiteral("0"))
        << false;

    QTest::newRow("empty list, 1 to 200") << Empty << "1" << "200" << Put(Zeros, 0, 1, 200) << false;
    QTest::newRow("empty list, 1 to 201") << Empty << "1" << "201" << QStringList() << true;
    QTest::newRow("zeros only, 3 to 4") << Zeros << "3" << "4" << Put(Zeros, 0, 3, 2) << false;
    QTest::newRow("0 and 0 refused") << Marked() << "0" << "0" << QStringList() << true;
    QTest::newRow("0 to 5") << Marked() << "0" << "5" << QStringList() << true;
    QTest::newRow("7 to 3") << Empty << "7" << "3" << QStringList() << true;
    QTest::newRow("start empty") << Empty << "" << "10" << Empty << false;
    QTest::newRow("end empty") << FiveInUse << "10" << "" << FiveInUse << false;
    QTest::newRow("up to the largest int")
        << FiveInUse << "2147483646" << "2147483647" << Put(FiveInUse, 5, 2147483646, 2)
        << false;
}

void tst_eidtab::addRange()
{
    RunRange(W->pPushButton_Eid_Add);
}

QTEST_MAIN(tst_eidtab)
#include "tst_eidtab.moc"
