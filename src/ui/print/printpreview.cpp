// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/print/printpreview.h"

#include <utility>

#include <QFileInfo>
#include <QPrintPreviewDialog>
#include <QPrinter>

#include "ui/common/apptitle.h"
#include "ui/common/messagebox.h"
#include "ui/print/mapprintout.h"

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

void previewMap(QWidget *owner, const QString &filePath)
{
    const std::optional<PrintableMap> printable = readPrintableMap(filePath);
    if (!printable) {
        showMessage(owner, u"%1 is not a picture that can be printed."_s.arg(filePath), kSorryTitle);
        return;
    }
    QPrinter printer(QPrinter::HighResolution);
    printer.setDocName(QFileInfo(filePath).fileName());
    orientForMap(printer, printable->map);
    showPrintPreview(owner, printer,
                     [&printable](QPrinter *target) { drawMapPage(*target, printable->map, printable->caption); });
}

} // namespace corvale
