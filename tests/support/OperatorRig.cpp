#include "OperatorRig.h"

#include "Expected.h"
#include "TestPorts.h"

#include <QComboBox>
#include <QElapsedTimer>
#include <QPushButton>
#include <QTabWidget>
#include <QtTest>

OperatorRig::OperatorRig()
    : Device(Pair)
{
    // The window's scan finds the pty and nothing of the machine's.
    TestPorts::Offer({Pair.SlavePath()});
    Ready = Window.Construct();
    Window.show();
    Ready = QTest::qWaitForWindowExposed(&Window) && Ready;
}

bool OperatorRig::OpenPort()
{
    if (!Ready || !Pair.IsOpen())
        return false;
    const int Listed = Window.QComboBox_UsartNum->findText(Pair.SlavePath().mid(5));
    if (Listed < 1)
        return false;
    Window.QComboBox_UsartNum->setCurrentIndex(Listed);
    QTest::mouseClick(Window.QPushButton_UsartSwitch, Qt::LeftButton);
    return Window.QPushButton_UsartSwitch->text() == QStringLiteral("Закрыть");
}

int OperatorRig::Run(Exchange What, qint64 *Took)
{
    const bool Eid = What == EidRead || What == EidWrite;
    const bool Write = What == ParamWrite || What == EidWrite;
    Window.QTabWidget_Config->setCurrentWidget(Eid ? Window.QWidget_Tab_Eid : Window.QWidget_Tab_Param);
    const int Before = Notices.Count();
    QElapsedTimer Clock;
    Clock.start();
    QTest::mouseClick(Write ? Window.QPushButton_Config_Write : Window.QPushButton_Config_Read,
                      Qt::LeftButton);
    if (Took)
        *Took = Clock.elapsed();
    for (int I = Before; I < Notices.Count(); ++I) {
        if (Notices.Notices().at(I).Title != QStringLiteral("Уведомление")
            || Notices.Notices().at(I).Text != QStringLiteral("Ошибка связи по COM-порту. Пожалуйста, проверьте!"))
            return -1;
    }
    return Notices.Count() - Before;
}

void OperatorRig::LoadDevice()
{
    for (int I = 0; I < Expected::ParamCount; ++I)
        Device.Core().SetRegister(Expected::Params[I].Register, quint16(Expected::DeviceValues[I]));
    for (int Slot = 0; Slot < EidCount; ++Slot)
        Device.Core().SetEid(Slot, 7000 + Slot);
}

QList<int> OperatorRig::DeviceParams(DeviceCore::Image Which)
{
    QList<int> Values;
    for (const Expected::ParamField &F : Expected::Params)
        Values << Device.Core().Register(F.Register, Which);
    return Values;
}

QList<QByteArray> OperatorRig::Requests() const
{
    QList<QByteArray> Frames;
    for (const DeviceReply &Reply : Device.Replies()) {
        if (Reply.What == DeviceReply::Answered)
            Frames << Reply.Request;
    }
    return Frames;
}

bool OperatorRig::ButtonsEnabled() const
{
    return Window.QPushButton_Config_Read->isEnabled() && Window.QPushButton_Config_Write->isEnabled();
}
