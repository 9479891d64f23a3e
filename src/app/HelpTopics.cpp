#include "app/HelpTopics.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QHash>
#include <QWidget>

#include "app/frmMain.h"
#include "keymora/Version.h"

namespace keymora::help {

namespace {

// Windows by class name; dialogs that other parts add can join here.
const QHash<QString, QString>& pagesByWindow() {
    static const QHash<QString, QString> pages = {
        {QStringLiteral("keymora::frmKMF"), QString::fromLatin1(kDocumentWindow)},
        {QStringLiteral("keymora::frmOptions"), QString::fromLatin1(kOptions)},
        {QStringLiteral("keymora::frmGeneratePassword"),
         QStringLiteral("entries-and-passwords.html#generate")},
        {QStringLiteral("keymora::frmLogin"), QStringLiteral("getting-started.html#open")},
        {QStringLiteral("keymora::frmLoginWithConfirm"), QStringLiteral("getting-started.html#new")},
        {QStringLiteral("keymora::frmSearch"), QStringLiteral("search.html")},
        {QStringLiteral("keymora::frmImport"), QStringLiteral("import-merge.html#import")},
        {QStringLiteral("keymora::frmDocMergeList"), QStringLiteral("import-merge.html#merge")},
        {QStringLiteral("keymora::frmEditLabels"), QStringLiteral("entries-and-passwords.html#fields")},
        {QStringLiteral("keymora::frmBrowser"), QStringLiteral("entries-and-passwords.html#launch")},
        {QStringLiteral("keymora::frmAbout"), QString::fromLatin1(kContents)},
    };
    return pages;
}

}  // namespace

QStringList TopicsInUse() {
    QStringList topics = pagesByWindow().values();
    topics << QString::fromLatin1(kContents) << QString::fromLatin1(kGettingStarted);
    topics.removeDuplicates();
    topics.sort();
    return topics;
}

QString HelpFolder() {
    const QDir programDir(QCoreApplication::applicationDirPath());
    for (const QString& candidate : {programDir.filePath(QString::fromLatin1(kHelpFromProgram)),
                                     programDir.filePath(QStringLiteral("help"))}) {
        const QString folder = QDir::cleanPath(candidate);
        if (QFileInfo::exists(folder + QLatin1Char('/') + QLatin1String(kContents))) return folder;
    }
    return {};
}

QString TopicFor(const QWidget* widget) {
    for (const QWidget* w = widget; w != nullptr; w = w->parentWidget()) {
        const QString page = pagesByWindow().value(QString::fromLatin1(w->metaObject()->className()));
        if (!page.isEmpty()) return page;
        if (const auto* main = qobject_cast<const frmMain*>(w))
            return QString::fromLatin1(main->activeDocument() != nullptr ? kDocumentWindow
                                                                         : kGettingStarted);
    }
    return QString::fromLatin1(kContents);
}

}  // namespace keymora::help
