// korvelctl: the LoRa radio device from the command line.

#include "Korvelctl.h"

#include <QCoreApplication>
#include <QTextStream>

#include <cstdio>

namespace {

// The exchanges write the window's diagnostics to the debug log; on the
// command line only warnings and worse are of use.
void Messages(QtMsgType Type, const QMessageLogContext &, const QString &Text)
{
    if (Type == QtDebugMsg || Type == QtInfoMsg)
        return;
    std::fprintf(stderr, "korvelctl: %s\n", Text.toLocal8Bit().constData());
}

} // namespace

int main(int argc, char *argv[])
{
    qInstallMessageHandler(Messages);
    QCoreApplication App(argc, argv);
    QTextStream Out(stdout);
    QTextStream Err(stderr);
    return Korvelctl::Run(QCoreApplication::arguments().mid(1), Out, Err);
}
