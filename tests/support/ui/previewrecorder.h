// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QList>
#include <QPageLayout>
#include <QPointer>
#include <QString>
#include <QWidget>

#include "ui/print/printpreview.h"

namespace corvale::test {

struct ShownPreview
{
    QPointer<QWidget> owner;
    QString documentName;
    QPageLayout pageLayout;
};

// Takes every showPrintPreview while it lives, so that no dialog waits for a
// click: each one is printed at once to the PDF file pdfPath (the last one
// stays) and kept in order.
class PreviewRecorder
{
public:
    explicit PreviewRecorder(QString pdfPath);
    ~PreviewRecorder();
    PreviewRecorder(const PreviewRecorder &) = delete;
    PreviewRecorder &operator=(const PreviewRecorder &) = delete;

    const QList<ShownPreview> &previews() const;

private:
    QString m_pdfPath;
    QList<ShownPreview> m_previews;
    PreviewShower m_previous;
};

} // namespace corvale::test
