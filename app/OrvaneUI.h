#ifndef KORVEL_ORVANEUI_H
#define KORVEL_ORVANEUI_H

// The main window. Its member functions live in the folder of their
// subject: app/ (frame, serial port panel, Read and Write commands),
// params/ (parameter tab) and eid/ (EID tab).

#include "EidRegisters.h"

#include <QJsonObject>
#include <QWidget>

class QComboBox;
class QFormLayout;
class QGridLayout;
class QGroupBox;
class QHBoxLayout;
class QIntValidator;
class QLabel;
class QLineEdit;
class QPushButton;
class QScrollArea;
class QSpinBox;
class QTabWidget;
class QVBoxLayout;
class DocumentExchange;
class MySerialPort;

class OrvaneUI : public QWidget
{
    Q_OBJECT

public:
    OrvaneUI();
    ~OrvaneUI() override;

    bool Construct();

    // Parameter tab: widgets <-> document, and the two exchanges.
    QJsonObject CollectParamSet() const;
    void ApplyParamSet(const QJsonObject &Reply);
    bool ExchangeParamRead(const QJsonObject &Request);
    bool ExchangeParamWrite(const QJsonObject &Request);

    // EID tab: widgets <-> document, and the two exchanges.
    QJsonObject CollectEidSet() const;
    void ApplyEidSet(const QJsonObject &Reply);
    bool ExchangeEidRead(const QJsonObject &Request);
    bool ExchangeEidWrite(const QJsonObject &Request);

    // Preset time-outs by bandwidth index * 7 + (spreading factor - 6).
    qint32 TxTimeoutTable[21];
    qint32 RxTimeoutTable[21];

    QGroupBox *QGroupBox_Usart = nullptr;
    QFormLayout *QFormLayout_Usart = nullptr;
    QComboBox *QComboBox_UsartNum = nullptr;
    QComboBox *QComboBox_UsartBaud = nullptr;
    QComboBox *QComboBox_UsartDataBits = nullptr;
    QComboBox *QComboBox_UsartStopBits = nullptr;
    QComboBox *QComboBox_UsartParity = nullptr;
    QPushButton *QPushButton_UsartSwitch = nullptr;

    QGroupBox *QGroupBox_Config = nullptr;
    QVBoxLayout *QVBoxLayout_Config = nullptr;
    QHBoxLayout *QHBoxLayout_Config = nullptr;
    QPushButton *QPushButton_Config_Read = nullptr;
    QPushButton *QPushButton_Config_Write = nullptr;
    QTabWidget *QTabWidget_Config = nullptr;
    QWidget *QWidget_Tab_Param = nullptr;
    QWidget *QWidget_Tab_Eid = nullptr;

    QGridLayout *QGridLayout_Param = nullptr;
    QLabel *QLabel_Param_ModbusID = nullptr;
    QSpinBox *QSpinBox_Param_ModbusID = nullptr;
    QLabel *QLabel_Param_BaudRate = nullptr;
    QComboBox *QComboBox_Param_BaudRate = nullptr;
    QLabel *QLabel_Param_OffLineTime = nullptr;
    QSpinBox *QSpinBox_Param_OffLineTime = nullptr;
    QLabel *QLabel_Param_DataUplinkCycle = nullptr;
    QSpinBox *QSpinBox_Param_DataUplinkCycle = nullptr;
    QLabel *QLabel_Param_LocalNet = nullptr;
    QSpinBox *QSpinBox_Param_LocalNet = nullptr;
    QLabel *QLabel_Param_TimeMark = nullptr;
    QComboBox *QComboBox_Param_TimeMark = nullptr;
    QLabel *QLabel_Param_RfTxPower = nullptr;
    QSpinBox *QSpinBox_Param_RfTxPower = nullptr;
    QLabel *QLabel_Param_RfFrequency = nullptr;
    QSpinBox *QSpinBox_Param_RfFrequency = nullptr;
    QLabel *QLabel_Param_RfBandWidth = nullptr;
    QComboBox *QComboBox_Param_RfBandWidth = nullptr;
    QLabel *QLabel_Param_RfSf = nullptr;
    QSpinBox *QSpinBox_Param_RfSf = nullptr;
    QLabel *QLabel_Param_RfLeadCode = nullptr;
    QSpinBox *QSpinBox_Param_RfLeadCode = nullptr;
    QLabel *QLabel_Param_TxTimeout = nullptr;
    QSpinBox *QSpinBox_Param_TxTimeout = nullptr;
    QLabel *QLabel_Param_RxTimeout = nullptr;
    QSpinBox *QSpinBox_Param_RxTimeout = nullptr;
    QLabel *QLabel_Param_RssiOut = nullptr;
    QComboBox *QComboBox_Param_RssiOut = nullptr;

    QScrollArea *QScrollArea_Eid = nullptr;
    QWidget *QWidget_Eid = nullptr;
    QGridLayout *QGridLayout_Eid = nullptr;
    QIntValidator *QIntValidator_Eid = nullptr;
    QPushButton *pPushButton_Eid_Config = nullptr;
    QPushButton *pPushButton_Eid_Add = nullptr;
    QLabel *QLabel_Eid_Start = nullptr;
    QLabel *QLabel_Eid_End = nullptr;
    QLineEdit *QLineEdit_Eid_Start = nullptr;
    QLineEdit *QLineEdit_Eid_End = nullptr;
    QLabel *QLabel_Eid[EidCount] = {};
    QLineEdit *QLineEdit_Eid[EidCount] = {};

    MySerialPort *SerialPort = nullptr;

private slots:
    void QPushButton_UsartSwitch_Clicked();
    void QComboBox_UsartNum_Activated(const QString &text);
    void QPushButton_Config_Read_Clicked();
    void QPushButton_Config_Write_Clicked();
    void pPushButton_Eid_Config_Clicked();
    void pPushButton_Eid_Add_Clicked();
    void QComboBox_Param_RfBandWidth_Activated(int Index);
    void QSpinBox_Param_RfSf_ValueChanged(int NewValue);

private:
    // Construction steps, one per subject.
    void BuildUsartPanel();
    void PlaceUsartRows();
    void BuildParamTab();
    void NewParamWidgets();
    void PlaceParamFields();
    void BuildEidTab();
    void PlaceEidRange();
    void AddEidEntries();
    // Shared by both command slots: runs the current tab's exchange.
    void RunCommand(bool Write);
    // Shared by the four exchanges: one run through the window's port, its
    // reply applied only when every transaction passed.
    using ExchangeStep = bool (DocumentExchange::*)(const QJsonObject &, QJsonObject *);
    using ApplyStep = void (OrvaneUI::*)(const QJsonObject &);
    bool RunExchange(ExchangeStep Run, const QJsonObject &Request, ApplyStep Apply);
    // The modal notice every failure is reported through.
    void ShowNotice(const QString &Text);
};

#endif
