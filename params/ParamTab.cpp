// The parameter tab: fourteen labelled fields in a grid, and the two slots
// that keep the time-outs in step with the bandwidth and spreading factor.

#include "OrvaneUI.h"

#include "ParamPresets.h"
#include "ParamRegisters.h"

#include <QComboBox>
#include <QDebug>
#include <QGridLayout>
#include <QLabel>
#include <QSpinBox>
#include <QStringList>

namespace {

// The preset tables hold one block per bandwidth index, and in it one entry
// per spreading factor, both ranges as the register map allows them.
constexpr ParamRegisters::Param SfRange = ParamRegisters::Map[ParamRegisters::IndexOf("RfSf")];
constexpr ParamRegisters::Param BandWidthRange =
    ParamRegisters::Map[ParamRegisters::IndexOf("RfBandWidth")];
constexpr int BandWidthCount = BandWidthRange.Max - BandWidthRange.Min + 1;
constexpr int SfMin = SfRange.Min;
constexpr int SfMax = SfRange.Max;
constexpr int SfCount = SfMax - SfMin + 1;
static_assert(sizeof ParamPresets::TxTimeout == sizeof(qint32) * BandWidthCount * SfCount &&
                  sizeof ParamPresets::RxTimeout == sizeof ParamPresets::TxTimeout,
              "a preset for every bandwidth and spreading factor");

QLabel *NewLabel(const char *Name)
{
    QLabel *Label = new QLabel();
    Label->setObjectName(QString::fromLatin1(Name));
    return Label;
}

QSpinBox *NewSpinBox(const char *Name)
{
    QSpinBox *Box = new QSpinBox();
    Box->setObjectName(QString::fromLatin1(Name));
    return Box;
}

QComboBox *NewComboBox(const char *Name)
{
    QComboBox *Box = new QComboBox();
    Box->setObjectName(QString::fromLatin1(Name));
    return Box;
}

// The range is the one the register map allows for the parameter.
void AddSpinField(QGridLayout *Grid, QLabel *Label, const QString &Text, QSpinBox *Box,
                  const char *Param, int Row, int Column)
{
    const ParamRegisters::Param &Range = ParamRegisters::Map[ParamRegisters::IndexOf(Param)];
    Label->setText(Text);
    Box->setMinimum(Range.Min);
    Box->setMaximum(Range.Max);
    Grid->addWidget(Label, Row, Column);
    Grid->addWidget(Box, Row, Column + 1);
}

// One item for every value the register map allows, the item's index being
// the value.
void AddComboField(QGridLayout *Grid, QLabel *Label, const QString &Text, QComboBox *Box,
                   const char *Param, const QStringList &Items, int Row, int Column)
{
    const ParamRegisters::Param &Range = ParamRegisters::Map[ParamRegisters::IndexOf(Param)];
    Q_ASSERT(Range.Min == 0 && Range.Max == Items.size() - 1);
    Q_UNUSED(Range);
    Label->setText(Text);
    for (const QString &Item : Items)
        Box->addItem(Item);
    Grid->addWidget(Label, Row, Column);
    Grid->addWidget(Box, Row, Column + 1);
}

} // namespace

void OrvaneUI::BuildParamTab()
{
    QGridLayout_Param = new QGridLayout();
    QGridLayout_Param->setObjectName(QStringLiteral("QGridLayout_Param"));
    NewParamWidgets();
    QWidget_Tab_Param->setLayout(QGridLayout_Param);
    PlaceParamFields();

    const int Stretches[] = {1, 3, 3, 1, 3, 3};
    for (int Column = 0; Column < 6; ++Column)
        QGridLayout_Param->setColumnStretch(Column, Stretches[Column]);
}

// The fourteen labels, then the fourteen value widgets, in the order of
// the register map.
void OrvaneUI::NewParamWidgets()
{
    QLabel_Param_ModbusID = NewLabel("QLabel_Param_ModbusID");
    QLabel_Param_BaudRate = NewLabel("QLabel_Param_BaudRate");
    QLabel_Param_OffLineTime = NewLabel("QLabel_Param_OffLineTime");
    QLabel_Param_DataUplinkCycle = NewLabel("QLabel_Param_DataUplinkCycle");
    QLabel_Param_LocalNet = NewLabel("QLabel_Param_LocalNet");
    QLabel_Param_TimeMark = NewLabel("QLabel_Param_TimeMark");
    QLabel_Param_RfTxPower = NewLabel("QLabel_Param_RfTxPower");
    QLabel_Param_RfFrequency = NewLabel("QLabel_Param_RfFrequency");
    QLabel_Param_RfBandWidth = NewLabel("QLabel_Param_RfBandWidth");
    QLabel_Param_RfSf = NewLabel("QLabel_Param_RfSf");
    QLabel_Param_RfLeadCode = NewLabel("QLabel_Param_RfLeadCode");
    QLabel_Param_TxTimeout = NewLabel("QLabel_Param_TxTimeout");
    QLabel_Param_RxTimeout = NewLabel("QLabel_Param_RxTimeout");
    QLabel_Param_RssiOut = NewLabel("QLabel_Param_RssiOut");

    QSpinBox_Param_ModbusID = NewSpinBox("QSpinBox_Param_ModbusID");
    QComboBox_Param_BaudRate = NewComboBox("QComboBox_Param_BaudRate");
    QSpinBox_Param_OffLineTime = NewSpinBox("QSpinBox_Param_OffLineTime");
    QSpinBox_Param_DataUplinkCycle = NewSpinBox("QSpinBox_Param_DataUplinkCycle");
    QSpinBox_Param_LocalNet = NewSpinBox("QSpinBox_Param_LocalNet");
    QComboBox_Param_TimeMark = NewComboBox("QComboBox_Param_TimeMark");
    QSpinBox_Param_RfTxPower = NewSpinBox("QSpinBox_Param_RfTxPower");
    QSpinBox_Param_RfFrequency = NewSpinBox("QSpinBox_Param_RfFrequency");
    QComboBox_Param_RfBandWidth = NewComboBox("QComboBox_Param_RfBandWidth");
    QSpinBox_Param_RfSf = NewSpinBox("QSpinBox_Param_RfSf");
    QSpinBox_Param_RfLeadCode = NewSpinBox("QSpinBox_Param_RfLeadCode");
    QSpinBox_Param_TxTimeout = NewSpinBox("QSpinBox_Param_TxTimeout");
    QSpinBox_Param_RxTimeout = NewSpinBox("QSpinBox_Param_RxTimeout");
    QComboBox_Param_RssiOut = NewComboBox("QComboBox_Param_RssiOut");
}

// Each field's text, range or items and its place in the grid, with the
// two slots connected where the fields are ready for them.
void OrvaneUI::PlaceParamFields()
{
    QGridLayout *const Grid = QGridLayout_Param;

    AddSpinField(Grid, QLabel_Param_ModbusID, QStringLiteral("485 ID:"),
                 QSpinBox_Param_ModbusID, "ModbusID", 0, 0);
    AddComboField(Grid, QLabel_Param_BaudRate, QStringLiteral("Скорость (бод):"),
                  QComboBox_Param_BaudRate, "BaudRate", ParamRegisters::BaudRateTexts(), 1, 0);
    AddSpinField(Grid, QLabel_Param_OffLineTime, QStringLiteral("Время отключения:"),
                 QSpinBox_Param_OffLineTime, "OffLineTime", 2, 0);
    AddSpinField(Grid, QLabel_Param_DataUplinkCycle, QStringLiteral("Период отправки отчётов:"),
                 QSpinBox_Param_DataUplinkCycle, "DataUplinkCycle", 3, 0);
    AddSpinField(Grid, QLabel_Param_LocalNet, QStringLiteral("Сетевой ID:"),
                 QSpinBox_Param_LocalNet, "LocalNet", 4, 0);
    AddComboField(Grid, QLabel_Param_TimeMark, QStringLiteral("Ответ временной метки:"),
                  QComboBox_Param_TimeMark, "TimeMark",
                  {QStringLiteral("Без ответа временной метки"),
                   QStringLiteral("Ответ временной метки"),
                   QStringLiteral("EID Без ответа временной метки"),
                   QStringLiteral("EID Ответ временной метки")},
                  5, 0);
    AddSpinField(Grid, QLabel_Param_RfTxPower, QStringLiteral("Мощность передачи:"),
                 QSpinBox_Param_RfTxPower, "RfTxPower", 6, 0);
    AddSpinField(Grid, QLabel_Param_RfFrequency, QStringLiteral("Радиочастотный канал:"),
                 QSpinBox_Param_RfFrequency, "RfFrequency", 7, 0);
    AddComboField(Grid, QLabel_Param_RfBandWidth, QStringLiteral("Ширина полосы радиочастоты:"),
                  QComboBox_Param_RfBandWidth, "RfBandWidth",
                  {QStringLiteral("125"), QStringLiteral("250"), QStringLiteral("500")}, 8, 0);
    connect(QComboBox_Param_RfBandWidth, SIGNAL(activated(int)), this,
            SLOT(QComboBox_Param_RfBandWidth_Activated(int)));
    // Connected only once the range is set, so that the step from Qt's
    // default 0 to the minimum does not load a preset at start.
    AddSpinField(Grid, QLabel_Param_RfSf, QStringLiteral("Коэффициент расширения спектра:"),
                 QSpinBox_Param_RfSf, "RfSf", 9, 0);
    connect(QSpinBox_Param_RfSf, SIGNAL(valueChanged(int)), this,
            SLOT(QSpinBox_Param_RfSf_ValueChanged(int)));
    AddSpinField(Grid, QLabel_Param_RfLeadCode, QStringLiteral("Преамбула:"),
                 QSpinBox_Param_RfLeadCode, "RfLeadCode", 10, 0);
    AddSpinField(Grid, QLabel_Param_TxTimeout, QStringLiteral("Тайм-аут отправки:"),
                 QSpinBox_Param_TxTimeout, "TxTimeout", 11, 0);
    AddSpinField(Grid, QLabel_Param_RxTimeout, QStringLiteral("Тайм-аут приёма:"),
                 QSpinBox_Param_RxTimeout, "RxTimeout", 12, 0);
    AddComboField(Grid, QLabel_Param_RssiOut, QStringLiteral("Вывод RSSI:"),
                  QComboBox_Param_RssiOut, "RssiOut",
                  {QStringLiteral("Не выводить"), QStringLiteral("Вывод")}, 0, 3);
}

void OrvaneUI::QComboBox_Param_RfBandWidth_Activated(int Index)
{
    qDebug().noquote() << "QComboBox_Param_RfBandWidth_Activated" << Index;
    const int Sf = QSpinBox_Param_RfSf->value();
    if (Sf < SfMin || Sf > SfMax || Index < 0 || Index >= BandWidthCount)
        return;
    const int K = Index * SfCount + (Sf - SfMin);
    QSpinBox_Param_TxTimeout->setValue(TxTimeoutTable[K]);
    QSpinBox_Param_RxTimeout->setValue(RxTimeoutTable[K]);
}

void OrvaneUI::QSpinBox_Param_RfSf_ValueChanged(int NewValue)
{
    qDebug().noquote() << "QSpinBox_Param_RfSf_ValueChanged" << NewValue;
    const int BandWidth = QComboBox_Param_RfBandWidth->currentIndex();
    if (NewValue < SfMin || NewValue > SfMax || BandWidth < 0 || BandWidth >= BandWidthCount)
        return;
    const int K = BandWidth * SfCount + (NewValue - SfMin);
    QSpinBox_Param_TxTimeout->setValue(TxTimeoutTable[K]);
    QSpinBox_Param_RxTimeout->setValue(RxTimeoutTable[K]);
}
