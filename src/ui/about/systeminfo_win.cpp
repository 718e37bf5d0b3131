// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/about/systeminfo.h"

#include <algorithm>
#include <memory>
#include <optional>
#include <type_traits>

#include <windows.h>

#include <QByteArray>
#include <QFileInfo>
#include <QtEndian>

using namespace Qt::StringLiterals;

namespace corvale {

namespace {

constexpr quint32 kRegSz = 1;
constexpr quint32 kRegDword = 4;
// Values are read into this many bytes; a larger value fails the query.
constexpr qsizetype kRegistryBufferBytes = 1024;

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
bool applyRegistryValue(const std::optional<RegistryData> &data, QString &value)
{
    if (!data) {
        value.clear();
        return false;
    }
    const QByteArray bytes = data->buffer.left(std::clamp<qsizetype>(data->length, 0, data->buffer.size()));
    switch (data->type) {
    case kRegSz: {
        QString text = QString::fromUtf16(reinterpret_cast<const char16_t *>(bytes.constData()), bytes.size() / 2);
        if (text.endsWith(QChar(u'\0')))
            text.chop(1);
        value = text;
        break;
    }
    case kRegDword: {
        QByteArray word = bytes.left(4);
        word.resize(4, '\0');
        value = QString::number(qFromLittleEndian<quint32>(word.constData()));
        break;
    }
    default: break;
    }
    return true;
}

struct KeyCloser
{
    void operator()(HKEY key) const { RegCloseKey(key); }
};
using KeyHandle = std::unique_ptr<std::remove_pointer_t<HKEY>, KeyCloser>;

std::optional<RegistryData> queryRegistry(HKEY root, const QString &keyPath, const QString &valueName)
{
    HKEY opened = nullptr;
    // Read rights only: an ordinary user may not open this key for writing.
    if (RegOpenKeyExW(root, reinterpret_cast<const wchar_t *>(keyPath.utf16()), 0, KEY_READ, &opened) != ERROR_SUCCESS)
        return std::nullopt;
    const KeyHandle key(opened);

    RegistryData data;
    data.buffer = QByteArray(kRegistryBufferBytes, '\0');
    DWORD type = 0;
    DWORD length = DWORD(data.buffer.size());
    if (RegQueryValueExW(key.get(), reinterpret_cast<const wchar_t *>(valueName.utf16()), nullptr, &type,
                         reinterpret_cast<BYTE *>(data.buffer.data()), &length)
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
    if (!ReadRegistryValue(HKEY_LOCAL_MACHINE, u"SOFTWARE\\Microsoft\\Shared Tools Location"_s, u"MSINFO"_s, path))
        return {};
    path += u"\\MSINFO32.EXE"_s;
    return {QFileInfo(path).isFile() ? path : QString(), {}};
}

} // namespace corvale
