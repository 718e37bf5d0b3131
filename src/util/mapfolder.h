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
// handed to every window that reads or changes it. Only the main window's
// folder choice stores it in the per-user settings.
class MapFolder
{
public:
    // `program` stands for the program's own folder; tests give another.
    explicit MapFolder(QString program = programFolder()) : m_program(std::move(program)) {}

    // Where maps go when no folder is known: defaultMapFolder() of the
    // program's folder.
    QString programDefault() const { return defaultMapFolder(m_program); }

    const QString &path() const { return m_path; }
    // For the rest of the run; the stored entry keeps its value.
    void setPath(const QString &path) { m_path = path; }

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
