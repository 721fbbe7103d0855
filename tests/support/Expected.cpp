#include "Expected.h"

#include "MySerialPort.h"
#include "OrvaneUI.h"
#include "PtyPair.h"

#include <QComboBox>
#include <QLineEdit>
#include <QSpinBox>

namespace Expected {

QByteArray WithCrc(QByteArray Body)
{
    quint16 Crc = 0xFFFF;
    for (const char Byte : Body) {
        Crc ^= quint8(Byte);
        for (int Bit = 0; Bit < 8; ++Bit)
            Crc = (Crc & 1) ? quint16((Crc >> 1) ^ 0xA001) : quint16(Crc >> 1);
    }
    Body.append(char(Crc & 0xFF));
    Body.append(char(Crc >> 8));
    return Body;
}

QByteArray Crc(const char *Hex)
{
    return WithCrc(QByteArray::fromHex(QByteArray(Hex).replace(' ', "")));
}

QByteArray Altered(QByteArray Frame, int Pos, int Byte)
{
    Frame.chop(2);
    Frame[Pos] = char(Byte);
    return WithCrc(Frame);
}

static void PutWord(QByteArray &Frame, int Word)
{
    Frame.append(char((Word >> 8) & 0xFF)).append(char(Word & 0xFF));
}

QByteArray Frame(int Function, int Register, int Word)
{
    QByteArray F;
    F.append(char(0x00)).append(char(Function));
    PutWord(F, Register);
    PutWord(F, Word);
    return WithCrc(F);
}

QByteArray ReadReply(int Value)
{
    QByteArray F = QByteArray::fromHex("000302");
    PutWord(F, Value);
    return WithCrc(F);
}

QByteArray EidRead(int Start, int Count)
{
    return Frame(0x03, Start, 2 * Count);
}

QByteArray EidWrite(int Start, const QVector<qint32> &Values)
{
    QByteArray F = QByteArray::fromHex("0010");
    PutWord(F, Start);
    PutWord(F, 2 * Values.size());
    F.append(char(4 * Values.size()));
    for (const qint32 Value : Values) {
        PutWord(F, int(quint32(Value) >> 16));
        PutWord(F, int(quint32(Value) & 0xFFFF));
    }
    return WithCrc(F);
}

QByteArray Commit(int Code)
{
    return Frame(0x06, 40001, Code);
}

QString HexText(const QByteArray &Bytes)
{
    return QString::fromLatin1(Bytes.toHex().toUpper());
}

bool OpenOn(MySerialPort &Port, const PtyPair &Pair)
{
    return Pair.IsOpen()
        && Port.OpenPort(Pair.SlavePath(), 9600, QSerialPort::Data8, QSerialPort::NoParity,
                         QSerialPort::OneStop, QSerialPort::NoFlowControl);
}

const ParamField Params[ParamCount] = {
    {"ModbusID", 40003, "QSpinBox_Param_ModbusID"},
    {"BaudRate", 40005, "QComboBox_Param_BaudRate"},
    {"OffLineTime", 40008, "QSpinBox_Param_OffLineTime"},
    {"DataUplinkCycle", 40009, "QSpinBox_Param_DataUplinkCycle"},
    {"LocalNet", 40207, "QSpinBox_Param_LocalNet"},
    {"TimeMark", 40213, "QComboBox_Param_TimeMark"},
    {"RfTxPower", 40301, "QSpinBox_Param_RfTxPower"},
    {"RfFrequency", 40302, "QSpinBox_Param_RfFrequency"},
    {"RfBandWidth", 40303, "QComboBox_Param_RfBandWidth"},
    {"RfSf", 40304, "QSpinBox_Param_RfSf"},
    {"RfLeadCode", 40305, "QSpinBox_Param_RfLeadCode"},
    {"TxTimeout", 40307, "QSpinBox_Param_TxTimeout"},
    {"RxTimeout", 40308, "QSpinBox_Param_RxTimeout"},
    {"RssiOut", 40310, "QComboBox_Param_RssiOut"},
};

const QList<int> DeviceValues = {9, 4, 900, 120, 3, 3, 11, 433, 0, 7, 12, 2200, 440, 1};
const QList<int> Operator = {42, 3, 1200, 300, 7, 2, 14, 868, 2, 11, 16, 3000, 700, 0};

int ParamValue(OrvaneUI &W, const char *Widget)
{
    const QString Name = QString::fromLatin1(Widget);
    if (auto *Spin = W.findChild<QSpinBox *>(Name))
        return Spin->value();
    if (auto *Combo = W.findChild<QComboBox *>(Name))
        return Combo->currentIndex();
    qFatal("no parameter widget %s", Widget);
    return 0;
}

void SetParamValue(OrvaneUI &W, const char *Widget, int Value)
{
    const QString Name = QString::fromLatin1(Widget);
    if (auto *Spin = W.findChild<QSpinBox *>(Name))
        Spin->setValue(Value);
    else if (auto *Combo = W.findChild<QComboBox *>(Name))
        Combo->setCurrentIndex(Value);
    else
        qFatal("no parameter widget %s", Widget);
}

QList<int> ParamFields(OrvaneUI &W)
{
    QList<int> Values;
    for (const ParamField &F : Params)
        Values << ParamValue(W, F.Widget);
    return Values;
}

void SetParamFields(OrvaneUI &W, const QList<int> &Values)
{
    for (int I = 0; I < ParamCount; ++I)
        SetParamValue(W, Params[I].Widget, Values[I]);
}

QStringList EidFields(OrvaneUI &W)
{
    QStringList Texts;
    for (int I = 0; I < EidCount; ++I)
        Texts << W.QLineEdit_Eid[I]->text();
    return Texts;
}

void SetEidFields(OrvaneUI &W, const QStringList &Texts)
{
    for (int I = 0; I < EidCount; ++I)
        W.QLineEdit_Eid[I]->setText(Texts.value(I));
}

QStringList Untouched()
{
    QStringList List;
    for (int I = 0; I < EidCount; ++I)
        List << (I % 2 ? QString() : QStringLiteral("00%1").arg(I + 1));
    return List;
}

} // namespace Expected
