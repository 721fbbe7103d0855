#include "Launcher.h"

#include "AppMain.h"
#include "Figures.h"
#include "MySerialPort.h"
#include "OrvaneUI.h"

#include <QAbstractEventDispatcher>
#include <QApplication>
#include <QTabWidget>
#include <QTextStream>
#include <QTimer>
#include <QWindow>

namespace Bench {

namespace {

// An application-wide event filter: the window's Show event (sent by
// show() once the window is built, polished and has its native window)
// and the first expose of that native window.
struct WindowWatch : QObject
{
    QWidget *Window = nullptr;
    qint64 ShowNs = 0;
    qint64 ExposedNs = 0;

    bool eventFilter(QObject *Watched, QEvent *Event) override
    {
        if (Event->type() == QEvent::Show && !Window && Watched->inherits("OrvaneUI")) {
            Window = static_cast<QWidget *>(Watched);
            ShowNs = NowNs();
        } else if (Event->type() == QEvent::Expose && Window && ExposedNs == 0 && Watched->isWindowType()
                   && Watched == Window->windowHandle()) {
            ExposedNs = NowNs();
        }
        return false;
    }
};

// After the measurement: an EID read at 115200 Bd for the memory it leaves
// behind, as the operator would run it from the EID tab.
void ReadEids(OrvaneUI *Window, const QString &Port, QTextStream &Out)
{
    Window->QTabWidget_Config->setCurrentWidget(Window->QWidget_Tab_Eid);
    const bool Opened = Window->SerialPort->OpenPort(Port, 115200, QSerialPort::Data8, QSerialPort::NoParity,
                                                     QSerialPort::OneStop, QSerialPort::NoFlowControl);
    const bool Read = Opened && Window->ExchangeEidRead(Window->CollectEidSet());
    QCoreApplication::processEvents();
    Out << "read " << (Read ? "ok" : "failed") << "\nrss-read " << RssKb() << '\n';
    Out.flush();
    Window->SerialPort->ClosePort();
}

QString ReadPortArgument(int argc, char *argv[])
{
    QString ReadPort;
    for (int I = 1; I + 1 < argc; ++I) {
        if (qstrcmp(argv[I], "--read-eids") == 0)
            ReadPort = QString::fromLocal8Bit(argv[I + 1]);
    }
    return ReadPort;
}

} // namespace

// RunMainWindow's start hook notes the return of show(); the event loop's
// first wait after the expose ends the measurement.
int Launch(int argc, char *argv[])
{
    const qint64 MainNs = NowNs();
    const QString ReadPort = ReadPortArgument(argc, argv);

    QApplication App(argc, argv);
    const qint64 AppNs = NowNs();
    WindowWatch Watch;
    App.installEventFilter(&Watch);

    QTextStream Out(stdout);
    OrvaneUI *Shown = nullptr;
    qint64 ShownNs = 0;
    bool Reported = false;
    QObject::connect(QAbstractEventDispatcher::instance(), &QAbstractEventDispatcher::aboutToBlock, &App, [&] {
        if (Reported || Watch.ExposedNs == 0 || !Shown)
            return;
        Reported = true;
        const qint64 IdleNs = NowNs();
        Out << "main " << MainNs << "\napp " << AppNs << "\nshow-event " << Watch.ShowNs << "\nshown " << ShownNs
            << "\nexposed " << Watch.ExposedNs << "\nidle " << IdleNs << "\nrss " << RssKb() << '\n';
        Out.flush();
        // Then the end, as when the operator closes the window.
        QTimer::singleShot(0, &App, [&] {
            if (!ReadPort.isEmpty())
                ReadEids(Shown, ReadPort, Out);
            QCoreApplication::quit();
        });
    });

    return RunMainWindow(App, [&](OrvaneUI *Window) {
        Shown = Window;
        ShownNs = NowNs();
    });
}

} // namespace Bench
