#include "ui/about/systeminfo.h"

#include <memory>
#include <type_traits>

#include <windows.h>

#include <QFileInfo>

using namespace Qt::StringLiterals;

namespace corvale {

namespace {

struct KeyCloser
{
    void operator()(HKEY key) const { RegCloseKey(key); }
};
using KeyHandle = std::unique_ptr<std::remove_pointer_t<HKEY>, KeyCloser>;

std::optional<RegistryData> queryRegistry(HKEY root, const QString &keyPath, const QString &valueName)
{
    HKEY opened = nullptr;
    // Read rights only: an ordinary user may not open this key for writing.
    if (RegOpenKeyExW(root, reinterpret_cast<const wchar_t *>(keyPath.utf16()), 0, KEY_READ, &opened)
        != ERROR_SUCCESS)
        return std::nullopt;
    const KeyHandle key(opened);

    RegistryData data;
    data.buffer = QByteArray(kRegistryBufferBytes, '\0');
    DWORD type = 0;
    DWORD length = DWORD(data.buffer.size());
    if (RegQueryValueExW(key.get(), reinterpret_cast<const wchar_t *>(valueName.utf16()), nullptr,
                         &type, reinterpret_cast<BYTE *>(data.buffer.data()), &length)
        != ERROR_SUCCESS)
        return std::nullopt;
    data.length = length;
    data.type = type;
    return data;
}

bool ReadRegistryValue(HKEY root, const QString &keyPath, const QString &valueName, QString &value)
{
    return applyRegistryValue(queryRegistry(root, keyPath, valueName), value);
}

} // namespace

SystemInfoCommand systemInfoProgram()
{
    QString path;
    if (ReadRegistryValue(HKEY_LOCAL_MACHINE, u"SOFTWARE\\Microsoft\\Shared Tools\\MSINFO"_s, u"PATH"_s, path))
        return {path, {}};
    if (!ReadRegistryValue(HKEY_LOCAL_MACHINE, u"SOFTWARE\\Microsoft\\Shared Tools Location"_s,
                           u"MSINFO"_s, path))
        return {};
    path += u"\\MSINFO32.EXE"_s;
    return {QFileInfo(path).isFile() ? path : QString(), {}};
}

} // namespace corvale
