#pragma once
// The web browser window needs Qt WebEngine, so it lives in a library of its
// own that only the program links; the program registers the window's opener
// here before start-up. Without one, View > Web Browser is not offered.
class QWidget;

namespace keymora {

using WebBrowserOpener = void (*)(QWidget* parent);
WebBrowserOpener& webBrowserOpener();

}  // namespace keymora
