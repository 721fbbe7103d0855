#include "OperatorRig.h"

#include <QComboBox>
#include <QPushButton>
#include <QtTest>

OperatorRig::OperatorRig()
    : Device(Pair)
{
    Ready = Window.Construct();
    Window.show();
    Ready = QTest::qWaitForWindowExposed(&Window) && Ready;
}

bool OperatorRig::OpenPort()
{
    if (!Ready || !Pair.IsOpen())
        return false;
    Window.QComboBox_UsartNum->addItem(Pair.SlavePath());
    Window.QComboBox_UsartNum->setCurrentIndex(Window.QComboBox_UsartNum->count() - 1);
    QTest::mouseClick(Window.QPushButton_UsartSwitch, Qt::LeftButton);
    return Window.QPushButton_UsartSwitch->text() == QStringLiteral("Закрыть");
}
