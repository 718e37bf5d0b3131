// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <optional>

namespace corvale::test {

// Sets (or, given nullopt, unsets) one environment variable for a scope and
// puts back whatever the caller's environment held, set or not.
class ScopedEnv
{
public:
    ScopedEnv(const char *name, std::optional<QByteArray> value)
        : m_name(name)
        , m_saved(qEnvironmentVariableIsSet(name) ? std::optional(qgetenv(name)) : std::nullopt)
    {
        apply(value);
    }
    ~ScopedEnv() { apply(m_saved); }
    Q_DISABLE_COPY_MOVE(ScopedEnv)

private:
    void apply(const std::optional<QByteArray> &value) const
    {
        value ? qputenv(m_name.constData(), *value) : qunsetenv(m_name.constData());
    }

    QByteArray m_name;
    std::optional<QByteArray> m_saved;
};

} // namespace corvale::test
