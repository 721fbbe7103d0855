#include "LogCapture.h"

#include <QtGlobal>

namespace {
QStringList Captured;
QtMessageHandler Previous = nullptr;
bool Echo = false;
int Depth = 0; // captures may nest; only the outermost installs the handler

void Collect(QtMsgType Type, const QMessageLogContext &Context, const QString &Message)
{
    if (Type == QtDebugMsg)
        Captured.append(Message);
    if (Echo || Type != QtDebugMsg) {
        if (Previous)
            Previous(Type, Context, Message);
    }
}
} // namespace

LogCapture::LogCapture()
{
    Captured.clear();
    if (Depth++ == 0) {
        Echo = qEnvironmentVariableIsSet("KORVEL_TEST_LOG");
        Previous = qInstallMessageHandler(Collect);
    }
}

LogCapture::~LogCapture()
{
    if (--Depth == 0)
        qInstallMessageHandler(Previous);
}

QStringList LogCapture::Lines() const
{
    return Captured;
}

void LogCapture::Clear()
{
    Captured.clear();
}
