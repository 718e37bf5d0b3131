// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/map/frmmap.h"

#include <QEvent>
#include <QPushButton>
#include <QScreen>
#include <QUrl>

#include "ui/common/apptitle.h"
#include "ui/common/controls.h"
#include "ui/common/messagebox.h"
#include "ui/common/twips.h"
#include "ui/map/mapbrowser.h"
#include "ui/map/mapsave.h"

using namespace Qt::StringLiterals;

namespace corvale {

namespace {

constexpr QSize kClientSize = twipsSize(9240, 9210);
constexpr MapWindowLayout kDesignLayout{{0, 0, 7575, 6135}, {3720, 6240, 1215, 495}};
constexpr QRect kDesignBrowser = twipsRect(0, 0, 4455, 2295);
// Room left for the window manager's caption and borders around the client area.
constexpr QSize kFrameAllowance(16, 40);

} // namespace

frmMap::frmMap(MapBrowser &browser, MapFolder &mapFolder, MapQuerySource query, QWidget *parent)
    // A dialog, which an X11 window manager keeps above its owner (a plain
    // window gets no WM_TRANSIENT_FOR), with the buttons of a sizable window.
    : QDialog(parent, Qt::Dialog | Qt::WindowMinMaxButtonsHint | Qt::WindowCloseButtonHint)
    , m_mapFolder(mapFolder)
    , m_query(std::move(query))
    , m_layout(kDesignLayout)
    , m_browser(browser)
    , pnlMap(new QWidget(this))
    , wb(m_browser.createView(pnlMap, [this](bool ok) { Q_EMIT pageLoaded(ok); }))
    , cmdCapture(place<QPushButton>(this, u"cmdCapture"_s, kDesignLayout.button.toPixels(), u"&Capture"_s))
{
    setWindowTitle(u"Save Map"_s);
    // On a small or scaled screen the designed size would put "Capture" out
    // of reach; the resize steps then place the panel and the button.
    resize(kClientSize.boundedTo(screen()->availableGeometry().size() - kFrameAllowance));
    pnlMap->setObjectName(u"pnlMap"_s);
    pnlMap->setGeometry(kDesignLayout.panel.toPixels());
    pnlMap->installEventFilter(this);
    wb->setObjectName(u"wb"_s);
    wb->setGeometry(kDesignBrowser);
    setTabOrder(wb, cmdCapture);
    // No button cancels this window.
    ignoreEscape(this);
    connect(cmdCapture, &QPushButton::clicked, this, &frmMap::cmdCapture_Click);
    connect(this, &frmMap::pageLoaded, this, [this](bool ok) { m_pageFailed = !ok; });

    Form_Load();
}

void frmMap::navigate(const QString &mapLink)
{
    m_browser.navigate(wb, QUrl(mapLink));
}

// A screen reader names the map page after its window: the number looked up.
void frmMap::changeEvent(QEvent *event)
{
    if (event->type() == QEvent::WindowTitleChange)
        wb->setAccessibleName(windowTitle());
    QDialog::changeEvent(event);
}

bool frmMap::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == pnlMap && event->type() == QEvent::Resize)
        pnlMap_Resize();
    return QDialog::eventFilter(watched, event);
}

void frmMap::resizeEvent(QResizeEvent *event)
{
    QDialog::resizeEvent(event);
    Form_Resize();
}

void frmMap::Form_Load()
{
    // The browser shows no menu, address or status bar: the view has none.
    // Opening no top-level windows of its own, showing no dialogs and going to
    // web addresses only are the page's, set by the module. The host wrapper's
    // flag and theater mode have nothing to match in the web engine.
    // Files dropped onto the map go nowhere.
    wb->setAcceptDrops(false);
}

void frmMap::Form_Resize()
{
    m_layout = layOutMapWindow(m_layout, static_cast<float>(width() * kTwipsPerPixel),
                               static_cast<float>(height() * kTwipsPerPixel));
    pnlMap->setGeometry(m_layout.panel.toPixels());
    cmdCapture->setGeometry(m_layout.button.toPixels());
}

void frmMap::pnlMap_Resize()
{
    wb->setGeometry(pnlMap->rect());
}

void frmMap::cmdCapture_Click()
{
    // The engine's error page is no map.
    if (m_pageFailed) {
        showMessage(this, u"The map page could not be loaded, so nothing was saved."_s, kSorryTitle);
        return;
    }
    if (saveCapturedMap(this, pnlMap, m_mapFolder, m_query))
        close();
}

} // namespace corvale
