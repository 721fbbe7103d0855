// The main window's frame and the serial port panel, driven through their
// widgets against a real pseudo-terminal.

#include "LogCapture.h"
#include "MySerialPort.h"
#include "NoticeCatcher.h"
#include "OperatorRig.h"
#include "OrvaneUI.h"
#include "PtyPair.h"

#include <QComboBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QLineEdit>
#include <QMetaMethod>
#include <QPushButton>
#include <QScrollArea>
#include <QStyleOption>
#include <QTabWidget>
#include <QtTest>

namespace {
const QString Refresh = QStringLiteral("Обновить");

// Puts a pty into the port list the way a scan would have, and picks it.
void PickPort(OrvaneUI &W, const QString &Path)
{
    W.QComboBox_UsartNum->addItem(Path);
    W.QComboBox_UsartNum->setCurrentIndex(W.QComboBox_UsartNum->count() - 1);
}

// The signal the combo box emits when the operator picks an entry.
void Activate(OrvaneUI &W, const QString &Text)
{
    QVERIFY(QMetaObject::invokeMethod(W.QComboBox_UsartNum, "activated", Q_ARG(QString, Text)));
}

QList<QComboBox *> PanelBoxes(OrvaneUI &W)
{
    return {W.QComboBox_UsartNum, W.QComboBox_UsartBaud, W.QComboBox_UsartDataBits,
            W.QComboBox_UsartStopBits, W.QComboBox_UsartParity};
}

void VerifyClosedState(OrvaneUI &W)
{
    QCOMPARE(W.QPushButton_UsartSwitch->text(), QStringLiteral("Открыть"));
    for (QComboBox *Box : PanelBoxes(W))
        QVERIFY2(Box->isEnabled(), qPrintable(Box->objectName()));
    QVERIFY(!W.QPushButton_Config_Read->isEnabled());
    QVERIFY(!W.QPushButton_Config_Write->isEnabled());
    QVERIFY(!W.SerialPort->PortOpened);
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
} // namespace

class tst_window : public QObject
{
    Q_OBJECT

private slots:
    void frameAndGeometry();
    void membersCarryTheirNames();
    void slotsInMetaObjectOrder();
    void panelContents();
    void openAtChosenSpeedCloseReopen();
    void openWithRefreshCurrentIsIgnored();
    void failedOpenShowsNotice();
    void refreshRebuildsList();
    void choosingAPortOnlyLogsIt();
    void operatorSeesWholeTextsAndEveryEid();
};

void tst_window::frameAndGeometry()
{
    LogCapture Log;
    OrvaneUI W;
    QVERIFY(W.Construct());
    QCOMPARE(Log.Lines().value(0), QStringLiteral("OrvaneUI::Construct()"));
    W.show();
    QVERIFY(QTest::qWaitForWindowExposed(&W));

    QCOMPARE(W.size(), QSize(1280, 720));
    QCOMPARE(W.minimumSize(), QSize(1280, 720));
    QCOMPARE(W.maximumSize(), QSize(1280, 720));
    QCOMPARE(W.windowTitle(), QStringLiteral("Корвел"));
    QCOMPARE(W.font().family(), QStringLiteral("Arial"));

    QCOMPARE(W.QGroupBox_Usart->geometry(), QRect(10, 10, 225, 700));
    QCOMPARE(W.QGroupBox_Config->geometry(), QRect(245, 10, 1025, 700));
    QCOMPARE(W.QGroupBox_Usart->title(), QStringLiteral("Настройки COM-порта"));
    QCOMPARE(W.QGroupBox_Config->title(), QStringLiteral("Настройка параметров"));

    QCOMPARE(W.QTabWidget_Config->count(), 2);
    QCOMPARE(W.QTabWidget_Config->tabText(0), QStringLiteral("Настройка параметров"));
    QCOMPARE(W.QTabWidget_Config->tabText(1), QStringLiteral("Настройка EID"));
    QCOMPARE(W.QTabWidget_Config->currentIndex(), 0);
    QCOMPARE(W.QTabWidget_Config->widget(0), W.QWidget_Tab_Param);
    QCOMPARE(W.QTabWidget_Config->widget(1), W.QWidget_Tab_Eid);

    QCOMPARE(W.QPushButton_Config_Read->text(), QStringLiteral("Считать параметры"));
    QCOMPARE(W.QPushButton_Config_Write->text(), QStringLiteral("Записать параметры"));
    QCOMPARE(W.QPushButton_Config_Read->size(), QSize(150, 25));
    QCOMPARE(W.QPushButton_Config_Write->size(), QSize(150, 25));
    QVERIFY(!W.QPushButton_Config_Read->isEnabled());
    QVERIFY(!W.QPushButton_Config_Write->isEnabled());
    // The buttons sit in a row under the tabs, Read first.
    QVERIFY(W.QPushButton_Config_Read->mapTo(&W, QPoint()).x()
            < W.QPushButton_Config_Write->mapTo(&W, QPoint()).x());
    QVERIFY(W.QPushButton_Config_Read->mapTo(&W, QPoint()).y()
            > W.QTabWidget_Config->mapTo(&W, QPoint()).y() + W.QTabWidget_Config->height() - 1);

    // An icon never scales a pixmap up, so asking for more gives its own size.
    QVERIFY(!W.windowIcon().isNull());
    QCOMPARE(W.windowIcon().pixmap(QSize(1024, 1024)).size(), QSize(421, 421));
    const QImage Icon(QStringLiteral(":/Icon/APP.png"));
    QCOMPARE(Icon.size(), QSize(421, 421));
    QVERIFY(Icon.hasAlphaChannel());
    QCOMPARE(W.metaObject()->className(), "OrvaneUI");
    QCOMPARE(qobject_cast<OrvaneUI *>(static_cast<QWidget *>(&W)), &W);
    QCOMPARE(W.SerialPort->parent(), &W);
}

void tst_window::membersCarryTheirNames()
{
    OrvaneUI W;
    QVERIFY(W.Construct());
    const QList<QObject *> Members = {
        W.QGroupBox_Usart, W.QFormLayout_Usart, W.QComboBox_UsartNum, W.QComboBox_UsartBaud,
        W.QComboBox_UsartDataBits, W.QComboBox_UsartStopBits, W.QComboBox_UsartParity,
        W.QPushButton_UsartSwitch, W.QGroupBox_Config, W.QVBoxLayout_Config,
        W.QHBoxLayout_Config, W.QPushButton_Config_Read, W.QPushButton_Config_Write,
        W.QTabWidget_Config, W.QWidget_Tab_Param, W.QWidget_Tab_Eid, W.SerialPort};
    for (QObject *Member : Members) {
        QVERIFY(Member);
        QVERIFY2(!Member->objectName().isEmpty(), Member->metaObject()->className());
        QCOMPARE(W.findChild<QObject *>(Member->objectName()), Member);
    }
    QCOMPARE(W.findChild<QComboBox *>(QStringLiteral("QComboBox_UsartNum")), W.QComboBox_UsartNum);
}

void tst_window::slotsInMetaObjectOrder()
{
    OrvaneUI W;
    const QMetaObject *Meta = W.metaObject();
    QStringList Slots;
    for (int I = Meta->methodOffset(); I < Meta->methodCount(); ++I) {
        const QMetaMethod Method = Meta->method(I);
        QCOMPARE(Method.methodType(), QMetaMethod::Slot);
        QCOMPARE(Method.access(), QMetaMethod::Private);
        Slots << QString::fromLatin1(Method.methodSignature());
    }
    QCOMPARE(Slots, QStringList({
        QStringLiteral("QPushButton_UsartSwitch_Clicked()"),
        QStringLiteral("QComboBox_UsartNum_Activated(QString)"),
        QStringLiteral("QPushButton_Config_Read_Clicked()"),
        QStringLiteral("QPushButton_Config_Write_Clicked()"),
        QStringLiteral("pPushButton_Eid_Config_Clicked()"),
        QStringLiteral("pPushButton_Eid_Add_Clicked()"),
        QStringLiteral("QComboBox_Param_RfBandWidth_Activated(int)"),
        QStringLiteral("QSpinBox_Param_RfSf_ValueChanged(int)")}));
    QCOMPARE(Meta->method(Meta->methodOffset() + 1).parameterNames().value(0), QByteArray("text"));
    QCOMPARE(Meta->method(Meta->methodOffset() + 6).parameterNames().value(0), QByteArray("Index"));
    QCOMPARE(Meta->method(Meta->methodOffset() + 7).parameterNames().value(0), QByteArray("NewValue"));

    const QMetaObject *PortMeta = &MySerialPort::staticMetaObject;
    QCOMPARE(PortMeta->className(), "MySerialPort");
    QCOMPARE(PortMeta->methodCount() - PortMeta->methodOffset(), 2);
    QCOMPARE(PortMeta->method(PortMeta->methodOffset()).methodSignature(), QByteArray("RecvData(QByteArray)"));
    QCOMPARE(PortMeta->method(PortMeta->methodOffset() + 1).methodSignature(), QByteArray("onRecvData()"));
}

void tst_window::panelContents()
{
    OrvaneUI W;
    QVERIFY(W.Construct());
    QCOMPARE(W.QComboBox_UsartNum->itemText(0), Refresh);
    QCOMPARE(W.QComboBox_UsartNum->currentIndex(), 0);
    QCOMPARE(W.QComboBox_UsartNum->count(), 1 + W.SerialPort->PortNameList.size());
    QStringList Bauds;
    for (int I = 0; I < W.QComboBox_UsartBaud->count(); ++I)
        Bauds << W.QComboBox_UsartBaud->itemText(I);
    QCOMPARE(Bauds, QStringList({"4800", "9600", "19200", "38400", "57600", "115200"}));
    QCOMPARE(W.QComboBox_UsartBaud->currentText(), QStringLiteral("9600"));
    QCOMPARE(W.QComboBox_UsartDataBits->count(), 1);
    QCOMPARE(W.QComboBox_UsartDataBits->currentText(), QStringLiteral("8"));
    QCOMPARE(W.QComboBox_UsartStopBits->currentText(), QStringLiteral("1 бит"));
    QCOMPARE(W.QComboBox_UsartParity->currentText(), QStringLiteral("Нет"));
    for (QComboBox *Box : PanelBoxes(W))
        QVERIFY(!Box->isEditable());

    QFormLayout *Form = W.QFormLayout_Usart;
    QCOMPARE(W.QGroupBox_Usart->layout(), Form);
    QCOMPARE(Form->rowCount(), 6);
    QCOMPARE(Form->spacing(), 10);
    const QStringList Labels = {"Номер COM-порта:", "Скорость (бод):", "Биты данных:",
                                "Стоп-биты:", "Бит чётности:", "      "};
    const QList<QWidget *> Fields = {W.QComboBox_UsartNum, W.QComboBox_UsartBaud,
                                     W.QComboBox_UsartDataBits, W.QComboBox_UsartStopBits,
                                     W.QComboBox_UsartParity, W.QPushButton_UsartSwitch};
    for (int Row = 0; Row < 6; ++Row) {
        auto *Label = qobject_cast<QLabel *>(Form->itemAt(Row, QFormLayout::LabelRole)->widget());
        QVERIFY(Label);
        QCOMPARE(Label->text(), Labels[Row]);
        QCOMPARE(Form->itemAt(Row, QFormLayout::FieldRole)->widget(), Fields[Row]);
    }
    VerifyClosedState(W);
}

void tst_window::openAtChosenSpeedCloseReopen()
{
    PtyPair Pair;
    OrvaneUI W;
    QVERIFY(W.Construct());
    PickPort(W, Pair.SlavePath());
    W.QComboBox_UsartBaud->setCurrentIndex(5);

    LogCapture Log;
    QTest::mouseClick(W.QPushButton_UsartSwitch, Qt::LeftButton);
    QCOMPARE(W.QPushButton_UsartSwitch->text(), QStringLiteral("Закрыть"));
    for (QComboBox *Box : PanelBoxes(W))
        QVERIFY(!Box->isEnabled());
    QVERIFY(W.QPushButton_Config_Read->isEnabled());
    QVERIFY(W.QPushButton_Config_Write->isEnabled());
    QVERIFY(W.SerialPort->PortOpened);
    QVERIFY(Pair.SlavePath().endsWith(W.SerialPort->portName()));
    QCOMPARE(W.SerialPort->baudRate(), 115200);

    // The settings object is logged once, as indented JSON.
    QCOMPARE(Log.Lines().size(), 1);
    const QString Text = Log.Lines().first();
    QVERIFY(Text.contains(QStringLiteral("\n    \"BaudRate\": 115200")));
    const QJsonObject Settings = QJsonDocument::fromJson(Text.toUtf8()).object();
    QCOMPARE(Settings.value("PortName").toString(), Pair.SlavePath());
    QVERIFY(Settings.value("BaudRate").isDouble());
    QVERIFY(Settings.value("PortName").isString());
    QCOMPARE(Settings.value("BaudRate").toInt(), 115200);
    QCOMPARE(Settings.value("DataBits").toInt(), 8);
    QCOMPARE(Settings.value("Parity").toString(), QStringLiteral("Нет"));
    QCOMPARE(Settings.value("StopBits").toString(), QStringLiteral("1 бит"));
    QCOMPARE(Settings.size(), 5);

    QTest::mouseClick(W.QPushButton_UsartSwitch, Qt::LeftButton);
    VerifyClosedState(W);
    QCOMPARE(W.QComboBox_UsartNum->currentText(), Pair.SlavePath());
    QCOMPARE(W.QComboBox_UsartBaud->currentText(), QStringLiteral("115200"));

    W.QComboBox_UsartBaud->setCurrentIndex(0);
    QTest::mouseClick(W.QPushButton_UsartSwitch, Qt::LeftButton);
    QVERIFY(W.SerialPort->PortOpened);
    QCOMPARE(W.SerialPort->baudRate(), 4800);
}

void tst_window::openWithRefreshCurrentIsIgnored()
{
    OrvaneUI W;
    QVERIFY(W.Construct());
    NoticeCatcher Notices;
    LogCapture Log;
    QTest::mouseClick(W.QPushButton_UsartSwitch, Qt::LeftButton);
    QTest::qWait(30);
    QVERIFY(Log.Lines().isEmpty());
    QCOMPARE(Notices.Count(), 0);
    VerifyClosedState(W);
}

void tst_window::failedOpenShowsNotice()
{
    OrvaneUI W;
    QVERIFY(W.Construct());
    W.show();
    PickPort(W, QStringLiteral("/dev/korvel-gone"));
    NoticeCatcher Notices;
    QTest::mouseClick(W.QPushButton_UsartSwitch, Qt::LeftButton);
    QCOMPARE(Notices.Count(), 1);
    QCOMPARE(Notices.Notices().first().Title, QStringLiteral("Уведомление"));
    QCOMPARE(Notices.Notices().first().Text,
             QStringLiteral("Не удалось открыть порт. Пожалуйста, проверьте!"));
    VerifyClosedState(W);
}

void tst_window::refreshRebuildsList()
{
    OrvaneUI W;
    QVERIFY(W.Construct());
    PickPort(W, QStringLiteral("/dev/korvel-stale"));
    const int Before = W.QComboBox_UsartNum->count();

    LogCapture Log;
    Activate(W, Refresh);
    QCOMPARE(W.QComboBox_UsartNum->currentIndex(), 0);
    QCOMPARE(W.QComboBox_UsartNum->currentText(), Refresh);
    QCOMPARE(W.QComboBox_UsartNum->count(), Before - 1);
    QVERIFY(W.QComboBox_UsartNum->findText(QStringLiteral("/dev/korvel-stale")) < 0);
    for (int I = 0; I < W.SerialPort->PortNameList.size(); ++I)
        QCOMPARE(W.QComboBox_UsartNum->itemText(I + 1), W.SerialPort->PortNameList[I]);
    QCOMPARE(Log.Lines().value(0), Refresh);
    QCOMPARE(Log.Lines().value(1), QStringLiteral("刷新串口端口"));

    // A second refresh scans again.
    Log.Clear();
    Activate(W, Refresh);
    QCOMPARE(Log.Lines().filter(QStringLiteral("刷新串口端口")).size(), 1);
    QCOMPARE(W.QComboBox_UsartNum->currentText(), Refresh);
}

void tst_window::choosingAPortOnlyLogsIt()
{
    OrvaneUI W;
    QVERIFY(W.Construct());
    PickPort(W, QStringLiteral("/dev/korvel-some"));
    const int Count = W.QComboBox_UsartNum->count();
    LogCapture Log;
    Activate(W, QStringLiteral("/dev/korvel-some"));
    QCOMPARE(Log.Lines(), QStringList {QStringLiteral("/dev/korvel-some")});
    QCOMPARE(W.QComboBox_UsartNum->count(), Count);
    VerifyClosedState(W);
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
            // Listed the way a scan lists a port: by its name under /dev.
            QVERIFY(Rig.Pair.SlavePath().startsWith(QStringLiteral("/dev/")));
            PickPort(W, Rig.Pair.SlavePath().mid(5));
            QTest::mouseClick(W.QPushButton_UsartSwitch, Qt::LeftButton);
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
