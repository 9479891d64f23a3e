#include "app/frmOptions.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSlider>
#include <QTabWidget>
#include <QToolButton>
#include <QVBoxLayout>

#include <algorithm>
#include <cstdlib>

#include "app/DocumentLifecycle.h"
#include "support/ClsReg.h"
#include "support/Options.h"
#include "ui/DialogButtons.h"
#include "ui/Prompt.h"
#include "ui/StringTable.h"

namespace keymora {

long long DivideRoundHalfEven(long long value, long long divisor) {
    if (divisor == 0) return 0;
    if (divisor < 0) {
        value = -value;
        divisor = -divisor;
    }
    long long q = value / divisor;
    long long r = value % divisor;
    if (r < 0) {  // floor division
        r += divisor;
        --q;
    }
    const long long twice = 2 * r;
    if (twice > divisor || (twice == divisor && (q % 2 != 0))) ++q;
    return q;
}

namespace {

int clampTo(long long value, int max) { return static_cast<int>(std::clamp<long long>(value, 0, max)); }

}  // namespace

OptionsState LoadOptionsState(const clsReg& reg) {
    OptionsState s;
    s.clipboardSeconds =
        clampTo(DivideRoundHalfEven(options::ClipboardTimeout(reg), 1000), kClipboardSecondsMax);
    s.formDisplaySeconds =
        clampTo(DivideRoundHalfEven(options::FormDisplayTimeout(reg), 1000), kFormDisplaySecondsMax);
    s.overallMinutes = clampTo(DivideRoundHalfEven(options::FormOverallDisplayTimeout(reg), 60000),
                               kOverallMinutesMax);
    s.useCompression = options::UseCompression(reg);
    s.confirmDeletes = options::ConfirmEntryDeletes(reg);
    s.autoSave = options::AutoSaveChanges(reg);
    s.autoOpen = options::AutoOpenFile(reg);
    s.fileToOpen = s.autoOpen ? QString::fromStdString(options::FileToOpen(reg)) : QString();
    return s;
}

void SaveOptionsState(clsReg& reg, const OptionsState& s) {
    options::SetClipboardTimeout(reg, static_cast<long long>(s.clipboardSeconds) * 1000);
    options::SetFormDisplayTimeout(reg, static_cast<long long>(s.formDisplaySeconds) * 1000);
    options::SetFormOverallDisplayTimeout(reg, static_cast<long long>(s.overallMinutes) * 60000);
    options::SetUseCompression(reg, s.useCompression);
    options::SetAutoSaveChanges(reg, s.autoSave);
    options::SetAutoOpenFile(reg, s.autoOpen);
    options::SetConfirmEntryDeletes(reg, s.confirmDeletes);
    options::SetFileToOpen(reg, s.autoOpen ? s.fileToOpen.toStdString() : std::string());
}

void SeedOptionDefaults() {
    clsReg reg;
    SeedOptionDefaults(reg);
}

// --- dialog -----------------------------------------------------------------

namespace {

QSlider* makeSlider(QWidget* parent, const QString& name, int min, int max) {
    auto* slider = new QSlider(Qt::Horizontal, parent);
    slider->setObjectName(name);
    slider->setRange(min, max);
    slider->setSingleStep(1);
    slider->setPageStep(std::max(1, max / 12));
    slider->setTickPosition(QSlider::TicksBelow);
    slider->setTickInterval(std::max(1, max / 12));
    return slider;
}

// A caption label, the slider and its current value beside it.
void addSliderRow(QGridLayout* grid, int row, int captionId, QSlider* slider) {
    auto* caption = new QLabel(LoadResString(captionId));
    caption->setProperty(kCaptionIdProperty, captionId);
    auto* value = new QLabel;
    value->setMinimumWidth(32);
    value->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    value->setNum(slider->value());
    QObject::connect(slider, &QSlider::valueChanged, value, qOverload<int>(&QLabel::setNum));
    grid->addWidget(caption, row * 2, 0, 1, 2);
    grid->addWidget(slider, row * 2 + 1, 0);
    grid->addWidget(value, row * 2 + 1, 1);
}

QCheckBox* makeCheck(QWidget* parent, const QString& name, int captionId, int tipId = 0) {
    auto* box = new QCheckBox(LoadResString(captionId), parent);
    box->setObjectName(name);
    box->setProperty(kCaptionIdProperty, captionId);
    if (tipId > 0) box->setProperty(kTooltipIdProperty, tipId);
    return box;
}

}  // namespace

frmOptions::frmOptions(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("frmOptions"));
    setProperty(kCaptionIdProperty, sid::Options);
    setModal(true);

    tabs = new QTabWidget(this);

    auto* timeOuts = new QWidget;
    timeOuts->setProperty(kCaptionIdProperty, sid::TimeOuts);
    auto* grid = new QGridLayout(timeOuts);
    grid->setVerticalSpacing(6);
    sldClipBoardTimeOut = makeSlider(timeOuts, QStringLiteral("sldClipBoardTimeOut"), 0,
                                     kClipboardSecondsMax);
    sldFormDisplayTimeOut = makeSlider(timeOuts, QStringLiteral("sldFormDisplayTimeOut"), 1,
                                       kFormDisplaySecondsMax);
    sldOverallFormDisplayTimeOut = makeSlider(
        timeOuts, QStringLiteral("sldOverallFormDisplayTimeOut"), 1, kOverallMinutesMax);
    addSliderRow(grid, 0, 1066, sldClipBoardTimeOut);
    addSliderRow(grid, 1, 1067, sldFormDisplayTimeOut);
    addSliderRow(grid, 2, 1068, sldOverallFormDisplayTimeOut);
    grid->setRowStretch(6, 1);
    tabs->addTab(timeOuts, LoadResString(sid::TimeOuts));

    auto* fileOps = new QWidget;
    fileOps->setProperty(kCaptionIdProperty, sid::FileOperations);
    auto* fileLayout = new QVBoxLayout(fileOps);
    chkConfirmDeletes = makeCheck(fileOps, QStringLiteral("chkConfirmDeletes"), 1069, 1084);
    chkAutoSave = makeCheck(fileOps, QStringLiteral("chkAutoSave"), 1070, 1085);
    chkUseCompression = makeCheck(fileOps, QStringLiteral("chkUseCompression"), 1071, 1080);
    chkAutoOpenLastFile = makeCheck(fileOps, QStringLiteral("chkAutoOpenLastFile"), 1072);
    txtFileToOpen = new QLineEdit(fileOps);
    txtFileToOpen->setObjectName(QStringLiteral("txtFileToOpen"));
    txtFileToOpen->setProperty(kTooltipIdProperty, 1081);
    cmdBrowse = new QToolButton(fileOps);
    cmdBrowse->setObjectName(QStringLiteral("cmdBrowse"));
    cmdBrowse->setProperty(kCaptionIdProperty, 1082);
    cmdBrowse->setText(LoadResString(1082));
    auto* fileRow = new QHBoxLayout;
    fileRow->setContentsMargins(24, 0, 0, 0);
    fileRow->addWidget(txtFileToOpen, 1);
    fileRow->addWidget(cmdBrowse);
    for (QWidget* w : {static_cast<QWidget*>(chkConfirmDeletes), static_cast<QWidget*>(chkAutoSave),
                       static_cast<QWidget*>(chkUseCompression),
                       static_cast<QWidget*>(chkAutoOpenLastFile)})
        fileLayout->addWidget(w);
    fileLayout->addLayout(fileRow);
    fileLayout->addStretch(1);
    tabs->addTab(fileOps, LoadResString(sid::FileOperations));

    auto* buttons = new QDialogButtonBox(this);
    cmdOK = addDialogButton(buttons, LoadResString(sid::Ok), QDialogButtonBox::AcceptRole, "cmdOK");
    cmdOK->setProperty(kCaptionIdProperty, sid::Ok);
    cmdOK->setDefault(true);
    cmdCancel = addDialogButton(buttons, LoadResString(sid::Cancel),
                                QDialogButtonBox::RejectRole, "cmdCancel");
    cmdCancel->setProperty(kCaptionIdProperty, sid::Cancel);
    cmdApply = addDialogButton(buttons, LoadResString(sid::Apply),
                               QDialogButtonBox::ApplyRole, "cmdApply");
    cmdApply->setProperty(kCaptionIdProperty, sid::Apply);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(tabs);
    layout->addWidget(buttons);
    setMinimumWidth(440);

    connect(cmdOK, &QPushButton::clicked, this, [this] {
        save();
        accept();
    });
    connect(cmdCancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(cmdApply, &QPushButton::clicked, this, &frmOptions::save);
    connect(chkAutoOpenLastFile, &QCheckBox::toggled, this, &frmOptions::chkAutoOpenLastFile_Click);
    connect(cmdBrowse, &QToolButton::clicked, this, &frmOptions::cmdBrowse_Click);

    ApplyResourceCaptions(this);
    const clsReg reg;
    setState(LoadOptionsState(reg));
}

OptionsState frmOptions::state() const {
    OptionsState s;
    s.clipboardSeconds = sldClipBoardTimeOut->value();
    s.formDisplaySeconds = sldFormDisplayTimeOut->value();
    s.overallMinutes = sldOverallFormDisplayTimeOut->value();
    s.useCompression = chkUseCompression->isChecked();
    s.confirmDeletes = chkConfirmDeletes->isChecked();
    s.autoSave = chkAutoSave->isChecked();
    s.autoOpen = chkAutoOpenLastFile->isChecked();
    s.fileToOpen = txtFileToOpen->text();
    return s;
}

void frmOptions::setState(const OptionsState& s) {
    sldClipBoardTimeOut->setValue(s.clipboardSeconds);
    sldFormDisplayTimeOut->setValue(s.formDisplaySeconds);
    sldOverallFormDisplayTimeOut->setValue(s.overallMinutes);
    chkUseCompression->setChecked(s.useCompression);
    chkConfirmDeletes->setChecked(s.confirmDeletes);
    chkAutoSave->setChecked(s.autoSave);
    chkAutoOpenLastFile->setChecked(s.autoOpen);
    chkAutoOpenLastFile_Click();
    if (s.autoOpen) txtFileToOpen->setText(s.fileToOpen);
}

void frmOptions::save() {
    clsReg reg;
    SaveOptionsState(reg, state());
}

void frmOptions::chkAutoOpenLastFile_Click() {
    const bool on = chkAutoOpenLastFile->isChecked();
    txtFileToOpen->setEnabled(on);
    cmdBrowse->setVisible(on);
    if (!on) txtFileToOpen->clear();
}

void frmOptions::cmdBrowse_Click() {
    FileDialogRequest request;
    request.title = LoadResString(1083);
    request.folder = defaultDataFolder();
    request.filter = QStringLiteral("Keymora Files (*.kmf);;All Files (*)");
    request.defaultSuffix = QStringLiteral("kmf");
    const QString chosen = Prompt::current().openFileName(request);
    if (!chosen.isEmpty()) txtFileToOpen->setText(chosen);
}

}  // namespace keymora
