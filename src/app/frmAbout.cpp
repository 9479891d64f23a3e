#include "app/frmAbout.h"

#include <QApplication>
#include <QClipboard>
#include <QDialogButtonBox>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTextBrowser>
#include <QVBoxLayout>

#include "app/SystemInfo.h"
#include "keymora/Version.h"
#include "ui/DialogButtons.h"
#include "ui/Icons.h"
#include "ui/StringTable.h"

namespace keymora {

namespace {

QString versionText() {
    QString text = LoadResString(1228);
    text = ReplacePlaceholder(text, QStringLiteral("App.Major"), QString::number(kVersionMajor));
    text = ReplacePlaceholder(text, QStringLiteral("App.Minor"), QString::number(kVersionMinor));
    return ReplacePlaceholder(text, QStringLiteral("App.Revision"), QString::number(kVersionRevision));
}

QString descriptionHtml() {
    const QString home = QString::fromLatin1(kHomePage);
    return QStringLiteral("<p>%1</p><p>Keymora is built on Qt, Botan, zlib, libdeflate, pugixml, PCRE2, "
                          "CLI11 and libcsv; thanks to their authors.</p><p>Home page: <a href=\"%2\">%2</a></p>")
        .arg(LoadResString(1229).toHtmlEscaped(), home);
}

}  // namespace

frmAbout::frmAbout(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("frmAbout"));
    setWindowTitle(QStringLiteral("About Keymora"));
    auto* picIcon = new QLabel(this);
    picIcon->setObjectName(QStringLiteral("picIcon"));
    picIcon->setPixmap(icons::program().pixmap(64, 64));
    auto* lblTitle = new QLabel(QStringLiteral("Keymora"), this);
    lblTitle->setObjectName(QStringLiteral("lblTitle"));
    QFont big = lblTitle->font();
    big.setPointSizeF(big.pointSizeF() * 1.6);
    big.setBold(true);
    lblTitle->setFont(big);
    lblVersion = new QLabel(versionText(), this);
    lblVersion->setObjectName(QStringLiteral("lblVersion"));
    txtDescription = new QTextBrowser(this);
    txtDescription->setObjectName(QStringLiteral("lblDescription"));
    txtDescription->setOpenExternalLinks(true);
    txtDescription->setHtml(descriptionHtml());
    auto* line = new QFrame(this);
    line->setFrameShape(QFrame::HLine);
    line->setFrameShadow(QFrame::Sunken);
    lblDisclaimer = new QLabel(QStringLiteral(
        "Copyright \u00A9 2026 Orrindale. Keymora is free software under the GNU General Public "
        "License, version 3 or later, and comes with no warranty."), this);
    lblDisclaimer->setObjectName(QStringLiteral("lblDisclaimer"));
    lblDisclaimer->setWordWrap(true);

    auto* buttons = new QDialogButtonBox(this);
    cmdOK = addDialogButton(buttons, QStringLiteral("OK"), QDialogButtonBox::AcceptRole, "cmdOK");
    cmdSysInfo = addDialogButton(buttons, QStringLiteral("&System Info..."),
                                 QDialogButtonBox::ActionRole, "cmdSysInfo");
    connect(cmdOK, &QPushButton::clicked, this, &QDialog::accept);
    connect(cmdSysInfo, &QPushButton::clicked, this, &frmAbout::StartSysInfo);

    auto* grid = new QGridLayout(this);
    grid->addWidget(picIcon, 0, 0, 2, 1, Qt::AlignTop);
    grid->addWidget(lblTitle, 0, 1);
    grid->addWidget(lblVersion, 1, 1);
    grid->addWidget(txtDescription, 2, 0, 1, 2);
    grid->addWidget(line, 3, 0, 1, 2);
    grid->addWidget(lblDisclaimer, 4, 0, 1, 2);
    grid->addWidget(buttons, 5, 0, 1, 2);
    resize(480, 360);
}

void frmAbout::StartSysInfo() {
    QDialog box(this);
    box.setObjectName(QStringLiteral("frmSystemInfo"));
    box.setWindowTitle(QStringLiteral("System Information"));
    auto* text = new QPlainTextEdit(SystemDetailsText(), &box);
    text->setObjectName(QStringLiteral("txtSystemInfo"));
    text->setReadOnly(true);
    text->setLineWrapMode(QPlainTextEdit::NoWrap);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, &box);
    QPushButton* copy = addDialogButton(buttons, QStringLiteral("&Copy"),
                                        QDialogButtonBox::ActionRole, "cmdCopy");
    connect(copy, &QPushButton::clicked, &box, [text] { QApplication::clipboard()->setText(text->toPlainText()); });
    connect(buttons, &QDialogButtonBox::rejected, &box, &QDialog::reject);
    auto* layout = new QVBoxLayout(&box);
    layout->addWidget(text);
    layout->addWidget(buttons);
    box.resize(620, 340);
    box.exec();
}

}  // namespace keymora
