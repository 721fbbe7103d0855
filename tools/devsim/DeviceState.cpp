#include "DeviceState.h"

#include "DeviceBus.h"
#include "DeviceBytes.h"
#include "DeviceCore.h"

#include <QCoreApplication>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonValue>
#include <QSaveFile>

#include <cmath>

using DeviceBytes::SetError;

// State file: {"Version": 1, "Parameters": {"40002": 0, ...}, "Eids": {"47001": 0, ...}}
// Parameters by register number, EIDs by the first register of their pair,
// each as a plain number, so that the file can be read and edited by hand.

QJsonObject DeviceCore::SaveState() const
{
    QJsonObject Parameters;
    for (int R = ParamFirst + 1; R <= ParamLast; ++R)
        Parameters.insert(QString::number(R), int(Register(R, Committed)));
    QJsonObject Eids;
    for (int Slot = 0; Slot < EidCount; ++Slot)
        Eids.insert(QString::number(EidFirst + 2 * Slot), Eid(Slot, Committed));
    QJsonObject State;
    State.insert(QStringLiteral("Version"), 1);
    State.insert(QStringLiteral("Parameters"), Parameters);
    State.insert(QStringLiteral("Eids"), Eids);
    return State;
}

namespace {

bool Whole(const QJsonValue &V, double Min, double Max, qint64 &Out)
{
    if (!V.isDouble())
        return false;
    const double D = V.toDouble();
    if (D != std::floor(D) || D < Min || D > Max)
        return false;
    Out = qint64(D);
    return true;
}

// The object under Key, empty when the state does not name it.
bool ObjectAt(const QJsonObject &State, const char *Key, QJsonObject &Out, QString *Error)
{
    const QJsonValue Value = State.value(QLatin1String(Key));
    if (!Value.isUndefined() && !Value.isObject()) {
        SetError(Error, QCoreApplication::translate("DeviceState", "\"%1\" must be an object").arg(QLatin1String(Key)));
        return false;
    }
    Out = Value.toObject();
    return true;
}

bool LoadParams(const QJsonObject &Object, QVector<quint16> &Params, QString *Error)
{
    constexpr int First = DeviceCore::ParamFirst;
    constexpr int Last = DeviceCore::ParamLast;
    for (auto It = Object.constBegin(); It != Object.constEnd(); ++It) {
        bool Ok = false;
        const int R = It.key().toInt(&Ok);
        if (!Ok || R <= First || R > Last) {
            SetError(Error, QCoreApplication::translate("DeviceState", "\"Parameters\": \"%1\" is no register from %2 to %3")
                                .arg(It.key()).arg(First + 1).arg(Last));
            return false;
        }
        qint64 Value = 0;
        if (!Whole(It.value(), 0, 65535, Value)) {
            SetError(Error, QCoreApplication::translate("DeviceState",
                                                        "\"Parameters\": register %1 needs a whole number from 0 to 65535")
                                .arg(R));
            return false;
        }
        Params[R - First] = quint16(Value);
    }
    return true;
}

bool LoadEids(const QJsonObject &Object, QVector<quint16> &Eids, QString *Error)
{
    constexpr int First = DeviceCore::EidFirst;
    for (auto It = Object.constBegin(); It != Object.constEnd(); ++It) {
        bool Ok = false;
        const int R = It.key().toInt(&Ok);
        if (!Ok || R < First || R >= DeviceCore::EidLast || (R - First) % 2 != 0) {
            SetError(Error, QCoreApplication::translate(
                                "DeviceState", "\"Eids\": \"%1\" is no first register of an EID (47001, 47003 ... 47399)")
                                .arg(It.key()));
            return false;
        }
        qint64 Value = 0;
        // Signed as the tool shows them; unsigned 32-bit numbers are taken too.
        if (!Whole(It.value(), -2147483648.0, 4294967295.0, Value)) {
            SetError(Error,
                     QCoreApplication::translate("DeviceState", "\"Eids\": EID at %1 needs a whole 32-bit number").arg(R));
            return false;
        }
        const quint32 Bits = quint32(Value);
        Eids[R - First] = quint16(Bits >> 16);
        Eids[R - First + 1] = quint16(Bits & 0xFFFF);
    }
    return true;
}

} // namespace

bool DeviceCore::LoadState(const QJsonObject &State, QString *Error)
{
    for (auto It = State.constBegin(); It != State.constEnd(); ++It) {
        if (It.key() != QLatin1String("Version") && It.key() != QLatin1String("Parameters")
            && It.key() != QLatin1String("Eids")) {
            SetError(Error, QCoreApplication::translate("DeviceState", "unknown key \"%1\"").arg(It.key()));
            return false;
        }
    }
    if (State.contains(QStringLiteral("Version")) && State.value(QStringLiteral("Version")).toInt() != 1) {
        SetError(Error, QCoreApplication::translate("DeviceState", "\"Version\" must be 1"));
        return false;
    }
    QVector<quint16> Params = KeptParams;
    QVector<quint16> Eids = KeptEids;
    QJsonObject ParamObject, EidObject;
    if (!ObjectAt(State, "Parameters", ParamObject, Error) || !LoadParams(ParamObject, Params, Error)
        || !ObjectAt(State, "Eids", EidObject, Error) || !LoadEids(EidObject, Eids, Error))
        return false;
    KeptParams = WorkParams = Params;
    KeptEids = WorkEids = Eids;
    return true;
}

// ---------------------------------------------------------------------------

namespace {

QString ReadStateObject(const QString &Path, QJsonObject *State)
{
    QFile File(Path);
    if (!File.open(QIODevice::ReadOnly))
        return File.errorString();
    QJsonParseError Parse;
    const QJsonDocument Document = QJsonDocument::fromJson(File.readAll(), &Parse);
    if (Parse.error != QJsonParseError::NoError)
        return QCoreApplication::translate("DeviceState", "not valid JSON (%1 at byte %2)")
            .arg(Parse.errorString())
            .arg(Parse.offset);
    if (!Document.isObject())
        return QCoreApplication::translate("DeviceState", "not a JSON object");
    *State = Document.object();
    return QString();
}

// Each device's state from the "Devices" list; every device is loaded, or
// none is.
QString LoadDevices(DeviceBus &Bus, const QJsonObject &State)
{
    for (auto It = State.constBegin(); It != State.constEnd(); ++It) {
        if (It.key() != QLatin1String("Version") && It.key() != QLatin1String("Devices"))
            return QCoreApplication::translate("DeviceState", "unknown key \"%1\" beside \"Devices\"").arg(It.key());
    }
    if (State.value(QStringLiteral("Version")).toInt(1) != 1)
        return QCoreApplication::translate("DeviceState", "\"Version\" must be 1");
    const QJsonArray Devices = State.value(QStringLiteral("Devices")).toArray();
    if (Devices.size() != Bus.Count())
        return QCoreApplication::translate("DeviceState",
                                           "\"Devices\" must hold %n states, one for each device of --devices", nullptr,
                                           Bus.Count());
    std::vector<DeviceCore> Loaded;
    for (int I = 0; I < Bus.Count(); ++I) {
        Loaded.push_back(Bus.Device(I));
        QString Error;
        if (!Devices[I].isObject())
            return QCoreApplication::translate("DeviceState", "\"Devices\": entry %1 must be an object").arg(I + 1);
        if (!Loaded.back().LoadState(Devices[I].toObject(), &Error))
            return QCoreApplication::translate("DeviceState", "\"Devices\": entry %1: %2").arg(I + 1).arg(Error);
    }
    for (int I = 0; I < Bus.Count(); ++I)
        Bus.Device(I) = Loaded[size_t(I)];
    return QString();
}

QString ReadStateFile(DeviceCore &Device, const QString &Path)
{
    QJsonObject State;
    QString Error = ReadStateObject(Path, &State);
    if (Error.isEmpty())
        Device.LoadState(State, &Error);
    return Error;
}

QString ReadStateFile(DeviceBus &Bus, const QString &Path)
{
    QJsonObject State;
    const QString Error = ReadStateObject(Path, &State);
    return Error.isEmpty() ? LoadDevices(Bus, State) : Error;
}

// Written the way every commit writes it, through a temporary file beside
// it, which is dropped again.
bool Writable(const QString &Path, QString *Error)
{
    QSaveFile Probe(Path);
    if (!Probe.open(QIODevice::WriteOnly)) {
        SetError(Error, QCoreApplication::translate("DeviceState", "cannot be written (%1)").arg(Probe.errorString()));
        return false;
    }
    Probe.cancelWriting();
    return true;
}

bool WriteState(const QJsonObject &State, const QString &Path, QString *Error)
{
    QSaveFile File(Path);
    if (File.open(QIODevice::WriteOnly)) {
        File.write(QJsonDocument(State).toJson());
        if (File.commit())
            return true;
    }
    SetError(Error, QCoreApplication::translate("DeviceState", "cannot write %1: %2").arg(Path, File.errorString()));
    return false;
}

} // namespace

bool LoadStateFile(DeviceBus &Bus, const QString &Path, QString *Error)
{
    if (Bus.Count() == 1)
        return LoadStateFile(Bus.Device(0), Path, Error);
    if (QFile::exists(Path)) {
        const QString Why = ReadStateFile(Bus, Path);
        if (!Why.isEmpty()) {
            SetError(Error, Why);
            return false;
        }
    }
    return Writable(Path, Error);
}

bool SaveStateFile(DeviceBus &Bus, const QString &Path, QString *Error)
{
    if (Bus.Count() == 1)
        return SaveStateFile(Bus.Device(0), Path, Error);
    QJsonArray Devices;
    for (int I = 0; I < Bus.Count(); ++I)
        Devices.append(Bus.Device(I).SaveState());
    return WriteState(QJsonObject {{QStringLiteral("Version"), 1}, {QStringLiteral("Devices"), Devices}}, Path, Error);
}

bool LoadStateFile(DeviceCore &Device, const QString &Path, QString *Error)
{
    if (QFile::exists(Path)) {
        const QString Why = ReadStateFile(Device, Path);
        if (!Why.isEmpty()) {
            SetError(Error, Why);
            return false;
        }
    }
    return Writable(Path, Error);
}

bool SaveStateFile(const DeviceCore &Device, const QString &Path, QString *Error)
{
    return WriteState(Device.SaveState(), Path, Error);
}
