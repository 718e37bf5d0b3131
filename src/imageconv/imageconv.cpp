// SPDX-License-Identifier: GPL-3.0-or-later
#include "imageconv/imageconv.h"

#include <memory>

#include <turbojpeg.h>

#include <QFile>
#include <QSaveFile>

namespace corvale {

namespace {

struct HandleCloser
{
    void operator()(void *handle) const { tjDestroy(handle); }
};
using Compressor = std::unique_ptr<void, HandleCloser>;

struct BufferFreer
{
    void operator()(unsigned char *buffer) const { tjFree(buffer); }
};
using TurboBuffer = std::unique_ptr<unsigned char, BufferFreer>;

} // namespace

bool ConvertImageToJpeg(const QString &sourcePath, const QString &targetPath,
                        const std::optional<MapMetadata> &metadata)
{
    if (sourcePath.isEmpty() || targetPath.isEmpty())
        return false;

    int width = 0;
    int height = 0;
    int pixelFormat = TJPF_UNKNOWN;
    const QByteArray source = QFile::encodeName(sourcePath);
    const TurboBuffer pixels(tjLoadImage(source.constData(), &width, 1, &height, &pixelFormat, 0));
    if (!pixels || width <= 0 || height <= 0)
        return false;

    const Compressor compressor(tjInitCompress());
    if (!compressor)
        return false;
    // 4:2:0 as cjpeg and most cameras write; grey bitmaps stay grey.
    const int subsampling = pixelFormat == TJPF_GRAY ? TJSAMP_GRAY : TJSAMP_420;
    unsigned char *encoded = nullptr;
    unsigned long encodedSize = 0;
    const int result = tjCompress2(compressor.get(), pixels.get(), width, 0, height, pixelFormat, &encoded,
                                   &encodedSize, subsampling, kJpegQuality, 0);
    const TurboBuffer jpeg(encoded);
    if (result != 0 || !jpeg || encodedSize == 0)
        return false;

    // Points into the encoder's buffer; metadata makes a copy of its own.
    QByteArray bytes = QByteArray::fromRawData(reinterpret_cast<const char *>(jpeg.get()),
                                               static_cast<qsizetype>(encodedSize));
    if (metadata && !embedMetadata(bytes, *metadata))
        return false;

    QSaveFile target(targetPath);
    if (!target.open(QIODevice::WriteOnly))
        return false;
    if (target.write(bytes) != bytes.size())
        return false;
    return target.commit();
}

} // namespace corvale
