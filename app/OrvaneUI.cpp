#include "OrvaneUI.h"

#include "MySerialPort.h"
#include "ParamPresets.h"

#include <QDebug>
#include <QFont>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QIcon>
#include <QMessageBox>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>

#include <algorithm>

OrvaneUI::OrvaneUI()
    : QWidget(nullptr)
{
    std::copy(std::begin(ParamPresets::TxTimeout), std::end(ParamPresets::TxTimeout),
              TxTimeoutTable);
    std::copy(std::begin(ParamPresets::RxTimeout), std::end(ParamPresets::RxTimeout),
              RxTimeoutTable);
    QFont Font;
    Font.setFamily(QStringLiteral("Arial"));
    setFont(Font);
}

OrvaneUI::~OrvaneUI() = default;

bool OrvaneUI::Construct()
{
    qDebug() << "OrvaneUI::Construct()";

    setWindowIcon(QIcon(QStringLiteral(":/Icon/APP.png")));
    setWindowTitle(QStringLiteral("Корвел"));
    setFixedSize(1280, 720);

    SerialPort = new MySerialPort(this);
    SerialPort->setObjectName(QStringLiteral("SerialPort"));

    QGroupBox_Usart = new QGroupBox(tr("Настройки COM-порта"), this);
    QGroupBox_Usart->setObjectName(QStringLiteral("QGroupBox_Usart"));
    BuildUsartPanel();

    QGroupBox_Config = new QGroupBox(tr("Настройка параметров"), this);
    QGroupBox_Config->setObjectName(QStringLiteral("QGroupBox_Config"));
    QVBoxLayout_Config = new QVBoxLayout();
    QVBoxLayout_Config->setObjectName(QStringLiteral("QVBoxLayout_Config"));
    QHBoxLayout_Config = new QHBoxLayout();
    QHBoxLayout_Config->setObjectName(QStringLiteral("QHBoxLayout_Config"));
    QTabWidget_Config = new QTabWidget();
    QTabWidget_Config->setObjectName(QStringLiteral("QTabWidget_Config"));
    QWidget_Tab_Param = new QWidget();
    QWidget_Tab_Param->setObjectName(QStringLiteral("QWidget_Tab_Param"));
    QWidget_Tab_Eid = new QWidget();
    QWidget_Tab_Eid->setObjectName(QStringLiteral("QWidget_Tab_Eid"));
    QPushButton_Config_Read = new QPushButton();
    QPushButton_Config_Read->setObjectName(QStringLiteral("QPushButton_Config_Read"));
    QPushButton_Config_Write = new QPushButton();
    QPushButton_Config_Write->setObjectName(QStringLiteral("QPushButton_Config_Write"));

    QGroupBox_Config->setGeometry(245, 10, 1025, 700);
    QGroupBox_Config->setLayout(QVBoxLayout_Config);
    QVBoxLayout_Config->addWidget(QTabWidget_Config);
    QVBoxLayout_Config->addLayout(QHBoxLayout_Config);
    QHBoxLayout_Config->addWidget(QPushButton_Config_Read);
    QHBoxLayout_Config->addWidget(QPushButton_Config_Write);

    QTabWidget_Config->addTab(QWidget_Tab_Param, tr("Настройка параметров"));
    QTabWidget_Config->addTab(QWidget_Tab_Eid, tr("Настройка EID"));

    QPushButton_Config_Read->setText(QStringLiteral("Считать параметры"));
    QPushButton_Config_Read->setFixedSize(150, 25);
    QPushButton_Config_Read->setEnabled(false);
    connect(QPushButton_Config_Read, SIGNAL(clicked()), this,
            SLOT(QPushButton_Config_Read_Clicked()));
    QPushButton_Config_Write->setText(QStringLiteral("Записать параметры"));
    QPushButton_Config_Write->setFixedSize(150, 25);
    QPushButton_Config_Write->setEnabled(false);
    connect(QPushButton_Config_Write, SIGNAL(clicked()), this,
            SLOT(QPushButton_Config_Write_Clicked()));

    BuildParamTab();
    BuildEidTab();
    return true;
}

void OrvaneUI::ShowNotice(const QString &Text)
{
    QMessageBox::information(this, tr("Уведомление"), Text, QMessageBox::Ok,
                             QMessageBox::NoButton);
}
