#pragma once
// The help pages the program opens, where the installed pages are, and which
// page belongs to the window in front.
#include <QString>
#include <QStringList>

class QWidget;

namespace keymora::help {

inline constexpr const char* kContents = "index.html";
inline constexpr const char* kGettingStarted = "getting-started.html";
inline constexpr const char* kDocumentWindow = "document-window.html";
inline constexpr const char* kOptions = "options.html";

// Every page (with its #anchor, if any) the program links to.
QStringList TopicsInUse();

// The folder of the help pages: beside the installed program, else the
// copy next to the program in the build tree. Empty when neither exists.
QString HelpFolder();

// The page of the window holding `widget` (the focus widget, usually): the
// first enclosing window with a page of its own; the main window gives the
// document window's page while a document is active, else Getting started.
QString TopicFor(const QWidget* widget);

}  // namespace keymora::help
