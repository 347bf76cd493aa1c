#include "setup/ExperimentModeDialog.h"
#include "windowbase/DialogKeys.h"
#include "windowbase/DeferredIcon.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QIcon>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPixmap>
#include <QPushButton>
#include <QTabBar>
#include <QTabWidget>
#include <QVBoxLayout>
#include <QVector>

#include "windowbase/NumberField.h"
#include "windowbase/Prompter.h"
#include "windowbase/TimingLength.h"

namespace {
const char* const s_WizardPicture = ":/images/TimingWizard/timming-wizard2.png";

struct MethodRow
{
    const char* text;
    int code;
};

// The arrangements offered for a measurement, in the order of the box. A collision needs a gate
// for each cart; an acceleration has no third arrangement.
QVector<MethodRow> MethodRows(int measurement, int status)
{
    QVector<MethodRow> rows{{QT_TRANSLATE_NOOP("CExperimentModeDialog", "At one gate"), 0}};
    if (status >= 2)
        rows.append({QT_TRANSLATE_NOOP("CExperimentModeDialog", "Between gates"), 1});
    if (measurement == 1) {
        if (status >= 2)
            rows.append({QT_TRANSLATE_NOOP("CExperimentModeDialog", "Collision (two gates)"), 2});
    } else if (measurement != 2) {
        rows.append({QT_TRANSLATE_NOOP("CExperimentModeDialog", "Pendulum (one gate)"), 2});
    }
    return rows;
}

QIcon modeIcon(const char* off, const char* on)
{
    QIcon icon = KorvantaIcons::Deferred();
    icon.addFile(QString::fromLatin1(off), QSize(), QIcon::Normal, QIcon::Off);
    icon.addFile(QString::fromLatin1(on), QSize(), QIcon::Normal, QIcon::On);
    return icon;
}

QPushButton* modeButton(QWidget* parent, const char* name, const QIcon& icon)
{
    auto* button = new QPushButton(parent);
    button->setObjectName(QString::fromLatin1(name));
    button->setCheckable(true);
    button->setFlat(true);
    button->setIcon(icon);
    button->setIconSize(QSize(64, 64));
    button->setFixedSize(72, 72);
    return button;
}
} // namespace

void Ui_CExperimentModeDialog::setupUi(QDialog* dialog)
{
    if (dialog->objectName().isEmpty())
        dialog->setObjectName(QStringLiteral("CExperimentModeDialog"));
    dialog->resize(520, 460);
    auto* layout = new QVBoxLayout(dialog);

    auto* modes = new QGridLayout();
    normalRunButton = modeButton(dialog, "normalRunButton",
                                 modeIcon(":/images/RunModes/Auto_disable.png", ":/images/RunModes/Auto_play.png"));
    timingRunButton = modeButton(dialog, "timingRunButton",
                                 modeIcon(":/images/RunModes/Event_disable.png", ":/images/RunModes/Event_play.png"));
    mormalSamplingLabel = new QLabel(dialog);
    mormalSamplingLabel->setObjectName(QStringLiteral("mormalSamplingLabel"));
    timingSamplingLabel = new QLabel(dialog);
    timingSamplingLabel->setObjectName(QStringLiteral("timingSamplingLabel"));
    modes->addWidget(normalRunButton, 0, 0, Qt::AlignHCenter);
    modes->addWidget(timingRunButton, 0, 1, Qt::AlignHCenter);
    modes->addWidget(mormalSamplingLabel, 1, 0, Qt::AlignHCenter);
    modes->addWidget(timingSamplingLabel, 1, 1, Qt::AlignHCenter);
    layout->addLayout(modes);

    modesTab = new QTabWidget(dialog);
    modesTab->setObjectName(QStringLiteral("modesTab"));
    tab = new QWidget();
    tab->setObjectName(QStringLiteral("tab"));
    modesTab->addTab(tab, QString());
    tab_2 = new QWidget();
    tab_2->setObjectName(QStringLiteral("tab_2"));
    auto* timing = new QGridLayout(tab_2);
    photogatesLabel = new QLabel(tab_2);
    photogatesLabel->setObjectName(QStringLiteral("photogatesLabel"));
    measurementComboBox = new QComboBox(tab_2);
    measurementComboBox->setObjectName(QStringLiteral("measurementComboBox"));
    methodComboBox = new QComboBox(tab_2);
    methodComboBox->setObjectName(QStringLiteral("methodComboBox"));
    timingImage = new QLabel(tab_2);
    timingImage->setObjectName(QStringLiteral("timingImage"));
    timingImage->setAlignment(Qt::AlignCenter);
    timingImage->setMinimumSize(240, 140);
    timingImage->setPixmap(QPixmap(QString::fromLatin1(s_WizardPicture)));
    parameterLabel = new QLabel(tab_2);
    parameterLabel->setObjectName(QStringLiteral("parameterLabel"));
    timingParameterEdit = new QLineEdit(tab_2);
    timingParameterEdit->setObjectName(QStringLiteral("timingParameterEdit"));
    unitLabel = new QLabel(tab_2);
    unitLabel->setObjectName(QStringLiteral("unitLabel"));
    timing->addWidget(photogatesLabel, 0, 0, 1, 3);
    timing->addWidget(measurementComboBox, 1, 0, 1, 3);
    timing->addWidget(methodComboBox, 2, 0, 1, 3);
    timing->addWidget(timingImage, 3, 0, 1, 3);
    timing->addWidget(parameterLabel, 4, 0);
    timing->addWidget(timingParameterEdit, 4, 1);
    timing->addWidget(unitLabel, 4, 2);
    modesTab->addTab(tab_2, QString());
    layout->addWidget(modesTab, 1);

    auto* buttons = new QHBoxLayout();
    buttons->addStretch(1);
    okButton = new QPushButton(dialog);
    okButton->setObjectName(QStringLiteral("okButton"));
    cancelButton = new QPushButton(dialog);
    cancelButton->setObjectName(QStringLiteral("cancelButton"));
    buttons->addWidget(okButton);
    buttons->addWidget(cancelButton);
    layout->addLayout(buttons);

    retranslateUi(dialog);
    QMetaObject::connectSlotsByName(dialog);
}

void Ui_CExperimentModeDialog::retranslateUi(QDialog* dialog)
{
    dialog->setWindowTitle(QCoreApplication::translate("CExperimentModeDialog", "Sampling Mode"));
    mormalSamplingLabel->setText(QCoreApplication::translate("CExperimentModeDialog", "Auto Sampling"));
    timingSamplingLabel->setText(QCoreApplication::translate("CExperimentModeDialog", "Event Based Time Measuring"));
    okButton->setText(QCoreApplication::translate("CExperimentModeDialog", "Done"));
    cancelButton->setText(QCoreApplication::translate("CExperimentModeDialog", "Cancel"));
}

CExperimentModeDialog::CExperimentModeDialog(QWidget* parent) : QDialog(parent), ui(new Ui_CExperimentModeDialog)
{
    ui->setupUi(this);
    NumberField::Restrict(ui->timingParameterEdit);
    // Return means Done, also in the length field: the mode buttons only take clicks.
    DialogKeys::AcceptOnReturn(this, ui->okButton);
}

CExperimentModeDialog::~CExperimentModeDialog()
{
    delete ui;
}

QString CExperimentModeDialog::TimingPicture(int measurement, int method)
{
    static const char* const pictures[3][3] = {
        {":/images/TimingWizard/online/cart1.png", "://images/TimingWizard/online/cart2.png",
         ":/images/TimingWizard/online/pendulum.png"},
        {":/images/TimingWizard/online/cart1.png", ":/images/TimingWizard/online/cart2.png",
         "://images/TimingWizard/online/2carts.png"},
        {":/images/TimingWizard/online/cart1.png", "://images/TimingWizard/online/cart2.png", ""},
    };
    if (measurement < 0 || measurement > 2 || method < 0 || method > 2)
        return QString();
    return QString::fromLatin1(pictures[measurement][method]);
}

int CExperimentModeDialog::OfferedMethod(int measurement, int method, int status)
{
    if (method < 0)
        return method;
    for (const MethodRow& row : MethodRows(measurement, status))
        if (row.code == method)
            return method;
    // One gate cannot time between gates: a time becomes a pendulum's, anything else is taken
    // at the one gate, the row the box shows for an arrangement it does not offer.
    return measurement == 0 && method == 1 ? 2 : 0;
}

void CExperimentModeDialog::Init(int runMode)
{
    m_RunMode = runMode;
    ui->normalRunButton->setStyleSheet(QStringLiteral("QPushButton:flat {   border: none; }"));
    ui->timingRunButton->setStyleSheet(QStringLiteral("QPushButton:flat {   border: none; }"));
    ui->parameterLabel->hide();
    ui->unitLabel->hide();
    ui->timingParameterEdit->hide();
    // The pages are chosen by the mode buttons, never by the user: the tab bar stays hidden.
    ui->modesTab->tabBar()->hide();
    UpdateModeButtons();
    UpdateControls();
}

void CExperimentModeDialog::UpdateModeButtons()
{
    if (m_RunMode == 0) {
        ui->normalRunButton->setChecked(true);
        ui->timingRunButton->setChecked(false);
        ui->modesTab->setCurrentIndex(0);
        ui->okButton->setEnabled(true);
    } else if (m_RunMode == 1) {
        ui->normalRunButton->setChecked(false);
        ui->timingRunButton->setChecked(true);
        ui->modesTab->setCurrentIndex(1);
        ui->okButton->setEnabled(measurement >= 0 && method >= 0);
    }
}

void CExperimentModeDialog::UpdateStatus(int newStatus)
{
    status = newStatus;
    ui->timingRunButton->setEnabled(status >= 1);
    if (m_RunMode == 1 && status == 0) {
        m_RunMode = 0;
        UpdateModeButtons();
    }
}

void CExperimentModeDialog::UpdateControls()
{
    // Filling the boxes must not read back as the user's choice.
    disconnect(ui->measurementComboBox, QOverload<int>::of(&QComboBox::currentIndexChanged), this,
               &CExperimentModeDialog::OnMeasurementComboBoxIndexChanged);
    disconnect(ui->methodComboBox, QOverload<int>::of(&QComboBox::currentIndexChanged), this,
               &CExperimentModeDialog::OnMethodComboBoxIndexChanged);

    ui->measurementComboBox->clear();
    if (measurement == -1)
        ui->measurementComboBox->addItem(tr("Measurement"));
    ui->measurementComboBox->addItem(tr("Time"));
    ui->measurementComboBox->addItem(tr("Velocity"));
    ui->measurementComboBox->addItem(tr("Acceleration"));

    // An arrangement the connected gates cannot time shows as the one they take instead, so the
    // box, the length field and Done agree.
    if (status >= 1)
        method = OfferedMethod(measurement, method, status);
    ui->methodComboBox->clear();
    int rows = 0;
    auto addMethod = [&](const QString& text, int code) {
        ui->methodComboBox->addItem(text);
        if (rows < 4)
            m_MethodIds[rows] = code;
        ++rows;
    };
    if (method == -1)
        addMethod(tr("Method"), -1);
    for (const MethodRow& row : MethodRows(measurement, status))
        addMethod(tr(row.text), row.code);
    for (int i = rows; i < 4; ++i)
        m_MethodIds[i] = -1;
    ui->methodComboBox->setEnabled(measurement != -1);

    if (measurement >= 0 && measurement < ui->measurementComboBox->count())
        ui->measurementComboBox->setCurrentIndex(measurement);
    if (method >= 0) {
        for (int i = 0; i < rows; ++i) {
            if (m_MethodIds[i] == method) {
                ui->methodComboBox->setCurrentIndex(i);
                break;
            }
        }
    }
    ui->timingImage->hide();
    UpdateTimingParameterControls();

    connect(ui->measurementComboBox, QOverload<int>::of(&QComboBox::currentIndexChanged), this,
            &CExperimentModeDialog::OnMeasurementComboBoxIndexChanged);
    connect(ui->methodComboBox, QOverload<int>::of(&QComboBox::currentIndexChanged), this,
            &CExperimentModeDialog::OnMethodComboBoxIndexChanged);
}

void CExperimentModeDialog::afterComboChange()
{
    UpdateControls();
    UpdateTimingParameterControls();
    ui->okButton->setEnabled(measurement >= 0 && method >= 0);
}

void CExperimentModeDialog::OnMeasurementComboBoxIndexChanged(int index)
{
    if (index < 0)
        return;
    measurement = measurement == -1 ? index - 1 : index;
    method = -1;
    afterComboChange();
}

void CExperimentModeDialog::OnMethodComboBoxIndexChanged(int index)
{
    if (index < 0 || index > 3)
        return;
    method = m_MethodIds[index];
    afterComboChange();
}

void CExperimentModeDialog::UpdateTimingParameterControls()
{
    if (measurement < 0 || method < 0) {
        ui->timingImage->setPixmap(QPixmap(QString::fromLatin1(s_WizardPicture)));
        ui->timingImage->hide();
        ui->parameterLabel->hide();
        ui->unitLabel->hide();
        ui->timingParameterEdit->hide();
        return;
    }
    const QString picture = TimingPicture(measurement, method);
    if (picture.isEmpty())
        ui->timingImage->clear();
    else
        ui->timingImage->setPixmap(QPixmap(picture));
    ui->timingImage->show();

    const TimingLength::Kind length = TimingLength::Of(measurement, method);
    if (length == TimingLength::Kind::None) {
        ui->parameterLabel->hide();
        ui->unitLabel->hide();
        ui->timingParameterEdit->hide();
        return;
    }
    // The field shows, and typing changes, the very length the results are computed with.
    const bool isDistance = length == TimingLength::Kind::Distance;
    ui->parameterLabel->setText(TimingLength::Label(length));
    ui->timingParameterEdit->setText(QString::number(double(isDistance ? distance : width), 'g', 6));
    ui->unitLabel->setText(tr("cm"));
    ui->parameterLabel->show();
    ui->unitLabel->show();
    ui->timingParameterEdit->show();
}

void CExperimentModeDialog::on_timingParameterEdit_textEdited(const QString& arg1)
{
    // Only a usable length is kept; while the field holds anything else, Done names it.
    const TimingLength::Kind length = TimingLength::Of(measurement, method);
    double value = 0.0;
    if (length == TimingLength::Kind::None || !NumberField::Read(arg1, TimingLength::Range(), &value))
        return;
    (length == TimingLength::Kind::Distance ? distance : width) = float(value);
}

void CExperimentModeDialog::on_normalRunButton_clicked()
{
    m_RunMode = 0;
    UpdateModeButtons();
}

void CExperimentModeDialog::on_timingRunButton_clicked()
{
    m_RunMode = 1;
    UpdateModeButtons();
    UpdateControls();
}

bool CExperimentModeDialog::lengthAccepted()
{
    const TimingLength::Kind length = TimingLength::Of(measurement, method);
    if (length == TimingLength::Kind::None)
        return true;
    IPrompter* prompter = PrompterOrShell(m_pPrompter);
    double value = 0.0;
    if (NumberField::Read(ui->timingParameterEdit->text(), CNumberRange(), &value) && value < 0.0) {
        prompter->critical(this, MessageBoxTitle(), tr("Paramter cannot be negative."));
        return false;
    }
    if (!NumberField::Check(prompter, this, QString(), ui->timingParameterEdit, ui->parameterLabel->text(),
                            TimingLength::Range(), &value))
        return false;
    (length == TimingLength::Kind::Distance ? distance : width) = float(value);
    return true;
}

void CExperimentModeDialog::on_okButton_clicked()
{
    if (m_RunMode == 1 && !lengthAccepted())
        return;
    if (width < 0.0f || distance < 0.0f) {
        PrompterOrShell(m_pPrompter)->critical(this, MessageBoxTitle(), tr("Paramter cannot be negative."));
        return;
    }
    emit runModeAccepted(m_RunMode);
    if (status >= 1)
        method = OfferedMethod(measurement, method, status);
    finish(true);
    accept();
}

void CExperimentModeDialog::on_cancelButton_clicked()
{
    reject();
}

void CExperimentModeDialog::reject()
{
    finish(false);
    QDialog::reject();
}

void CExperimentModeDialog::closeEvent(QCloseEvent* event)
{
    finish(false);
    QDialog::closeEvent(event);
}

void CExperimentModeDialog::finish(bool accepted)
{
    if (m_bFinished)
        return;
    m_bFinished = true;
    emit experimentModeClosed(accepted);
}
