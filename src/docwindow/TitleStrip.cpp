#include "docwindow/TitleStrip.h"

#include <QEvent>
#include <QLabel>

namespace keymora {

namespace {

struct Titles {
    const char* kind;
    const char* access;
    bool readOnly;
};

Titles titlesOf(AccessMode access) {
    switch (access) {
        case AccessMode::Private: return {"Single User Private File", "Read/Write Capable", false};
        case AccessMode::SharedWriter: return {"Multi User Shared File", "Read/Write Capable", false};
        case AccessMode::SharedReader:
            return {"Multi User Shared File (Read Only)", "Read Only", true};
        case AccessMode::Unlocked: break;
    }
    return {"", "", false};
}

}  // namespace

TitleStrip::TitleStrip(QLabel* kind, QLabel* access, QObject* parent)
    : QObject(parent), m_labels{kind, access} {
    for (QLabel* label : m_labels) {
        label->setContentsMargins(6, 2, 6, 2);
        label->setAutoFillBackground(true);
        label->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
        label->installEventFilter(this);
    }
}

void TitleStrip::showAccess(AccessMode access) {
    const Titles titles = titlesOf(access);
    m_text[0] = QString::fromLatin1(titles.kind);
    m_text[1] = QString::fromLatin1(titles.access);
    QString style;
    if (!m_text[0].isEmpty())
        style = titles.readOnly ? QStringLiteral("background-color: rgb(255,0,0); color: black;")
                                : QStringLiteral("background-color: rgb(0,255,0); color: black;");
    for (QLabel* label : m_labels) label->setStyleSheet(style);
    fit();
}

QString TitleStrip::text(int index) const {
    return (index == 0 || index == 1) ? m_text[index] : QString();
}

bool TitleStrip::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::Resize && (watched == m_labels[0] || watched == m_labels[1])) fit();
    return QObject::eventFilter(watched, event);
}

void TitleStrip::fit() {
    for (int i = 0; i < 2; ++i) {
        QLabel* l = m_labels[i];
        const int room = l->width() - l->contentsMargins().left() - l->contentsMargins().right();
        const QString shown =
            room > 0 ? l->fontMetrics().elidedText(m_text[i], Qt::ElideRight, room) : m_text[i];
        l->setText(shown);
        l->setToolTip(shown == m_text[i] ? QString() : m_text[i]);
    }
}

}  // namespace keymora
