#pragma once
// Main-window commands whose operation the program does not offer yet: they
// stay disabled and say so, whatever state the menus are in.
#include <QStringList>

namespace keymora::mainwindow {

const QStringList& unavailableItems();    // menu items by design name
const QStringList& unavailableButtons();  // toolbar buttons by key

}  // namespace keymora::mainwindow
