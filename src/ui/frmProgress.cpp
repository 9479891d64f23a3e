#include "ui/frmProgress.h"

#include <QCoreApplication>
#include <QLabel>
#include <QProgressBar>
#include <QVBoxLayout>

namespace keymora {

namespace {
constexpr qint64 kPaintEveryMs = 50;
}

frmProgress::frmProgress(const QString& caption, QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("frmProgress"));
    setWindowTitle(caption);
    setModal(false);
    auto* layout = new QVBoxLayout(this);
    m_status = new QLabel(QStringLiteral("Merging..."), this);
    m_status->setObjectName(QStringLiteral("lblCategory"));
    m_bar = new QProgressBar(this);
    m_bar->setObjectName(QStringLiteral("prgMerge"));
    layout->addWidget(m_bar);
    layout->addWidget(m_status);
    setMinimumWidth(360);
}

void frmProgress::setRange(int minimum, int maximum) { m_bar->setRange(minimum, maximum); }

void frmProgress::setValue(int value) { m_bar->setValue(value); }

void frmProgress::setStatus(const QString& text) { m_status->setText(text); }

int frmProgress::value() const { return m_bar->value(); }

QString frmProgress::status() const { return m_status->text(); }

void frmProgress::start() {
    show();
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    m_sincePaint.start();
}

void frmProgress::keepResponsive() {
    if (m_sincePaint.isValid() && m_sincePaint.elapsed() < kPaintEveryMs) return;
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    m_sincePaint.start();
}

}  // namespace keymora
