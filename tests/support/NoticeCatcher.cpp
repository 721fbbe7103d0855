#include "NoticeCatcher.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>

NoticeCatcher::NoticeCatcher(QObject *Parent)
    : QObject(Parent)
{
    Timer = new QTimer(this);
    Timer->setInterval(10);
    connect(Timer, &QTimer::timeout, this, &NoticeCatcher::Poll);
    Timer->start();
}

void NoticeCatcher::Poll()
{
    auto *Box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
    if (!Box || !Box->isVisible())
        return;
    Seen.append({Box->windowTitle(), Box->text()});
    if (QAbstractButton *Ok = Box->button(QMessageBox::Ok))
        Ok->click();
    else
        Box->reject();
}
