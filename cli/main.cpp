// korvelctl: the LoRa radio device from the command line.

#include "Korvelctl.h"

#include <QCoreApplication>
#include <QTextStream>

#include <cstdio>
#include <cstring>

namespace {

// korvelctl's own diagnostics (the frame trace) are lines of their own;
// anything else Qt reports is named as korvelctl's.
void Messages(QtMsgType Type, const QMessageLogContext &Context, const QString &Text)
{
    const bool Own = Type == QtDebugMsg && Context.category && std::strncmp(Context.category, "korvel.", 7) == 0;
    std::fprintf(stderr, "%s%s\n", Own ? "" : "korvelctl: ", Text.toLocal8Bit().constData());
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
