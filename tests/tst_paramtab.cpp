// The parameter tab as built, and the two slots that load preset time-outs.

#include <QtTest>

#include <QAbstractItemView>
#include <QComboBox>
#include <QGridLayout>
#include <QLabel>
#include <QSpinBox>

#include "LogCapture.h"
#include "OrvaneUI.h"

namespace {

struct Cell
{
    int Row = -1;
    int Column = -1;
    int RowSpan = 0;
    int ColumnSpan = 0;
};

Cell CellOf(QGridLayout *Grid, QWidget *Widget)
{
    Cell C;
    const int Index = Grid->indexOf(Widget);
    if (Index >= 0)
        Grid->getItemPosition(Index, &C.Row, &C.Column, &C.RowSpan, &C.ColumnSpan);
    return C;
}

int LinesStartingWith(const LogCapture &Log, const QString &Prefix)
{
    int N = 0;
    for (const QString &Line : Log.Lines())
        N += Line.startsWith(Prefix) ? 1 : 0;
    return N;
}

} // namespace

class tst_paramtab : public QObject
{
    Q_OBJECT

private:
    // The operator opens the list and confirms an item, as with the mouse or
    // keyboard: activated(int) is emitted even for the current item.
    static void Pick(QComboBox *Box, int Index)
    {
        Box->showPopup();
        QAbstractItemView *View = Box->view();
        QTRY_VERIFY(View->isVisible());
        View->setCurrentIndex(Box->model()->index(Index, 0));
        QTest::keyClick(View, Qt::Key_Return);
        QTRY_VERIFY(!View->isVisible());
        QCOMPARE(Box->currentIndex(), Index);
    }

    static void TypeInto(QSpinBox *Box, const QString &Text)
    {
        QTest::keyClick(Box, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClicks(Box, Text);
    }

    static void Show(OrvaneUI &W)
    {
        QVERIFY(W.Construct());
        W.show();
        QVERIFY(QTest::qWaitForWindowExposed(&W));
    }

private slots:
    void spinFieldAsBuilt_data();
    void spinFieldAsBuilt();
    void comboFieldAsBuilt_data();
    void comboFieldAsBuilt();
    void gridAsBuilt();
    void constructionLoadsNoPreset();
    void bandWidthPickLoadsPreset_data();
    void bandWidthPickLoadsPreset();
    void spreadingFactorChangeLoadsPreset_data();
    void spreadingFactorChangeLoadsPreset();
    void typedTimeoutOverwrittenBySpreadingFactor();
    void programBandWidthChangeKeepsTimeouts();
    void slotGuardsKeepTimeouts();
    void presetTablesFitTimeoutRanges();
};

void tst_paramtab::spinFieldAsBuilt_data()
{
    QTest::addColumn<QString>("Label");
    QTest::addColumn<QString>("Text");
    QTest::addColumn<QString>("Box");
    QTest::addColumn<int>("Minimum");
    QTest::addColumn<int>("Maximum");
    QTest::addColumn<int>("Row");
    QTest::addColumn<int>("Column");

    QTest::newRow("ModbusID") << "QLabel_Param_ModbusID" << "485 ID:" << "QSpinBox_Param_ModbusID"
                              << 1 << 255 << 0 << 0;
    QTest::newRow("OffLineTime") << "QLabel_Param_OffLineTime" << "Время отключения:"
                                 << "QSpinBox_Param_OffLineTime" << 60 << 60000 << 2 << 0;
    QTest::newRow("DataUplinkCycle") << "QLabel_Param_DataUplinkCycle" << "Период отправки отчётов:"
                                     << "QSpinBox_Param_DataUplinkCycle" << 10 << 60000 << 3 << 0;
    QTest::newRow("LocalNet") << "QLabel_Param_LocalNet" << "Сетевой ID:" << "QSpinBox_Param_LocalNet"
                              << 1 << 255 << 4 << 0;
    QTest::newRow("RfTxPower") << "QLabel_Param_RfTxPower" << "Мощность передачи:"
                               << "QSpinBox_Param_RfTxPower" << 1 << 20 << 6 << 0;
    QTest::newRow("RfFrequency") << "QLabel_Param_RfFrequency" << "Радиочастотный канал:"
                                 << "QSpinBox_Param_RfFrequency" << 150 << 960 << 7 << 0;
    QTest::newRow("RfSf") << "QLabel_Param_RfSf" << "Коэффициент расширения спектра:"
                          << "QSpinBox_Param_RfSf" << 6 << 12 << 9 << 0;
    QTest::newRow("RfLeadCode") << "QLabel_Param_RfLeadCode" << "Преамбула:"
                                << "QSpinBox_Param_RfLeadCode" << 1 << 60000 << 10 << 0;
    QTest::newRow("TxTimeout") << "QLabel_Param_TxTimeout" << "Тайм-аут отправки:"
                               << "QSpinBox_Param_TxTimeout" << 10 << 60000 << 11 << 0;
    QTest::newRow("RxTimeout") << "QLabel_Param_RxTimeout" << "Тайм-аут приёма:"
                               << "QSpinBox_Param_RxTimeout" << 10 << 60000 << 12 << 0;
}

void tst_paramtab::spinFieldAsBuilt()
{
    QFETCH(QString, Label);
    QFETCH(QString, Text);
    QFETCH(QString, Box);
    QFETCH(int, Minimum);
    QFETCH(int, Maximum);
    QFETCH(int, Row);
    QFETCH(int, Column);

    OrvaneUI W;
    QVERIFY(W.Construct());
    QLabel *L = W.findChild<QLabel *>(Label);
    QSpinBox *S = W.findChild<QSpinBox *>(Box);
    QVERIFY(L);
    QVERIFY(S);
    QCOMPARE(L->text(), Text);
    QCOMPARE(L->parentWidget(), W.QWidget_Tab_Param);
    QCOMPARE(S->parentWidget(), W.QWidget_Tab_Param);

    QCOMPARE(S->minimum(), Minimum);
    QCOMPARE(S->maximum(), Maximum);
    QCOMPARE(S->value(), Minimum);
    QCOMPARE(S->singleStep(), 1);
    QCOMPARE(S->prefix(), QString());
    QCOMPARE(S->suffix(), QString());
    QVERIFY(!S->wrapping());
    QVERIFY(!S->isReadOnly());

    const Cell LabelCell = CellOf(W.QGridLayout_Param, L);
    const Cell BoxCell = CellOf(W.QGridLayout_Param, S);
    QCOMPARE(LabelCell.Row, Row);
    QCOMPARE(LabelCell.Column, Column);
    QCOMPARE(BoxCell.Row, Row);
    QCOMPARE(BoxCell.Column, Column + 1);
    QCOMPARE(LabelCell.RowSpan * LabelCell.ColumnSpan * BoxCell.RowSpan * BoxCell.ColumnSpan, 1);
    QCOMPARE(int(W.QGridLayout_Param->itemAt(W.QGridLayout_Param->indexOf(S))->alignment()), 0);
    QCOMPARE(int(W.QGridLayout_Param->itemAt(W.QGridLayout_Param->indexOf(L))->alignment()), 0);
}

void tst_paramtab::comboFieldAsBuilt_data()
{
    QTest::addColumn<QString>("Label");
    QTest::addColumn<QString>("Text");
    QTest::addColumn<QString>("Box");
    QTest::addColumn<QStringList>("Items");
    QTest::addColumn<int>("Row");
    QTest::addColumn<int>("Column");

    QTest::newRow("BaudRate") << "QLabel_Param_BaudRate" << "Скорость (бод):"
                              << "QComboBox_Param_BaudRate"
                              << QStringList{"4800", "9600", "19200", "38400", "57600", "115200"}
                              << 1 << 0;
    QTest::newRow("TimeMark") << "QLabel_Param_TimeMark" << "Ответ временной метки:"
                              << "QComboBox_Param_TimeMark"
                              << QStringList{"Без ответа временной метки", "Ответ временной метки",
                                             "EID Без ответа временной метки",
                                             "EID Ответ временной метки"}
                              << 5 << 0;
    QTest::newRow("RfBandWidth") << "QLabel_Param_RfBandWidth" << "Ширина полосы радиочастоты:"
                                 << "QComboBox_Param_RfBandWidth"
                                 << QStringList{"125", "250", "500"} << 8 << 0;
    QTest::newRow("RssiOut") << "QLabel_Param_RssiOut" << "Вывод RSSI:" << "QComboBox_Param_RssiOut"
                             << QStringList{"Не выводить", "Вывод"} << 0 << 3;
}

void tst_paramtab::comboFieldAsBuilt()
{
    QFETCH(QString, Label);
    QFETCH(QString, Text);
    QFETCH(QString, Box);
    QFETCH(QStringList, Items);
    QFETCH(int, Row);
    QFETCH(int, Column);

    OrvaneUI W;
    QVERIFY(W.Construct());
    QLabel *L = W.findChild<QLabel *>(Label);
    QComboBox *C = W.findChild<QComboBox *>(Box);
    QVERIFY(L);
    QVERIFY(C);
    QCOMPARE(L->text(), Text);
    QCOMPARE(C->parentWidget(), W.QWidget_Tab_Param);

    QStringList Shown;
    for (int I = 0; I < C->count(); ++I)
        Shown << C->itemText(I);
    QCOMPARE(Shown, Items);
    QCOMPARE(C->currentIndex(), 0);
    QVERIFY(!C->isEditable());

    const Cell LabelCell = CellOf(W.QGridLayout_Param, L);
    const Cell BoxCell = CellOf(W.QGridLayout_Param, C);
    QCOMPARE(LabelCell.Row, Row);
    QCOMPARE(LabelCell.Column, Column);
    QCOMPARE(BoxCell.Row, Row);
    QCOMPARE(BoxCell.Column, Column + 1);
    QCOMPARE(LabelCell.RowSpan * LabelCell.ColumnSpan * BoxCell.RowSpan * BoxCell.ColumnSpan, 1);
}

void tst_paramtab::gridAsBuilt()
{
    OrvaneUI W;
    QVERIFY(W.Construct());
    QCOMPARE(W.QWidget_Tab_Param->layout(), W.QGridLayout_Param);
    QCOMPARE(W.QGridLayout_Param->objectName(), QString("QGridLayout_Param"));
    QCOMPARE(W.QGridLayout_Param->count(), 28);
    QCOMPARE(W.QGridLayout_Param->columnCount(), 6);
    const int Stretches[] = {1, 3, 3, 1, 3, 3};
    for (int Column = 0; Column < 6; ++Column)
        QCOMPARE(W.QGridLayout_Param->columnStretch(Column), Stretches[Column]);
    // Columns 2 and 5 stay empty.
    for (int Row = 0; Row < W.QGridLayout_Param->rowCount(); ++Row) {
        QVERIFY(!W.QGridLayout_Param->itemAtPosition(Row, 2));
        QVERIFY(!W.QGridLayout_Param->itemAtPosition(Row, 5));
    }

    // Every member carries its own name.
    const QList<QPair<QObject *, QString>> Members = {
        {W.QLabel_Param_ModbusID, "QLabel_Param_ModbusID"},
        {W.QSpinBox_Param_ModbusID, "QSpinBox_Param_ModbusID"},
        {W.QLabel_Param_BaudRate, "QLabel_Param_BaudRate"},
        {W.QComboBox_Param_BaudRate, "QComboBox_Param_BaudRate"},
        {W.QLabel_Param_OffLineTime, "QLabel_Param_OffLineTime"},
        {W.QSpinBox_Param_OffLineTime, "QSpinBox_Param_OffLineTime"},
        {W.QLabel_Param_DataUplinkCycle, "QLabel_Param_DataUplinkCycle"},
        {W.QSpinBox_Param_DataUplinkCycle, "QSpinBox_Param_DataUplinkCycle"},
        {W.QLabel_Param_LocalNet, "QLabel_Param_LocalNet"},
        {W.QSpinBox_Param_LocalNet, "QSpinBox_Param_LocalNet"},
        {W.QLabel_Param_TimeMark, "QLabel_Param_TimeMark"},
        {W.QComboBox_Param_TimeMark, "QComboBox_Param_TimeMark"},
        {W.QLabel_Param_RfTxPower, "QLabel_Param_RfTxPower"},
        {W.QSpinBox_Param_RfTxPower, "QSpinBox_Param_RfTxPower"},
        {W.QLabel_Param_RfFrequency, "QLabel_Param_RfFrequency"},
        {W.QSpinBox_Param_RfFrequency, "QSpinBox_Param_RfFrequency"},
        {W.QLabel_Param_RfBandWidth, "QLabel_Param_RfBandWidth"},
        {W.QComboBox_Param_RfBandWidth, "QComboBox_Param_RfBandWidth"},
        {W.QLabel_Param_RfSf, "QLabel_Param_RfSf"},
        {W.QSpinBox_Param_RfSf, "QSpinBox_Param_RfSf"},
        {W.QLabel_Param_RfLeadCode, "QLabel_Param_RfLeadCode"},
        {W.QSpinBox_Param_RfLeadCode, "QSpinBox_Param_RfLeadCode"},
        {W.QLabel_Param_TxTimeout, "QLabel_Param_TxTimeout"},
        {W.QSpinBox_Param_TxTimeout, "QSpinBox_Param_TxTimeout"},
        {W.QLabel_Param_RxTimeout, "QLabel_Param_RxTimeout"},
        {W.QSpinBox_Param_RxTimeout, "QSpinBox_Param_RxTimeout"},
        {W.QLabel_Param_RssiOut, "QLabel_Param_RssiOut"},
        {W.QComboBox_Param_RssiOut, "QComboBox_Param_RssiOut"},
    };
    for (const auto &Member : Members) {
        QVERIFY2(Member.first, qPrintable(Member.second));
        QCOMPARE(Member.first->objectName(), Member.second);
    }
}

void tst_paramtab::constructionLoadsNoPreset()
{
    LogCapture Log;
    OrvaneUI W;
    QVERIFY(W.Construct());
    QCOMPARE(W.QSpinBox_Param_RfSf->value(), 6);
    QCOMPARE(W.QSpinBox_Param_TxTimeout->value(), 10);
    QCOMPARE(W.QSpinBox_Param_RxTimeout->value(), 10);
    QCOMPARE(LinesStartingWith(Log, "QSpinBox_Param_RfSf_ValueChanged"), 0);
    QCOMPARE(LinesStartingWith(Log, "QComboBox_Param_RfBandWidth_Activated"), 0);
}

void tst_paramtab::bandWidthPickLoadsPreset_data()
{
    QTest::addColumn<int>("StartIndex");
    QTest::addColumn<int>("Sf");
    QTest::addColumn<int>("Picked");
    QTest::addColumn<int>("Tx");
    QTest::addColumn<int>("Rx");

    QTest::newRow("250 at SF 9") << 0 << 9 << 1 << 590 << 118;
    QTest::newRow("125 again at SF 6") << 0 << 6 << 0 << 230 << 46;
    QTest::newRow("500 at SF 12") << 0 << 12 << 2 << 1785 << 357;
    QTest::newRow("125 at SF 12") << 2 << 12 << 0 << 6975 << 1395;
    QTest::newRow("500 again at SF 6") << 2 << 6 << 2 << 95 << 19;
}

void tst_paramtab::bandWidthPickLoadsPreset()
{
    QFETCH(int, StartIndex);
    QFETCH(int, Sf);
    QFETCH(int, Picked);
    QFETCH(int, Tx);
    QFETCH(int, Rx);

    OrvaneUI W;
    Show(W);
    W.QComboBox_Param_RfBandWidth->setCurrentIndex(StartIndex);
    W.QSpinBox_Param_RfSf->setValue(Sf);
    W.QSpinBox_Param_TxTimeout->setValue(5000);
    W.QSpinBox_Param_RxTimeout->setValue(5000);

    LogCapture Log;
    Pick(W.QComboBox_Param_RfBandWidth, Picked);
    QCOMPARE(W.QSpinBox_Param_TxTimeout->value(), Tx);
    QCOMPARE(W.QSpinBox_Param_RxTimeout->value(), Rx);
    QCOMPARE(Log.Lines(),
             QStringList{QStringLiteral("QComboBox_Param_RfBandWidth_Activated %1").arg(Picked)});
}

void tst_paramtab::spreadingFactorChangeLoadsPreset_data()
{
    QTest::addColumn<int>("BandWidth");
    QTest::addColumn<QList<int>>("Steps");
    QTest::addColumn<QList<int>>("Tx");
    QTest::addColumn<QList<int>>("Rx");

    QTest::newRow("500: up to 12, down to 6")
        << 2 << QList<int>{12, 6} << QList<int>{1785, 95} << QList<int>{357, 19};
    QTest::newRow("125: 7, 11") << 0 << QList<int>{7, 11} << QList<int>{370, 3925}
                                << QList<int>{74, 785};
    QTest::newRow("250: 8, 12") << 1 << QList<int>{8, 12} << QList<int>{345, 3515}
                                << QList<int>{69, 703};
}

void tst_paramtab::spreadingFactorChangeLoadsPreset()
{
    QFETCH(int, BandWidth);
    QFETCH(QList<int>, Steps);
    QFETCH(QList<int>, Tx);
    QFETCH(QList<int>, Rx);

    OrvaneUI W;
    QVERIFY(W.Construct());
    W.QComboBox_Param_RfBandWidth->setCurrentIndex(BandWidth);
    for (int I = 0; I < Steps.size(); ++I) {
        LogCapture Log;
        W.QSpinBox_Param_RfSf->setValue(Steps[I]);
        QCOMPARE(W.QSpinBox_Param_TxTimeout->value(), Tx[I]);
        QCOMPARE(W.QSpinBox_Param_RxTimeout->value(), Rx[I]);
        QCOMPARE(Log.Lines(),
                 QStringList{QStringLiteral("QSpinBox_Param_RfSf_ValueChanged %1").arg(Steps[I])});
    }
}

void tst_paramtab::typedTimeoutOverwrittenBySpreadingFactor()
{
    OrvaneUI W;
    Show(W);
    Pick(W.QComboBox_Param_RfBandWidth, 1);
    TypeInto(W.QSpinBox_Param_TxTimeout, "3000");
    TypeInto(W.QSpinBox_Param_RxTimeout, "700");
    QCOMPARE(W.QSpinBox_Param_TxTimeout->value(), 3000);
    QCOMPARE(W.QSpinBox_Param_RxTimeout->value(), 700);

    // A typed value stays until the next change of the spreading factor.
    Pick(W.QComboBox_Param_TimeMark, 2);
    QCOMPARE(W.QSpinBox_Param_TxTimeout->value(), 3000);

    LogCapture Log;
    QTest::keyClick(W.QSpinBox_Param_RfSf, Qt::Key_Up);
    QCOMPARE(W.QSpinBox_Param_RfSf->value(), 7);
    QCOMPARE(W.QSpinBox_Param_TxTimeout->value(), 210);
    QCOMPARE(W.QSpinBox_Param_RxTimeout->value(), 42);
    QVERIFY(Log.Contains("QSpinBox_Param_RfSf_ValueChanged 7"));
}

void tst_paramtab::programBandWidthChangeKeepsTimeouts()
{
    OrvaneUI W;
    QVERIFY(W.Construct());
    W.QSpinBox_Param_RfSf->setValue(9);
    W.QSpinBox_Param_TxTimeout->setValue(4321);
    W.QSpinBox_Param_RxTimeout->setValue(1234);

    LogCapture Log;
    W.QComboBox_Param_RfBandWidth->setCurrentIndex(2);
    W.QComboBox_Param_RfBandWidth->setCurrentIndex(1);
    QCOMPARE(W.QSpinBox_Param_TxTimeout->value(), 4321);
    QCOMPARE(W.QSpinBox_Param_RxTimeout->value(), 1234);
    QCOMPARE(LinesStartingWith(Log, "QComboBox_Param_RfBandWidth_Activated"), 0);
}

void tst_paramtab::slotGuardsKeepTimeouts()
{
    OrvaneUI W;
    QVERIFY(W.Construct());
    W.QSpinBox_Param_TxTimeout->setValue(4321);
    W.QSpinBox_Param_RxTimeout->setValue(1234);

    // A bandwidth index past the table, as no pick can give but a caller could.
    for (const int Index : {-1, 3, 7}) {
        LogCapture Log;
        QVERIFY(QMetaObject::invokeMethod(&W, "QComboBox_Param_RfBandWidth_Activated",
                                          Q_ARG(int, Index)));
        QCOMPARE(Log.Lines(),
                 QStringList{QStringLiteral("QComboBox_Param_RfBandWidth_Activated %1").arg(Index)});
    }
    // A spreading factor outside 6..12 reaching the slot.
    for (const int Sf : {5, 13, 0}) {
        QVERIFY(QMetaObject::invokeMethod(&W, "QSpinBox_Param_RfSf_ValueChanged", Q_ARG(int, Sf)));
    }
    QCOMPARE(W.QSpinBox_Param_TxTimeout->value(), 4321);
    QCOMPARE(W.QSpinBox_Param_RxTimeout->value(), 1234);

    // The bandwidth box without a current item: a spreading factor change
    // must not index the tables.
    W.QComboBox_Param_RfBandWidth->setCurrentIndex(-1);
    W.QSpinBox_Param_RfSf->setValue(11);
    QCOMPARE(W.QSpinBox_Param_TxTimeout->value(), 4321);
    QCOMPARE(W.QSpinBox_Param_RxTimeout->value(), 1234);
}

void tst_paramtab::presetTablesFitTimeoutRanges()
{
    OrvaneUI W;
    QVERIFY(W.Construct());
    const int Tx[21] = {230, 370, 640, 1125, 1990, 3925, 6975, 140, 210, 345, 590,
                        1020, 1990, 3515, 95, 130, 200, 320, 535, 1020, 1785};
    for (int K = 0; K < 21; ++K) {
        QCOMPARE(W.TxTimeoutTable[K], Tx[K]);
        QCOMPARE(W.RxTimeoutTable[K] * 5, Tx[K]);
    }
    // Every preset shows unchanged: the extremes and all between.
    for (int BandWidth = 0; BandWidth < 3; ++BandWidth) {
        W.QComboBox_Param_RfBandWidth->setCurrentIndex(BandWidth);
        for (int Sf = 6; Sf <= 12; ++Sf) {
            QVERIFY(QMetaObject::invokeMethod(&W, "QComboBox_Param_RfBandWidth_Activated",
                                              Q_ARG(int, BandWidth)));
            W.QSpinBox_Param_RfSf->setValue(Sf);
            const int K = BandWidth * 7 + Sf - 6;
            QCOMPARE(W.QSpinBox_Param_TxTimeout->value(), Tx[K]);
            QCOMPARE(W.QSpinBox_Param_RxTimeout->value(), Tx[K] / 5);
        }
    }
}

QTEST_MAIN(tst_paramtab)
#include "tst_paramtab.moc"
