// SPDX-License-Identifier: GPL-3.0-or-later
#include "previewrecorder.h"

#include <QPrinter>

namespace corvale::test {

PreviewRecorder::PreviewRecorder(QString pdfPath)
    : m_pdfPath(std::move(pdfPath))
    , m_previous(installPreviewShower([this](QWidget *owner, QPrinter &printer, const PagePainter &paintPage) {
        m_previews.append({owner, printer.docName(), printer.pageLayout()});
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(m_pdfPath);
        paintPage(&printer);
    }))
{ }

PreviewRecorder::~PreviewRecorder()
{
    installPreviewShower(std::move(m_previous));
}

const QList<ShownPreview> &PreviewRecorder::previews() const
{
    return m_previews;
}

} // namespace corvale::test
