// The window without a device: the serial port panel on a real pty, the
// parameter tab's ranges and preset time-outs, the EID tab's range bar,
// a column pasted into the EID grid, and the two tabs to and from documents.

#include "ConfigDocument.h"
#include "Expected.h"
#include "LogCapture.h"
#include "MySerialPort.h"
#include "NoticeCatcher.h"
#include "OperatorRig.h"
#include "OrvaneUI.h"
#include "PtyPair.h"
#include "TestPorts.h"

#include <QClipboard>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QJsonArray>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QScrollArea>
#include <QSpinBox>
#include <QStyleOption>
#include <QTabWidget>
#include <QtTest>

namespace {

const QString Refresh = QStringLiteral("Обновить");
const QString RangeNotice = QStringLiteral("Проверьте диапазон настроек EID!");

bool Closed(OrvaneUI &W)
{
    return W.QPushButton_UsartSwitch->text() == QStringLiteral("Открыть") && W.QComboBox_UsartBaud->isEnabled()
        && !W.QPushButton_Config_Read->isEnabled() && !W.QPushButton_Config_Write->isEnabled()
        && !W.SerialPort->PortOpened;
}

// Entries From .. From + Count - 1 set to First, First + 1, ...
QStringList Put(QStringList List, int From, qint64 First, int Count)
{
    for (int K = 0; K < Count; ++K)
        List[From + K] = QString::number(First + K);
    return List;
}

QStringList Uniform(const QString &Text)
{
    return QVector<QString>(EidCount, Text).toList();
}

QJsonObject ParamReply(const QJsonArray &Entries)
{
    QJsonObject Reply = ConfigDocument::NewReply(ConfigDocument::KindParamSet);
    Reply.insert(ConfigDocument::KeyParamArray, Entries);
    return Reply;
}

int TextWidth(const QFontMetrics &Metrics, const QString &Text)
{
#if QT_VERSION >= QT_VERSION_CHECK(5, 11, 0)
    return Metrics.horizontalAdvance(Text);
#else
    return Metrics.width(Text);
#endif
}

// Every label, button, line edit (spin boxes' included) and shown combo
// item on show whose text does not fit the room the style draws it in.
QStringList CutTexts(QWidget &Window)
{
    QStringList Cut;
    for (QWidget *Widget : Window.findChildren<QWidget *>()) {
        if (!Widget->isVisible())
            continue;
        QStyle *Style = Widget->style();
        QString Text;
        QRect Room;
        int Extra = 0;
        if (auto *Label = qobject_cast<QLabel *>(Widget)) {
            Text = Label->text();
            Room = Label->contentsRect();
        } else if (auto *Button = qobject_cast<QPushButton *>(Widget)) {
            QStyleOptionButton Option;
            Option.initFrom(Button);
            Option.text = Button->text();
            Text = Option.text;
            Room = Style->subElementRect(QStyle::SE_PushButtonContents, &Option, Button);
        } else if (auto *Edit = qobject_cast<QLineEdit *>(Widget)) {
            QStyleOptionFrame Option;
            Option.initFrom(Edit);
            Option.lineWidth = Edit->hasFrame() ? Style->pixelMetric(QStyle::PM_DefaultFrameWidth, &Option, Edit) : 0;
            Text = Edit->displayText();
            // QLineEdit's own margins, and the cursor it keeps room for.
            Room = Style->subElementRect(QStyle::SE_LineEditContents, &Option, Edit)
                       .marginsRemoved(Edit->textMargins()).adjusted(2, 1, -2, -1);
            Extra = 1 + Style->pixelMetric(QStyle::PM_TextCursorWidth, nullptr, Edit);
        } else if (auto *Box = qobject_cast<QComboBox *>(Widget)) {
            QStyleOptionComboBox Option;
            Option.initFrom(Box);
            Option.currentText = Box->currentText();
            Option.frame = Box->hasFrame();
            Text = Option.currentText;
            Room = Style->subControlRect(QStyle::CC_ComboBox, &Option, QStyle::SC_ComboBoxEditField, Box)
                       .adjusted(1, 0, -1, 0);
        } else {
            continue;
        }
        const QFontMetrics Metrics = Widget->fontMetrics();
        const QSize Need(TextWidth(Metrics, Text) + Extra, Metrics.height());
        if (!Text.trimmed().isEmpty() && (Need.width() > Room.width() || Need.height() > Room.height()))
            Cut << QStringLiteral("%1 «%2» needs %3x%4, has %5x%6")
                       .arg(Widget->objectName(), Text)
                       .arg(Need.width()).arg(Need.height()).arg(Room.width()).arg(Room.height());
    }
    return Cut;
}

QRect RectIn(QWidget *Widget, QWidget *Ancestor)
{
    return QRect(Widget->mapTo(Ancestor, QPoint()), Widget->size());
}
// Puts a port into the list the way a scan would have, and picks it.
} // namespace

class tst_window : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();

    void openCloseReopen();
    void failedOpenAndRefresh();
    void fieldRanges();
    void presets_data();
    void presets();
    void eidRange_data();
    void eidRange();
    void eidPaste_data();
    void eidPaste();
    void paramDocuments();
    void eidDocuments();
    void operatorSeesWholeTextsAndEveryEid();

private:
    LogCapture *Quiet = nullptr; // the tool's debug log, kept out of the output
    OrvaneUI *W = nullptr;
};

void tst_window::initTestCase()
{
    Quiet = new LogCapture;
    W = new OrvaneUI;
    QVERIFY(W->Construct());
    W->show();
    QVERIFY(QTest::qWaitForWindowExposed(W));
    QVERIFY(Closed(*W));
}

void tst_window::cleanupTestCase()
{
    delete W;
    delete Quiet;
}

void tst_window::openCloseReopen()
{
    PtyPair Pair;
    W->QComboBox_UsartNum->addItem(Pair.SlavePath());
    W->QComboBox_UsartNum->setCurrentIndex(W->QComboBox_UsartNum->count() - 1);
    W->QComboBox_UsartBaud->setCurrentText(QStringLiteral("115200"));
    QTest::mouseClick(W->QPushButton_UsartSwitch, Qt::LeftButton);
    QCOMPARE(W->QPushButton_UsartSwitch->text(), QStringLiteral("Закрыть"));
    QVERIFY(!W->QComboBox_UsartNum->isEnabled() && !W->QComboBox_UsartBaud->isEnabled());
    QVERIFY(W->QPushButton_Config_Read->isEnabled() && W->QPushButton_Config_Write->isEnabled());
    QVERIFY(W->SerialPort->PortOpened);
    QCOMPARE(W->SerialPort->baudRate(), 115200);

    QTest::mouseClick(W->QPushButton_UsartSwitch, Qt::LeftButton);
    QVERIFY(Closed(*W));
    W->QComboBox_UsartBaud->setCurrentText(QStringLiteral("4800"));
    QTest::mouseClick(W->QPushButton_UsartSwitch, Qt::LeftButton);
    QCOMPARE(W->SerialPort->baudRate(), 4800);
    QTest::mouseClick(W->QPushButton_UsartSwitch, Qt::LeftButton);
    QVERIFY(Closed(*W));
}

void tst_window::failedOpenAndRefresh()
{
    NoticeCatcher Notices;
    W->QComboBox_UsartNum->addItem(QStringLiteral("/dev/korvel-gone"));
    W->QComboBox_UsartNum->setCurrentIndex(W->QComboBox_UsartNum->count() - 1);
    QTest::mouseClick(W->QPushButton_UsartSwitch, Qt::LeftButton);
    QCOMPARE(Notices.Count(), 1);
    QCOMPARE(Notices.Notices().at(0).Title, QStringLiteral("Уведомление"));
    QCOMPARE(Notices.Notices().at(0).Text, QStringLiteral("Не удалось открыть порт. Пожалуйста, проверьте!"));
    QVERIFY(Closed(*W));

    // «Обновить» scans again: the vanished entry goes, a port found now
    // comes; with «Обновить» current, «Открыть» does nothing.
    PtyPair Pair;
    TestPorts::Offer({QStringLiteral("/dev/korvel-gone"), Pair.SlavePath()});
    // Chosen from the keyboard, so that the combo box emits whichever
    // signal this Qt version has for it.
    QTest::keyClick(W->QComboBox_UsartNum, Qt::Key_Home);
    TestPorts::Offer({});
    QCOMPARE(W->QComboBox_UsartNum->currentText(), Refresh);
    QCOMPARE(W->QComboBox_UsartNum->count(), 2);
    QCOMPARE(W->QComboBox_UsartNum->itemText(1), Pair.SlavePath().mid(5));
    QTest::mouseClick(W->QPushButton_UsartSwitch, Qt::LeftButton);
    QTest::qWait(30);
    QCOMPARE(Notices.Count(), 1);
    QVERIFY(Closed(*W));
}

void tst_window::fieldRanges()
{
    const struct { QSpinBox *Box; int Min, Max; } Ranges[] = {
        {W->QSpinBox_Param_ModbusID, 1, 255}, {W->QSpinBox_Param_OffLineTime, 60, 60000},
        {W->QSpinBox_Param_DataUplinkCycle, 10, 60000}, {W->QSpinBox_Param_LocalNet, 1, 255},
        {W->QSpinBox_Param_RfTxPower, 1, 20}, {W->QSpinBox_Param_RfFrequency, 150, 960},
        {W->QSpinBox_Param_RfSf, 6, 12}, {W->QSpinBox_Param_RfLeadCode, 1, 60000},
        {W->QSpinBox_Param_TxTimeout, 10, 60000}, {W->QSpinBox_Param_RxTimeout, 10, 60000}};
    for (const auto &R : Ranges) {
        R.Box->setValue(R.Min - 1);
        QCOMPARE(R.Box->value(), R.Min);
        R.Box->setValue(R.Max + 1);
        QCOMPARE(R.Box->value(), R.Max);
    }
    // EID fields take 0 to 10000000, typed.
    QLineEdit *Edit = W->QLineEdit_Eid[3];
    Edit->clear();
    QTest::keyClicks(Edit, QStringLiteral("12a-3"));
    QCOMPARE(Edit->text(), QStringLiteral("123"));
    Edit->clear();
    QTest::keyClicks(Edit, QStringLiteral("100000009"));
    QCOMPARE(Edit->text(), QStringLiteral("10000000"));
}

void tst_window::presets_data()
{
    QTest::addColumn<QString>("slot"); // which change reaches the window
    QTest::addColumn<int>("bandWidth");
    QTest::addColumn<int>("sf");
    QTest::addColumn<int>("tx");
    QTest::addColumn<int>("rx");
    QTest::newRow("pick 250 at SF 9") << "QComboBox_Param_RfBandWidth_Activated" << 1 << 9 << 590 << 118;
    QTest::newRow("pick 500 at SF 12") << "QComboBox_Param_RfBandWidth_Activated" << 2 << 12 << 1785 << 357;
    QTest::newRow("pick 125 at SF 6") << "QComboBox_Param_RfBandWidth_Activated" << 0 << 6 << 230 << 46;
    QTest::newRow("SF 11 at 125") << "QSpinBox_Param_RfSf_ValueChanged" << 0 << 11 << 3925 << 785;
    QTest::newRow("SF 8 at 250") << "QSpinBox_Param_RfSf_ValueChanged" << 1 << 8 << 345 << 69;
    QTest::newRow("SF 7 at 500") << "QSpinBox_Param_RfSf_ValueChanged" << 2 << 7 << 130 << 26;
}

void tst_window::presets()
{
    QFETCH(QString, slot);
    QFETCH(int, bandWidth);
    QFETCH(int, sf);
    QFETCH(int, tx);
    QFETCH(int, rx);
    // Set by the program, neither loads a preset; then the operator's change.
    W->QSpinBox_Param_RfSf->setValue(sf);
    W->QComboBox_Param_RfBandWidth->setCurrentIndex(bandWidth);
    W->QSpinBox_Param_TxTimeout->setValue(5000);
    W->QSpinBox_Param_RxTimeout->setValue(5000);
    W->QComboBox_Param_RfBandWidth->setCurrentIndex((bandWidth + 1) % 3);
    W->QComboBox_Param_RfBandWidth->setCurrentIndex(bandWidth);
    QCOMPARE(W->QSpinBox_Param_TxTimeout->value(), 5000);
    QVERIFY(QMetaObject::invokeMethod(W, qPrintable(slot), Q_ARG(int, slot.contains("RfSf") ? sf : bandWidth)));
    QCOMPARE(W->QSpinBox_Param_TxTimeout->value(), tx);
    QCOMPARE(W->QSpinBox_Param_RxTimeout->value(), rx);
}

void tst_window::eidRange_data()
{
    QTest::addColumn<bool>("add");
    QTest::addColumn<QStringList>("before");
    QTest::addColumn<QString>("start");
    QTest::addColumn<QString>("end");
    QTest::addColumn<QStringList>("after"); // empty: refused with the notice

    const QStringList Zeros = Uniform(QStringLiteral("0"));
    const QStringList Empty = Uniform(QString());
    const QStringList Marked = Put(Zeros, 0, 9000, EidCount);
    QTest::newRow("set 5 to 204 fills all") << false << Marked << "5" << "204" << Put(Zeros, 0, 5, 200);
    QTest::newRow("set 5 to 205, too many") << false << Marked << "5" << "205" << QStringList();
    QTest::newRow("set 0 and 0 clears") << false << Marked << "0" << "0" << Zeros;
    QTest::newRow("set 7 to 3") << false << Marked << "7" << "3" << QStringList();
    QTest::newRow("set, start empty") << false << Marked << "" << "10" << Marked;

    const QStringList FiveInUse = Put(Zeros, 0, 1, 5);
    QTest::newRow("add after five in use") << true << FiveInUse << "50" << "52" << Put(FiveInUse, 5, 50, 3);
    QStringList NotInUse = Empty;
    NotInUse[0] = QStringLiteral("3");
    NotInUse[2] = NotInUse[150] = QStringLiteral("0");
    QStringList NotInUseAfter = Put(NotInUse, 1, 10, 2);
    for (int I = 3; I < EidCount; ++I)
        NotInUseAfter[I] = QStringLiteral("0");
    QTest::newRow("add: zeros are not in use") << true << NotInUse << "10" << "11" << NotInUseAfter;
    QStringList At197 = Empty;
    At197[197] = QStringLiteral("5");
    QTest::newRow("add 2 after 197 fits") << true << At197 << "8" << "9" << Put(At197, 198, 8, 2);
    QTest::newRow("add 3 after 197") << true << At197 << "8" << "10" << QStringList();
    QTest::newRow("add 1 to 200 to an empty list") << true << Empty << "1" << "200" << Put(Zeros, 0, 1, 200);
    QTest::newRow("add 1 to 201 to an empty list") << true << Empty << "1" << "201" << QStringList();
}

void tst_window::eidRange()
{
    QFETCH(bool, add);
    QFETCH(QStringList, before);
    QFETCH(QString, start);
    QFETCH(QString, end);
    QFETCH(QStringList, after);
    Expected::SetEidFields(*W, before);
    W->QLineEdit_Eid_Start->setText(start);
    W->QLineEdit_Eid_End->setText(end);
    NoticeCatcher Notices;
    (add ? W->pPushButton_Eid_Add : W->pPushButton_Eid_Config)->click();
    QCOMPARE(Expected::EidFields(*W), after.isEmpty() ? before : after);
    QCOMPARE(Notices.Count(), after.isEmpty() ? 1 : 0);
    if (after.isEmpty())
        QCOMPARE(Notices.Notices().at(0).Text, RangeNotice);
}

void tst_window::eidPaste_data()
{
    QTest::addColumn<QString>("how"); // Ctrl+V, Shift+Insert or the context menu
    QTest::addColumn<int>("slot");
    QTest::addColumn<QString>("clip");
    QTest::addColumn<QStringList>("after"); // empty: refused with the notice

    QStringList Column = Put(Uniform(QString()), 0, 9000000, EidCount);
    Column[0] = QStringLiteral("0");
    Column[199] = QStringLiteral("10000000");
    const QString Spreadsheet = Column.join(QStringLiteral("\r\n")) + QStringLiteral("\r\n\r\n");
    QTest::newRow("200 lines, CR LF, into entry 1") << "ctrl+v" << 0 << Spreadsheet << Column;
    const QString Four = QStringLiteral("44\n+7\n 8\n009\n\n");
    QTest::newRow("4 lines into entry 197") << "shift+insert" << 196 << Four
                                            << Put(Put(Expected::Untouched(), 196, 44, 1), 197, 7, 3);
    QTest::newRow("5 lines into entry 197") << "ctrl+v" << 196 << QStringLiteral("5\n") + Four << QStringList();
    QTest::newRow("201 lines into entry 1") << "ctrl+v" << 0 << Column.join("\n") + "\n1\n" << QStringList();
    QTest::newRow("above the range") << "ctrl+v" << 3 << "5\n10000001\n7" << QStringList();
    QTest::newRow("an empty line between") << "ctrl+v" << 3 << "5\n\n7" << QStringList();
    QTest::newRow("-1") << "ctrl+v" << 3 << "5\n-1" << QStringList();
    QTest::newRow("two cells") << "ctrl+v" << 3 << "5\n6\t7\n8" << QStringList();
    QTest::newRow("one row of two cells") << "ctrl+v" << 3 << "6\t7\r\n" << QStringList();
    // A second cell left empty is still a second cell: a row, not a value.
    QTest::newRow("a value and an empty cell") << "ctrl+v" << 3 << "5\n123\t\n7" << QStringList();
    QTest::newRow("one row, an empty second cell") << "ctrl+v" << 3 << "123\t\r\n" << QStringList();
    QTest::newRow("one value with a line end") << "ctrl+v" << 3 << "123\r\n"
                                               << Put(Expected::Untouched(), 3, 123, 1);
    QTest::newRow("one value, as typed: refused silently") << "shift+insert" << 4 << "12a\n"
                                                          << Expected::Untouched();
    QTest::newRow("menu: three lines") << "menu" << 10 << "1\n2\n3" << Put(Expected::Untouched(), 10, 1, 3);
    QTest::newRow("menu: one value") << "menu" << 12 << "5" << Put(Expected::Untouched(), 12, 5, 1);
    QTest::newRow("menu: a bad line") << "menu" << 10 << "1\nx\n3" << QStringList();
}

void tst_window::eidPaste()
{
    QFETCH(QString, how);
    QFETCH(int, slot);
    QFETCH(QString, clip);
    QFETCH(QStringList, after);
    Expected::SetEidFields(*W, Expected::Untouched());
    QGuiApplication::clipboard()->setText(clip);
    QLineEdit *const Edit = W->QLineEdit_Eid[slot];
    Edit->selectAll();
    NoticeCatcher Notices;
    if (how == QLatin1String("menu")) {
        // As the right mouse button or the menu key asks for it.
        QContextMenuEvent Ask(QContextMenuEvent::Keyboard, QPoint(2, 2), Edit->mapToGlobal(QPoint(2, 2)));
        QApplication::sendEvent(Edit, &Ask);
        auto *const Menu = qobject_cast<QMenu *>(QApplication::activePopupWidget());
        QVERIFY(Menu);
        QAction *Paste = nullptr;
        for (QAction *Action : Menu->actions())
            Paste = Action->text().startsWith(QStringLiteral("&Paste")) ? Action : Paste;
        QVERIFY(Paste && Paste->isEnabled());
        Menu->setActiveAction(Paste);
        QTest::keyClick(Menu, Qt::Key_Return);
        QCoreApplication::sendPostedEvents(); // the menu's paste comes once the menu has gone
    } else {
        const bool Ctrl = how == QLatin1String("ctrl+v");
        QTest::keyClick(Edit, Ctrl ? Qt::Key_V : Qt::Key_Insert, Ctrl ? Qt::ControlModifier : Qt::ShiftModifier);
    }
    QCOMPARE(Expected::EidFields(*W), after.isEmpty() ? Expected::Untouched() : after);
    QCOMPARE(Notices.Count(), after.isEmpty() ? 1 : 0);
    if (after.isEmpty()) {
        QCOMPARE(Notices.Notices().at(0).Title, QStringLiteral("Уведомление"));
        QCOMPARE(Notices.Notices().at(0).Text, RangeNotice);
    }
}

void tst_window::paramDocuments()
{
    // Each widget to its register, in map order.
    Expected::SetParamFields(*W, Expected::Operator);
    const QJsonObject Request = W->CollectParamSet();
    QCOMPARE(ConfigDocument::RequestHeader(Request, ConfigDocument::KindParamSet), ConfigDocument::HeaderTest::Passed);
    const QJsonArray Entries = Request.value(ConfigDocument::KeyParamArray).toArray();
    QCOMPARE(Entries.size(), Expected::ParamCount);
    for (int I = 0; I < Expected::ParamCount; ++I) {
        QCOMPARE(Entries.at(I), QJsonValue(ConfigDocument::MakeEntry(
                                    QString::fromLatin1(Expected::Params[I].Name), Expected::Params[I].Register,
                                    Expected::Operator[I])));
    }

    // A reply goes in by register alone, in array order: a spreading factor
    // loads the presets over the time-outs listed before it.
    QJsonArray Reply;
    for (int I = Expected::ParamCount - 1; I >= 0; --I)
        Reply.append(ConfigDocument::MakeEntry(QString(), Expected::Params[I].Register, Expected::DeviceValues[I]));
    Reply.append(ConfigDocument::MakeEntry("ModbusID", 40004, 99)); // no register of the map
    W->ApplyParamSet(ParamReply(Reply));
    // Reversed here, so the spreading factor (11 to 7) comes while the
    // bandwidth is still the operator's "500", and after the time-outs.
    QList<int> Shown = Expected::DeviceValues;
    Shown[11] = 130;
    Shown[12] = 26;
    QCOMPARE(Expected::ParamFields(*W), Shown);

    // A reply of another kind changes nothing.
    QJsonObject Other = ParamReply(QJsonArray{ConfigDocument::MakeEntry("RfSf", 40304, 12)});
    Other.insert(ConfigDocument::KeyOperate, ConfigDocument::OperateRead);
    W->ApplyParamSet(Other);
    QCOMPARE(Expected::ParamFields(*W), Shown);
}

void tst_window::eidDocuments()
{
    QStringList Texts = Expected::Untouched();
    Texts[2] = QStringLiteral("12");
    Texts[3] = QStringLiteral("-1");
    Texts[4] = QStringLiteral("abc");
    Expected::SetEidFields(*W, Texts);
    const QJsonArray Entries = W->CollectEidSet().value(ConfigDocument::KeyParamArray).toArray();
    QCOMPARE(Entries.size(), EidCount);
    const QList<int> Values{1, 0, 12, -1, 0};
    for (int Slot = 0; Slot < Values.size(); ++Slot)
        QCOMPARE(Entries.at(Slot), QJsonValue(ConfigDocument::MakeEntry("Eid", 47001 + 2 * Slot, Values[Slot])));
    QCOMPARE(ConfigDocument::EntryRegister(Entries.at(199).toObject()), 47399);

    // Both registers of a pair name its slot; others are passed over.
    QJsonObject Reply = ConfigDocument::NewReply(ConfigDocument::KindEidSet);
    Reply.insert(ConfigDocument::KeyParamArray,
                 QJsonArray{ConfigDocument::MakeEntry("Eid", 47002, 12), ConfigDocument::MakeEntry("Eid", 47400, -5),
                            ConfigDocument::MakeEntry("Eid", 47401, 7), ConfigDocument::MakeEntry("Eid", 47000, 7)});
    Expected::SetEidFields(*W, Expected::Untouched());
    W->ApplyEidSet(Reply);
    QStringList After = Expected::Untouched();
    After[0] = QStringLiteral("12");
    After[199] = QStringLiteral("-5");
    QCOMPARE(Expected::EidFields(*W), After);
}

void tst_window::operatorSeesWholeTextsAndEveryEid()
{
    // An X session without a desktop theme of its own (Qt's generic Unix
    // theme) gives 9 pt, as Windows does; the offscreen platform would give
    // 12. The window asks for "Arial", so what follows measures the
    // Arial-metric font the package brings, not a fallback.
    const QFont Before = QApplication::font();
    QApplication::setFont(QFont(QStringLiteral("Sans Serif"), 9));
    struct Restore
    {
        QFont Font;
        ~Restore() { QApplication::setFont(Font); }
    } Guard {Before};
    OperatorRig Rig;
    OrvaneUI &W = Rig.Window;
    const QFontInfo Font(W.font());
    QCOMPARE(Font.family(), QStringLiteral("Liberation Sans"));
    QCOMPARE(Font.pointSize(), 9);

    // The widest values the fields take: eight-digit EIDs.
    for (int Slot = 0; Slot < EidCount; ++Slot)
        Rig.Device.Core().SetEid(Slot, 10000000 - Slot);
    QStringList Cut;
    for (const bool Open : {false, true}) {
        if (Open) {
            // Listed the way the scan lists a port: by its name under /dev.
            QVERIFY(Rig.OpenPort());
            QVERIFY(W.SerialPort->PortOpened);
        }
        for (QWidget *Page : {W.QWidget_Tab_Param, W.QWidget_Tab_Eid}) {
            W.QTabWidget_Config->setCurrentWidget(Page);
            if (Open)
                QTest::mouseClick(W.QPushButton_Config_Read, Qt::LeftButton);
            QCOMPARE(Rig.Notices.Count(), 0);
            for (const QString &Line : CutTexts(W))
                Cut << QStringLiteral("%1/%2: %3").arg(Page->objectName(), Open ? "open" : "closed", Line);
        }
    }
    QCOMPARE(W.QLineEdit_Eid[EidCount - 1]->text(), QStringLiteral("9999801"));

    // Tabbing from entry to entry brings each one wholly into view, and
    // the view itself lies on the page.
    QWidget *View = W.QScrollArea_Eid->viewport();
    const QRect ViewOnPage = RectIn(View, W.QWidget_Tab_Eid);
    if (!W.QWidget_Tab_Eid->rect().contains(ViewOnPage))
        Cut << QStringLiteral("viewport reaches y %1 on a page of height %2")
                   .arg(ViewOnPage.bottom() + 1).arg(W.QWidget_Tab_Eid->height());
    QStringList Hidden;
    QVERIFY(QTest::qWaitForWindowActive(&W));
    W.QLineEdit_Eid[0]->setFocus();
    for (int I = 0; I < EidCount; ++I) {
        if (I > 0)
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QLineEdit *Edit = W.QLineEdit_Eid[I];
        QVERIFY2(Edit->hasFocus(), qPrintable(Edit->objectName()));
        if (!View->rect().contains(RectIn(Edit, View)))
            Hidden << Edit->objectName();
    }
    if (!Hidden.isEmpty())
        Cut << QStringLiteral("out of view: ") + Hidden.join(QLatin1Char(' '));
    QVERIFY2(Cut.isEmpty(), qPrintable(Cut.join(QLatin1Char('\n'))));
}

QTEST_MAIN(tst_window)
#include "tst_window.moc"
