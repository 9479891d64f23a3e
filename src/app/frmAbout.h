#pragma once
// Help > About: name, version, what the program is, its copyright and
// licence, and the system details a bug report needs.
#include <QDialog>

class QLabel;
class QPushButton;
class QTextBrowser;

namespace keymora {

class frmAbout : public QDialog {
    Q_OBJECT
public:
    explicit frmAbout(QWidget* parent = nullptr);

    QLabel* lblVersion = nullptr;
    QTextBrowser* txtDescription = nullptr;
    QLabel* lblDisclaimer = nullptr;
    QPushButton* cmdOK = nullptr;
    QPushButton* cmdSysInfo = nullptr;

    // "&System Info...": the system details, with a button to copy them.
    void StartSysInfo();
};

}  // namespace keymora
