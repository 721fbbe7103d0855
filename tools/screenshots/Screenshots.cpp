// Drives the real window the way an operator does, against a device on a
// serial port, and saves a picture of each tab after its Read:
//
//   korvel-screenshots --port NAME --out DIR
//
// NAME is picked in the port list (it is added there when the scan did not
// list it, as for a bare pseudo-terminal); the window then opens it at
// 9600 baud, reads the parameter tab and saves DIR/screenshot-parameters.png,
// reads the EID tab and saves DIR/screenshot-eid.png. A notice box is closed
// and counts as failure, so a picture never shows a failed exchange.

#include "MySerialPort.h"
#include "OrvaneUI.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QMessageBox>
#include <QPixmap>
#include <QPushButton>
#include <QTabWidget>
#include <QTimer>

#include <cstdio>

namespace {

int Fail(const QString &Text)
{
    std::fprintf(stderr, "korvel-screenshots: %s\n", Text.toLocal8Bit().constData());
    return 1;
}

// Lets the window settle (layouts, repaint) before a picture.
void Settle()
{
    for (int i = 0; i < 5; ++i)
        QApplication::processEvents();
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication App(argc, argv);

    QString PortName;
    QString OutDir;
    const QStringList Args = App.arguments();
    for (int i = 1; i < Args.size(); ++i) {
        if (Args[i] == QLatin1String("--port") && i + 1 < Args.size())
            PortName = Args[++i];
        else if (Args[i] == QLatin1String("--out") && i + 1 < Args.size())
            OutDir = Args[++i];
        else
            return Fail(QStringLiteral("usage: korvel-screenshots --port NAME --out DIR"));
    }
    if (PortName.isEmpty() || OutDir.isEmpty())
        return Fail(QStringLiteral("usage: korvel-screenshots --port NAME --out DIR"));
    if (!QDir().mkpath(OutDir))
        return Fail(QStringLiteral("cannot create %1").arg(OutDir));

    OrvaneUI Window;
    if (!Window.Construct())
        return Fail(QStringLiteral("the window could not be built"));
    Window.show();
    Settle();

    // Any notice means an exchange or the open failed: note it and close it,
    // so that the command returns and the failure can be reported.
    QStringList Notices;
    QTimer NoticeWatch;
    QObject::connect(&NoticeWatch, &QTimer::timeout, [&Notices]() {
        if (auto *Box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget())) {
            Notices << Box->text();
            Box->done(QMessageBox::Ok);
        }
    });
    NoticeWatch.start(20);

    QComboBox *Ports = Window.QComboBox_UsartNum;
    int PortIndex = Ports->findText(PortName);
    if (PortIndex < 0) {
        Ports->addItem(PortName);
        PortIndex = Ports->count() - 1;
    }
    Ports->setCurrentIndex(PortIndex);
    Window.QComboBox_UsartBaud->setCurrentIndex(Window.QComboBox_UsartBaud->findText(QStringLiteral("9600")));
    Window.QPushButton_UsartSwitch->click();
    if (!Window.SerialPort->PortOpened)
        return Fail(QStringLiteral("%1 did not open (%2)").arg(PortName, Notices.join(QStringLiteral("; "))));

    const struct
    {
        int Tab;
        const char *File;
    } Shots[] = {{0, "screenshot-parameters.png"}, {1, "screenshot-eid.png"}};
    for (const auto &Shot : Shots) {
        Window.QTabWidget_Config->setCurrentIndex(Shot.Tab);
        Settle();
        Window.QPushButton_Config_Read->click();
        if (!Notices.isEmpty())
            return Fail(QStringLiteral("Read on tab %1 failed: %2")
                            .arg(Window.QTabWidget_Config->tabText(Shot.Tab), Notices.join(QStringLiteral("; "))));
        Settle();
        const QString Path = QDir(OutDir).filePath(QString::fromLatin1(Shot.File));
        if (!Window.grab().save(Path, "PNG"))
            return Fail(QStringLiteral("cannot write %1").arg(Path));
        std::printf("%s\n", Path.toLocal8Bit().constData());
    }

    Window.QPushButton_UsartSwitch->click();
    return 0;
}
