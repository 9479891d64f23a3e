#pragma once
// Every icon of the desktop program: the desktop theme's when it has one, else
// a bundled picture (resources/icons) or a drawn stand-in.
#include <QIcon>
#include <QString>

namespace keymora::icons {

// Registers the bundled pictures. A static library's resources are only
// linked in when something names them, so the lookups below call it too.
void loadResources();

// The theme icon `themeName`, else the bundled ":/icons/<fallback>.png".
QIcon themed(const QString& themeName, const QString& fallback);

// The program's own icon.
QIcon program();

// Document window: tree and list items, window states, entry buttons.
QIcon category();
QIcon subcategory();
QIcon entry();
QIcon cleanForm();
QIcon needSave();
QIcon copy();
QIcon launch();

}  // namespace keymora::icons
