#ifndef KORVEL_LANGUAGE_H
#define KORVEL_LANGUAGE_H

// The language the programs speak to the operator: Russian where the
// operator's system is Russian and a catalogue is there, English
// otherwise. Only texts for people are translated; what machines read
// (JSON, files, exit statuses, the frame trace) stays English whatever the
// language.

#include <QByteArray>
#include <QString>

#include <functional>

namespace Language {

// An environment variable's value, empty where it is not set.
using Lookup = std::function<QByteArray(const char *Name)>;

// The catalogue language ("ru") the environment asks for, or empty for
// English. As gettext reads it: the locale is the first non-empty of
// LC_ALL, LC_MESSAGES and LANG; C and POSIX mean English whatever else is
// set, so that "LANG=C korvelctl" answers in English; otherwise LANGUAGE, a
// colon list, decides where it is set (its first entry with a catalogue, or
// English where an English entry comes first), else the locale.
QString FromEnvironment(const Lookup &Get);

// What this system asks for: the environment on Linux, the user's UI
// language on Windows.
QString OfSystem();

// Installs the catalogue <Program>_<language>.qm, and Qt's own qtbase
// catalogue where there is one, for the system's language; false where
// English is asked for or no catalogue is found (the texts stay English).
// Looked for beside the executable, in its translations/ folder, in
// ../share/korvel/translations (the installed package) and in the build
// tree's translations/ folder.
bool Install(const QString &Program);

// Removes what Install installed: the texts are English again.
void Uninstall();
// Whether a Russian catalogue is installed in this process.
bool Russian();

// A number in a text: 1.5 in English, 1,5 in Russian. Digits < 0: as few
// digits as tell the value; else that many after the point.
QString Decimal(double Value, int Digits = -1);

} // namespace Language

#endif
