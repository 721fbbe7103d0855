// The Read and Write commands: run the exchange of the tab on show and tell
// the operator when it failed.

#include "OrvaneUI.h"

#include "ConfigDocument.h"
#include "DocumentExchange.h"
#include "MySerialPort.h"
#include "SerialPortLine.h"

#include <QDebug>
#include <QPushButton>
#include <QTabWidget>

void OrvaneUI::QPushButton_Config_Read_Clicked()
{
    qDebug() << "QPushButton_Config_Read_Clicked";
    RunCommand(false);
}

void OrvaneUI::QPushButton_Config_Write_Clicked()
{
    qDebug() << "QPushButton_Config_Write_Clicked";
    RunCommand(true);
}

void OrvaneUI::RunCommand(bool Write)
{
    // The tab is chosen once, here: switching tabs while the exchange runs
    // does not change which exchange runs.
    const QString Title = QTabWidget_Config->tabText(QTabWidget_Config->currentIndex());
    QPushButton_Config_Read->setEnabled(false);
    QPushButton_Config_Write->setEnabled(false);

    bool Known = true;
    bool Ok = false;
    if (Title == tr("Настройка параметров")) {
        qDebug().noquote() << Title;
        const QJsonObject Request = CollectParamSet();
        Ok = Write ? ExchangeParamWrite(Request) : ExchangeParamRead(Request);
    } else if (Title == tr("Настройка EID")) {
        qDebug().noquote() << Title;
        const QJsonObject Request = CollectEidSet();
        qDebug().noquote() << ConfigDocument::ToLogText(Request);
        Ok = Write ? ExchangeEidWrite(Request) : ExchangeEidRead(Request);
    } else {
        Known = false;
    }
    if (Known && !Ok)
        ShowNotice(tr("Ошибка связи по COM-порту. Пожалуйста, проверьте!"));

    // The operator may have closed the port during the exchange; the buttons
    // then stay disabled, as they are whenever the port is closed.
    const bool PortStillOpen = SerialPort->PortOpened;
    QPushButton_Config_Read->setEnabled(PortStillOpen);
    QPushButton_Config_Write->setEnabled(PortStillOpen);
}

// One exchange of a tab through the window's port; the reply reaches the
// widgets only when every transaction passed.
bool OrvaneUI::RunExchange(ExchangeStep Run, const QJsonObject &Request, ApplyStep Apply)
{
    SerialPortLine Line(*SerialPort);
    DocumentExchange Exchange(Line);
    QJsonObject Reply;
    if (!(Exchange.*Run)(Request, &Reply))
        return false;
    (this->*Apply)(Reply);
    return true;
}
