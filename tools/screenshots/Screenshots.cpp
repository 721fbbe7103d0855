// Drives the real window the way an operator does, against a device on a
// serial port, and saves a picture of each tab after its Read:
//
//   korvel-screenshots --port NAME --out DIR [--eid-end FILE]
//
// NAME is picked in the port list (it is added there when the scan did not
// list it, as for a bare pseudo-terminal); the window then opens it at
// 9600 baud, reads the parameter tab and saves DIR/screenshot-parameters.png,
// reads the EID tab and saves DIR/screenshot-eid.png, and with --eid-end
// also saves FILE with the EID list scrolled to its end. A notice box is
// closed and counts as failure, so a picture never shows a failed exchange.
//
// The pictures are taken from the screen, so they show what the display
// shows; the window must be drawn in the Arial-metric font it was laid out
// for (Liberation Sans), or the tool fails rather than picture a fallback.

#include "MySerialPort.h"
#include "OrvaneUI.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QFontInfo>
#include <QMessageBox>
#include <QPixmap>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QTabWidget>
#include <QThread>
#include <QTimer>
#include <QWindow>

#include <cstdio>

namespace {

int Fail(const QString &Text)
{
    std::fprintf(stderr, "korvel-screenshots: %s\n", Text.toLocal8Bit().constData());
    return 1;
}

// Lets the window settle (layouts, repaint, the display server's copy)
// before a picture.
void Settle()
{
    QElapsedTimer Clock;
    Clock.start();
    while (Clock.elapsed() < 300) {
        QApplication::processEvents();
        QThread::msleep(10);
    }
}

// The window as the screen shows it; where the platform has no screen to
// read back, as the window draws itself.
QPixmap Picture(QWidget &Window)
{
    QPixmap Shot;
    if (QScreen *Screen = Window.windowHandle() ? Window.windowHandle()->screen() : nullptr)
        Shot = Screen->grabWindow(Window.winId());
    if (Shot.isNull() || Shot.size() != Window.size())
        Shot = Window.grab();
    return Shot;
}

struct Options
{
    QString PortName;
    QString OutDir;
    QString EidEndPath;
};

// --port NAME --out DIR [--eid-end FILE]; false on anything else.
bool ParseOptions(const QStringList &Args, Options *Opt)
{
    for (int i = 1; i < Args.size(); ++i) {
        if (Args[i] == QLatin1String("--port") && i + 1 < Args.size())
            Opt->PortName = Args[++i];
        else if (Args[i] == QLatin1String("--out") && i + 1 < Args.size())
            Opt->OutDir = Args[++i];
        else if (Args[i] == QLatin1String("--eid-end") && i + 1 < Args.size())
            Opt->EidEndPath = Args[++i];
        else
            return false;
    }
    return !Opt->PortName.isEmpty() && !Opt->OutDir.isEmpty();
}

// Every 20 ms: a notice on show is noted in *Notices and closed.
void WatchNotices(QTimer *Watch, QStringList *Notices)
{
    QObject::connect(Watch, &QTimer::timeout, [Notices]() {
        if (auto *Box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget())) {
            *Notices << Box->text();
            Box->done(QMessageBox::Ok);
        }
    });
    Watch->start(20);
}

// The port opened at 9600 through the panel, as the operator opens it.
void OpenPort(OrvaneUI &Window, const QString &PortName)
{
    QComboBox *Ports = Window.QComboBox_UsartNum;
    int PortIndex = Ports->findText(PortName);
    if (PortIndex < 0) {
        Ports->addItem(PortName);
        PortIndex = Ports->count() - 1;
    }
    Ports->setCurrentIndex(PortIndex);
    Window.QComboBox_UsartBaud->setCurrentIndex(Window.QComboBox_UsartBaud->findText(QStringLiteral("9600")));
    Window.QPushButton_UsartSwitch->click();
}

// The window's picture at Path, named on standard output; false, said, when
// it cannot be written.
bool Save(QWidget &Window, const QString &Path)
{
    if (!Picture(Window).save(Path, "PNG")) {
        Fail(QStringLiteral("cannot write %1").arg(Path));
        return false;
    }
    std::printf("%s\n", Path.toLocal8Bit().constData());
    return true;
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication App(argc, argv);

    const QString Usage = QStringLiteral("usage: korvel-screenshots --port NAME --out DIR [--eid-end FILE]");
    Options Opt;
    if (!ParseOptions(App.arguments(), &Opt))
        return Fail(Usage);
    if (!QDir().mkpath(Opt.OutDir))
        return Fail(QStringLiteral("cannot create %1").arg(Opt.OutDir));

    OrvaneUI Window;
    if (!Window.Construct())
        return Fail(QStringLiteral("the window could not be built"));
    const QString Family = QFontInfo(Window.font()).family();
    if (Family != QLatin1String("Liberation Sans"))
        return Fail(QStringLiteral("the window's \"Arial\" is drawn in %1, not Liberation Sans "
                                   "(is fonts-liberation2 installed?)").arg(Family));
    Window.show();
    Settle();

    // Any notice means an exchange or the open failed: note it and close it,
    // so that the command returns and the failure can be reported.
    QStringList Notices;
    QTimer NoticeWatch;
    WatchNotices(&NoticeWatch, &Notices);

    OpenPort(Window, Opt.PortName);
    if (!Window.SerialPort->PortOpened)
        return Fail(QStringLiteral("%1 did not open (%2)").arg(Opt.PortName, Notices.join(QStringLiteral("; "))));

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
        if (!Save(Window, QDir(Opt.OutDir).filePath(QString::fromLatin1(Shot.File))))
            return 1;
    }

    if (!Opt.EidEndPath.isEmpty()) {
        QScrollBar *Bar = Window.QScrollArea_Eid->verticalScrollBar();
        Bar->setValue(Bar->maximum());
        Settle();
        if (!Save(Window, Opt.EidEndPath))
            return 1;
    }

    Window.QPushButton_UsartSwitch->click();
    return 0;
}
