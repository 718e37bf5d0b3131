// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <optional>
#include <utility>

#include <QObject>
#include <QString>

namespace corvale {

// The folder that holds the program's executable, in the platform's own
// notation and without a trailing separator.
QString programFolder();

// Where maps go until the user chooses a folder: `program` when the user may
// write there and it is no system folder, otherwise the user's Pictures folder
// (made when missing). An installed program's folder is not writable, and a
// default there would make every save fail; root may write it, but maps
// among the system's programs would be listed with them and outlive a purge.
QString defaultMapFolder(const QString &program);

// Whether `folder` lies in a folder of a Unix system (/usr, /bin, /sbin,
// /lib*, /opt, /etc, /var, /snap) or under the prefix the program is
// installed to. Never on Windows.
bool isSystemFolder(const QString &folder);

// Whether the user may make files in `folder` now.
bool userMayWrite(const QString &folder);

// The folder maps are saved into: one value for the whole run, made once and
// handed to every window that reads or changes it. Its rules live here; the
// windows call them by name. Only a choice in the main window is stored in
// the per-user settings. Windows that show the folder follow changed().
class MapFolder : public QObject
{
    Q_OBJECT

public:
    // `program` stands for the program's own folder; tests give another.
    explicit MapFolder(QString program = programFolder(), QObject *parent = nullptr)
        : QObject(parent)
        , m_program(std::move(program))
    { }

    const QString &path() const { return m_path; }
    // As given, for the rest of the run.
    void setPath(const QString &path) { m_path = path; }

    // Where maps go when no folder is known: defaultMapFolder() of the
    // program's folder.
    QString programDefault() const { return defaultMapFolder(m_program); }

    // At start: the stored folder, or the default when none is stored. Only
    // when the run holds no folder yet.
    void load();
    // The user's choice in the main window, cleaned and with its separator.
    // Stored when it is not empty; a cancel (empty) empties the run's folder
    // only, so the next save asks.
    void choose(const QString &chosen);
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

    // Stores `path` as the entry of the settings file (section "MapFolder",
    // key "Path") that load() reads.
    static void store(const QString &path);

Q_SIGNALS:
    // A folder was loaded, chosen in the main window or chosen while saving:
    // maps go to `path` now. Not sent when a save falls back or forgets one.
    void changed(const QString &path);

private:
    QString m_program;
    QString m_path;
};

} // namespace corvale
