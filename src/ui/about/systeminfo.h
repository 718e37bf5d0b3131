// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

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

} // namespace corvale
