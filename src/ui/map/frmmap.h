// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <functional>

#include <QDialog>
#include <QString>

#include "ui/map/maplayout.h"

class QPushButton;

namespace corvale {

class MapBrowser;
class MapFolder;

// The main window's boxes that name a saved map, as they read when asked, and
// what the saved map says about itself: the result box's text, and the
// position and the service of the lookup that opened the map.
struct MapQuery
{
    QString txtPhone;
    QString txtAddress;
    QString txtCity;
    // Empty unless given: a query may name only the boxes.
    QString txtResult = {};
    QString Latitude = {};
    QString Longitude = {};
    QString Source = {};
};
using MapQuerySource = std::function<MapQuery()>;

// The map window: the lookup service's map page in `wb`, inside the panel
// `pnlMap`, and "Capture" centred below it. One window shows one map and is
// shown modally; its opener navigates it and sets its title first.
class frmMap : public QDialog
{
    Q_OBJECT

public:
    // `browser` (the loaded map browser module) makes the view. The save
    // command reads and may change `mapFolder`, and reads the main window's
    // boxes through `query`. Both must outlive the window.
    frmMap(MapBrowser &browser, MapFolder &mapFolder, MapQuerySource query, QWidget *parent = nullptr);

    // Makes the browser go to `mapLink`; the page loads on its own.
    void navigate(const QString &mapLink);

Q_SIGNALS:
    // The page the browser went to has loaded, or failed to.
    void pageLoaded(bool ok);

protected:
    void changeEvent(QEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    void Form_Load();
    void Form_Resize();
    void pnlMap_Resize();
    void cmdCapture_Click();

    MapFolder &m_mapFolder;
    MapQuerySource m_query;
    MapWindowLayout m_layout;
    bool m_pageFailed = false;

    MapBrowser &m_browser;
    QWidget *pnlMap;
    QWidget *wb;
    QPushButton *cmdCapture;
};

} // namespace corvale
