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
    {
        if (qEnvironmentVariableIsSet(name))
            m_saved = qgetenv(name);
        apply(value);
    }
    ~ScopedEnv() { apply(m_saved); }
    ScopedEnv(const ScopedEnv &) = delete;
    ScopedEnv &operator=(const ScopedEnv &) = delete;

private:
    void apply(const std::optional<QByteArray> &value) const
    {
        if (value)
            qputenv(m_name.constData(), *value);
        else
            qunsetenv(m_name.constData());
    }

    QByteArray m_name;
    std::optional<QByteArray> m_saved;
};

} // namespace corvale::test
