#pragma once

#include <optional>

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QtGlobal>

#ifndef Q_OS_WIN
#include <array>

#include <QLatin1String>
#endif

namespace corvale {

// A program to start and what it is given.
struct SystemInfoCommand
{
    QString program;
    QStringList arguments;
};

// The system-information program to start, with an empty program when this
// machine has none.
SystemInfoCommand systemInfoProgram();

#ifndef Q_OS_WIN
struct SystemInfoCandidate
{
    QLatin1String program;
    // Opens the program on its overview of the system; empty for none.
    QLatin1String argument;
};

// Looked for on the PATH in this order: the overviews of KDE, GNOME (its
// Settings' About panel), Xfce, MATE and Cinnamon, then hardinfo, which any
// desktop may have.
inline constexpr std::array<SystemInfoCandidate, 7> kSystemInfoPrograms{{
    {QLatin1String("kinfocenter"), {}},
    {QLatin1String("gnome-control-center"), QLatin1String("info-overview")},
    {QLatin1String("xfce4-about"), {}},
    {QLatin1String("mate-system-monitor"), QLatin1String("--show-system-tab")},
    {QLatin1String("cinnamon-settings"), QLatin1String("info")},
    {QLatin1String("hardinfo2"), {}},
    {QLatin1String("hardinfo"), {}},
}};
#endif

inline constexpr quint32 kRegSz = 1;
inline constexpr quint32 kRegDword = 4;
// Values are read into this many bytes; a larger value fails the query.
inline constexpr qsizetype kRegistryBufferBytes = 1024;

// What a registry query filled in: its buffer, the data length it reported
// and the value's type.
struct RegistryData
{
    QByteArray buffer;
    qsizetype length = 0;
    quint32 type = 0;
};

// How a queried value becomes text. Nothing read (the key would not open or
// the query failed) empties value and gives false. Otherwise the buffer is cut
// to the reported length: a REG_SZ (UTF-16) loses one final NUL, a REG_DWORD
// becomes its decimal text, any other type leaves value as it was; true.
bool applyRegistryValue(const std::optional<RegistryData> &data, QString &value);

} // namespace corvale
