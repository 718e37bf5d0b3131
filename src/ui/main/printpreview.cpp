#include "ui/main/printpreview.h"

#include <utility>

#include <QFileInfo>
#include <QImageReader>
#include <QPrintPreviewDialog>
#include <QPrinter>

#include "imageconv/mapmetadata.h"
#include "ui/common/messagebox.h"
#include "ui/main/mappage.h"

using namespace Qt::StringLiterals;

namespace corvale {

namespace {

void showPreviewDialog(QWidget *owner, QPrinter &printer, const PagePainter &paintPage)
{
    QPrintPreviewDialog dialog(&printer, owner);
    QObject::connect(&dialog, &QPrintPreviewDialog::paintRequested, &dialog, paintPage);
    dialog.exec();
}

PreviewShower &currentShower()
{
    static PreviewShower shower = showPreviewDialog;
    return shower;
}

} // namespace

void showPrintPreview(QWidget *owner, QPrinter &printer, const PagePainter &paintPage)
{
    currentShower()(owner, printer, paintPage);
}

PreviewShower installPreviewShower(PreviewShower shower)
{
    return std::exchange(currentShower(), std::move(shower));
}

PreviewRecorder::PreviewRecorder(QString pdfPath)
    : m_pdfPath(std::move(pdfPath))
    , m_previous(installPreviewShower([this](QWidget *owner, QPrinter &printer, const PagePainter &paintPage) {
        m_previews.append({owner, printer.docName(), printer.pageLayout()});
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(m_pdfPath);
        paintPage(&printer);
    }))
{
}

PreviewRecorder::~PreviewRecorder()
{
    installPreviewShower(std::move(m_previous));
}

const QList<ShownPreview> &PreviewRecorder::previews() const
{
    return m_previews;
}

void previewMap(QWidget *owner, const QString &filePath)
{
    QImageReader reader(filePath);
    reader.setAutoTransform(true);
    const QImage map = reader.read();
    if (map.isNull()) {
        showMessage(owner, u"%1 is not a picture that can be printed."_s.arg(filePath), u"Sorry..."_s);
        return;
    }
    const QString name = QFileInfo(filePath).fileName();
    const QStringList caption = mapCaption(readMetadata(filePath), name);
    QPrinter printer(QPrinter::HighResolution);
    printer.setDocName(name);
    orientForMap(printer, map);
    showPrintPreview(owner, printer, [&map, &caption](QPrinter *target) { drawMapPage(*target, map, caption); });
}

} // namespace corvale
