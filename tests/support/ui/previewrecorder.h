// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QList>
#include <QPageLayout>
#include <QPointer>
#include <QPrinter>
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
    explicit PreviewRecorder(QString pdfPath)
        : m_pdfPath(std::move(pdfPath))
    { }
    ~PreviewRecorder() { installPreviewShower(std::move(m_previous)); }
    Q_DISABLE_COPY_MOVE(PreviewRecorder)

    const QList<ShownPreview> &previews() const { return m_previews; }

private:
    QString m_pdfPath;
    QList<ShownPreview> m_previews;
    PreviewShower m_previous = installPreviewShower(
        [this](QWidget *owner, QPrinter &printer, const PagePainter &paintPage) {
            m_previews.append({owner, printer.docName(), printer.pageLayout()});
            printer.setOutputFormat(QPrinter::PdfFormat);
            printer.setOutputFileName(m_pdfPath);
            paintPage(&printer);
        });
};

} // namespace corvale::test
