#include "ui/about/systeminfo.h"

#include <algorithm>

#include <QtEndian>

namespace corvale {

bool applyRegistryValue(const std::optional<RegistryData> &data, QString &value)
{
    if (!data) {
        value.clear();
        return false;
    }
    const QByteArray bytes = data->buffer.left(std::clamp<qsizetype>(data->length, 0, data->buffer.size()));
    switch (data->type) {
    case kRegSz: {
        QString text = QString::fromUtf16(reinterpret_cast<const char16_t *>(bytes.constData()),
                                          bytes.size() / 2);
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
    default:
        break;
    }
    return true;
}

} // namespace corvale
