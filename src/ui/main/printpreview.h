#pragma once

#include <functional>

#include <QList>
#include <QPageLayout>
#include <QPointer>
#include <QString>
#include <QWidget>

class QPrinter;

namespace corvale {

// Draws the document on the printer it is handed.
using PagePainter = std::function<void(QPrinter *printer)>;

// Shows the print preview of what paintPage draws, modally over owner; the
// user prints from it or closes it.
void showPrintPreview(QWidget *owner, QPrinter &printer, const PagePainter &paintPage);

using PreviewShower = std::function<void(QWidget *owner, QPrinter &printer, const PagePainter &paintPage)>;

// Replaces how showPrintPreview shows (Qt's print preview dialog at start);
// returns the shower it replaced.
PreviewShower installPreviewShower(PreviewShower shower);

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

// Opens the print preview of the picture at filePath: the map on one page
// with its caption. A file that is no picture gets a "Sorry..." message.
void previewMap(QWidget *owner, const QString &filePath);

} // namespace corvale
