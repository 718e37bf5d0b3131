// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <utility>

#include <QString>

namespace corvale {

// The folder that holds the program's executable, in the platform's own
// notation and without a trailing separator.
QString programFolder();

// Where maps go until the user chooses a folder: `program` when the user may
// write there, otherwise the user's Pictures folder (made when missing). An
// installed program's folder is not writable, and a default there would make
// every save fail.
QString defaultMapFolder(const QString &program);

// Whether the user may make files in `folder` now.
bool userMayWrite(const QString &folder);

// The folder maps are saved into: one value for the whole run, made once and
// handed to every window that reads or changes it. Its rules live here; the
// windows call them by name. Only a choice in the main window is stored in
// the per-user settings.
class MapFolder
{
public:
    // `program` stands for the program's own folder; tests give another.
    explicit MapFolder(QString program = programFolder())
        : m_program(std::move(program))
    { }

    const QString &path() const { return m_path; }
    // As given, for the rest of the run.
    void setPath(const QString &path) { m_path = path; }

    // Where maps go when no folder is known: defaultMapFolder() of the
    // program's folder.
    QString programDefault() const { return defaultMapFolder(m_program); }

    // At start: the stored folder, or the default when none is stored. Only
    // when the run holds no folder yet; true when it loaded one.
    bool load();
    // The user's choice in the main window, cleaned and with its separator.
    // Stored when it is not empty; a cancel (empty) empties the run's folder
    // only, so the next save asks. True when a folder was chosen.
    bool choose(const QString &chosen);
    // A choice made while saving, cleaned and with its separator, for the
    // rest of the run only; a cancel leaves the folder as it is. True when a
    // folder was chosen.
    bool adoptForRun(const QString &chosen);
    // Without NUL characters and the blanks at both ends.
    void clean() { m_path = cleaned(m_path); }
    // The default, for the run, when a save has to ask for a folder.
    void fallBackToDefault() { m_path = programDefault(); }
    // A folder that could not take a map: the next save asks for another.
    void forget() { m_path.clear(); }

    // `path` without its NUL characters, then without the blanks at both
    // ends; other white space stays.
    static QString cleaned(const QString &path);

    // The stored entry (application "Corvale", section "MapFolder", key
    // "Path"), or `fallback` when there is none.
    static QString stored(const QString &fallback);
    static void store(const QString &path);

private:
    QString m_program;
    QString m_path;
};

} // namespace corvale
