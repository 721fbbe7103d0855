// The serial port panel: construction and its two slots. Its open state is
// the text of the switch button.

#include "OrvaneUI.h"

#include "MySerialPort.h"
#include "ParamRegisters.h"

#include <QComboBox>
#include <QDebug>
#include <QFormLayout>
#include <QGroupBox>
#include <QJsonDocument>
#include <QJsonObject>
#include <QPushButton>

namespace {
const QString RefreshEntry = QStringLiteral("Обновить");
const QString OpenText = QStringLiteral("Открыть");
const QString CloseText = QStringLiteral("Закрыть");
} // namespace

void OrvaneUI::BuildUsartPanel()
{
    QFormLayout_Usart = new QFormLayout();
    QFormLayout_Usart->setObjectName(QStringLiteral("QFormLayout_Usart"));
    QComboBox_UsartNum = new QComboBox();
    QComboBox_UsartNum->setObjectName(QStringLiteral("QComboBox_UsartNum"));
    QComboBox_UsartBaud = new QComboBox();
    QComboBox_UsartBaud->setObjectName(QStringLiteral("QComboBox_UsartBaud"));
    QComboBox_UsartDataBits = new QComboBox();
    QComboBox_UsartDataBits->setObjectName(QStringLiteral("QComboBox_UsartDataBits"));
    QComboBox_UsartStopBits = new QComboBox();
    QComboBox_UsartStopBits->setObjectName(QStringLiteral("QComboBox_UsartStopBits"));
    QComboBox_UsartParity = new QComboBox();
    QComboBox_UsartParity->setObjectName(QStringLiteral("QComboBox_UsartParity"));
    QPushButton_UsartSwitch = new QPushButton(OpenText, QGroupBox_Usart);
    QPushButton_UsartSwitch->setObjectName(QStringLiteral("QPushButton_UsartSwitch"));

    QGroupBox_Usart->setGeometry(10, 10, 225, 700);

    QComboBox_UsartNum->addItem(RefreshEntry);
    for (const QString &Name : SerialPort->GetPortNames())
        QComboBox_UsartNum->addItem(Name);
    // Qt 6 dropped activated(const QString &); textActivated carries the
    // same text.
#if QT_VERSION >= QT_VERSION_CHECK(6, 0, 0)
    connect(QComboBox_UsartNum, SIGNAL(textActivated(const QString &)), this,
            SLOT(QComboBox_UsartNum_Activated(const QString &)));
#else
    connect(QComboBox_UsartNum, SIGNAL(activated(const QString &)), this,
            SLOT(QComboBox_UsartNum_Activated(const QString &)));
#endif

    // Each item carries its speed, so that opening never reads it back
    // from the text.
    const QStringList BaudTexts = ParamRegisters::BaudRateTexts();
    for (int I = 0; I < ParamRegisters::BaudRateCount; ++I)
        QComboBox_UsartBaud->addItem(BaudTexts[I], ParamRegisters::BaudRates[I]);
    QComboBox_UsartBaud->setCurrentIndex(QComboBox_UsartBaud->findData(ParamRegisters::DefaultBaud));

    QComboBox_UsartDataBits->addItem(QStringLiteral("8"));
    QComboBox_UsartStopBits->addItem(QStringLiteral("1 бит"));
    QComboBox_UsartParity->addItem(QStringLiteral("Нет"));

    QPushButton_UsartSwitch->resize(100, 25);
    connect(QPushButton_UsartSwitch, SIGNAL(clicked()), this,
            SLOT(QPushButton_UsartSwitch_Clicked()));
    PlaceUsartRows();
}

// The form's rows, label and field, and the box it fills.
void OrvaneUI::PlaceUsartRows()
{
    QFormLayout_Usart->addRow(QStringLiteral("Номер COM-порта:"), QComboBox_UsartNum);
    QFormLayout_Usart->addRow(QStringLiteral("Скорость (бод):"), QComboBox_UsartBaud);
    QFormLayout_Usart->addRow(QStringLiteral("Биты данных:"), QComboBox_UsartDataBits);
    QFormLayout_Usart->addRow(QStringLiteral("Стоп-биты:"), QComboBox_UsartStopBits);
    QFormLayout_Usart->addRow(QStringLiteral("Бит чётности:"), QComboBox_UsartParity);
    QFormLayout_Usart->addRow(QStringLiteral("      "), QPushButton_UsartSwitch);
    QFormLayout_Usart->setSpacing(10);
    QGroupBox_Usart->setLayout(QFormLayout_Usart);

    // In the 225-pixel box the form's usual side margins leave the label
    // column less than «Номер COM-порта:» needs next to the combo boxes, and
    // the form would cut the label. Narrow side margins leave room for both.
    QMargins Margins = QFormLayout_Usart->contentsMargins();
    Margins.setLeft(2);
    Margins.setRight(2);
    QFormLayout_Usart->setContentsMargins(Margins);
}

void OrvaneUI::QPushButton_UsartSwitch_Clicked()
{
    QComboBox *const Boxes[] = {QComboBox_UsartNum, QComboBox_UsartBaud,
                                QComboBox_UsartDataBits, QComboBox_UsartStopBits,
                                QComboBox_UsartParity};

    if (QPushButton_UsartSwitch->text() != OpenText) {
        SerialPort->ClosePort();
        QPushButton_UsartSwitch->setText(OpenText);
        for (QComboBox *Box : Boxes)
            Box->setEnabled(true);
        QPushButton_Config_Read->setEnabled(false);
        QPushButton_Config_Write->setEnabled(false);
        return;
    }

    if (QComboBox_UsartNum->currentText() == RefreshEntry)
        return;

    QJsonObject Settings;
    Settings.insert(QStringLiteral("PortName"), QComboBox_UsartNum->currentText());
    Settings.insert(QStringLiteral("BaudRate"), QComboBox_UsartBaud->currentData().toInt());
    Settings.insert(QStringLiteral("DataBits"), QComboBox_UsartDataBits->currentText().toInt());
    Settings.insert(QStringLiteral("Parity"), QComboBox_UsartParity->currentText());
    Settings.insert(QStringLiteral("StopBits"), QComboBox_UsartStopBits->currentText());
    qDebug().noquote() << QString::fromUtf8(QJsonDocument(Settings).toJson());

    const QString PortName = QComboBox_UsartNum->currentText();
    const qint32 BaudRate = QComboBox_UsartBaud->currentData().toInt();

    if (SerialPort->OpenPort(PortName, BaudRate, QSerialPort::Data8, QSerialPort::NoParity,
                             QSerialPort::OneStop, QSerialPort::NoFlowControl)) {
        QPushButton_UsartSwitch->setText(CloseText);
        for (QComboBox *Box : Boxes)
            Box->setEnabled(false);
        QPushButton_Config_Read->setEnabled(true);
        QPushButton_Config_Write->setEnabled(true);
    } else {
        ShowNotice(tr("Не удалось открыть порт. Пожалуйста, проверьте!"));
    }
}

void OrvaneUI::QComboBox_UsartNum_Activated(const QString &text)
{
    qDebug().noquote() << text;
    if (text != RefreshEntry)
        return;
    qDebug() << "刷新串口端口";
    QComboBox_UsartNum->clear();
    QComboBox_UsartNum->addItem(RefreshEntry);
    for (const QString &Name : SerialPort->GetPortNames())
        QComboBox_UsartNum->addItem(Name);
}
