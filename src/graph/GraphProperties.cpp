#include "graph/GraphProperties.h"
#include "windowbase/DialogKeys.h"
#include "windowbase/DeferredIcon.h"

#include "windowbase/NumberField.h"
#include "windowbase/Prompter.h"
#include "Core/Data/Globals.h"
#include "graph/GraphWindow.h"
#include "ui_GraphProperties.h"

#include <QSignalBlocker>

#include <cmath>

namespace {
const CNumberRange s_RangeField{-double(CGraphPlot::MaxRange), double(CGraphPlot::MaxRange), false};

// How many of the shown unit make one of the stored: the range fields speak the unit the scale
// names (Pa chosen over kPa data), the plot keeps its range in the stored one.
double ShownPerStored(const CGraphPlot& plot, int shownPrefix)
{
    const double m = GetMultiplier(short(plot.m_DataUnitPrefix), short(shownPrefix));
    return std::isfinite(m) && m > 0.0 ? m : 1.0;
}
}

CGraphProperties::CGraphProperties(QWidget* parent) : QDialog(parent), ui(new Ui::CGraphProperties)
{
    // The slots follow the form's object names and are connected by name here.
    ui->setupUi(this);
    // OK closes the dialog only once the range fields were read: on_buttonBox_accepted does.
    disconnect(ui->buttonBox, SIGNAL(accepted()), this, SLOT(accept()));
    NumberField::Restrict(ui->minEdit);
    NumberField::Restrict(ui->maxEdit);
    DialogKeys::AcceptOnReturn(this, ui->buttonBox->button(QDialogButtonBox::Ok));
}

CGraphProperties::~CGraphProperties()
{
    delete ui;
}

void CGraphProperties::Init(CGraphWindow* graph)
{
    m_pGraph = graph;
    m_CurrentIndex = 0;
    m_bFilling = true;
    m_Plots.clear();
    ui->plotsComboBox->clear();
    const int count = graph ? graph->GetNumPlots() : 0;
    for (int i = 0; i < count; ++i) {
        CGraphPlot plot = graph->GetPlot(i);
        // The plot an XY graph's X axis is drawn from is edited as that axis: its range and
        // autoscale are the axis's.
        const CGraphX& x = graph->X();
        if (graph->GraphType() == CGraphWindow::XYGraph && i == x.PlotIndex() && plot.m_Key == x.PlotKey()) {
            plot.m_bAutoScale = x.AutoScale();
            plot.m_Min = x.Min();
            plot.m_Max = x.Max();
        }
        m_Plots.append(plot);
        QString text = plot.m_Name;
        if (!plot.m_Unit.isEmpty())
            text += QStringLiteral(" (") + GetUnitPrefix(short(plot.m_UnitPrefix)) + plot.m_Unit + QLatin1Char(')');
        ui->plotsComboBox->addItem(text);
    }
    m_bFilling = false;
    ui->unitComboBox->clear();
    ui->unitComboBox->addItems({tr("none"), tr("k"), tr("m"), tr("micro")});
    ui->plotStyleComboBox->clear();
    for (const char* icon : {":/images/line_styles_line.png", ":/images/line_styles_dashed-line.png",
                             ":/images/line_styles_line-dots.png", ":/images/line_styles_dots.png"})
        ui->plotStyleComboBox->addItem(KorvantaIcons::Deferred(QString::fromLatin1(icon)), QString());
    ui->plotStyleComboBox->setIconSize(QSize(50, 20));
    ui->plotsComboBox->setCurrentIndex(0);
    SetFields(0);
}

void CGraphProperties::SetFields(int index)
{
    // A graph without plots leaves the controls empty and nothing to edit.
    const bool any = index >= 0 && index < m_Plots.size();
    for (QWidget* w : {static_cast<QWidget*>(ui->autoScaleCheckBox), static_cast<QWidget*>(ui->colorButton),
                       static_cast<QWidget*>(ui->unitComboBox), static_cast<QWidget*>(ui->plotStyleComboBox)})
        w->setEnabled(any);
    if (!any) {
        ui->minEdit->clear();
        ui->maxEdit->clear();
        ui->minEdit->setEnabled(false);
        ui->maxEdit->setEnabled(false);
        return;
    }
    const CGraphPlot& plot = m_Plots.at(index);
    ui->autoScaleCheckBox->setChecked(plot.m_bAutoScale);
    // Shown to the float precision the range is kept in: 94.551 kPa reads 94551 Pa, not the
    // 94551.003 its float would give at double precision.
    const double shown = ShownPerStored(plot, plot.m_UnitPrefix);
    ui->minEdit->setText(Double2String(double(float(double(plot.m_Min) * shown)), 3, false, false));
    ui->maxEdit->setText(Double2String(double(float(double(plot.m_Max) * shown)), 3, false, false));
    ui->minEdit->setEnabled(!plot.m_bAutoScale);
    ui->maxEdit->setEnabled(!plot.m_bAutoScale);
    m_Color = plot.m_Color;
    showColor();
    m_UnitPrefix = plot.m_UnitPrefix;
    if (plot.m_UnitPrefix >= 0 && plot.m_UnitPrefix <= 3)
        ui->unitComboBox->setCurrentIndex(plot.m_UnitPrefix);
    if (plot.m_Style >= 0 && plot.m_Style < ui->plotStyleComboBox->count())
        ui->plotStyleComboBox->setCurrentIndex(plot.m_Style);
}

void CGraphProperties::showColor()
{
    ui->colorButton->setStyleSheet(QStringLiteral("background-color: %1").arg(m_Color.name()));
}

void CGraphProperties::storeFields()
{
    if (m_CurrentIndex < 0 || m_CurrentIndex >= m_Plots.size())
        return;
    CGraphPlot& plot = m_Plots[m_CurrentIndex];
    plot.m_bAutoScale = ui->autoScaleCheckBox->isChecked();
    // The fields of a plot that scales itself are not checked: what is no number there gives
    // 0, a number beyond the float range is kept inside it. They are read in the unit chosen.
    const double shown = ShownPerStored(plot, m_UnitPrefix);
    const auto number = [shown](const QLineEdit* edit) {
        double v = 0.0;
        return NumberField::Read(edit->text(), CNumberRange(), &v)
                   ? float(qBound(s_RangeField.minimum, v / shown, s_RangeField.maximum))
                   : 0.0f;
    };
    plot.m_Min = number(ui->minEdit);
    plot.m_Max = number(ui->maxEdit);
    plot.m_Color = m_Color;
    plot.m_UnitPrefix = m_UnitPrefix;
    plot.m_Style = qMax(0, ui->plotStyleComboBox->currentIndex());
}

bool CGraphProperties::rangeFieldsAccepted()
{
    if (m_CurrentIndex < 0 || m_CurrentIndex >= m_Plots.size() || ui->autoScaleCheckBox->isChecked())
        return true;
    IPrompter* prompter = m_pPrompter ? m_pPrompter : ShellPrompter();
    double min = 0.0, max = 0.0;
    const auto check = [&](QLineEdit* edit, const QLabel* label, double* value) {
        return NumberField::Check(prompter, this, windowTitle(), edit, label->text(), s_RangeField, value);
    };
    if (!check(ui->minEdit, ui->minLabel, &min) || !check(ui->maxEdit, ui->maxLabel, &max))
        return false;
    // A range without length, or upside down, would leave the curve nowhere to be drawn.
    if (float(min) < float(max))
        return true;
    if (prompter)
        prompter->critical(this, windowTitle(),
                           tr("%1 must be less than %2.").arg(ui->minLabel->text(), ui->maxLabel->text()));
    ui->minEdit->setFocus();
    ui->minEdit->selectAll();
    return false;
}

void CGraphProperties::on_plotsComboBox_currentIndexChanged(int index)
{
    if (m_bFilling || m_Plots.isEmpty() || index < 0 || index >= m_Plots.size())
        return;
    // The plot shown keeps the choice until its range fields hold numbers.
    if (!rangeFieldsAccepted()) {
        const QSignalBlocker blocker(ui->plotsComboBox);
        ui->plotsComboBox->setCurrentIndex(m_CurrentIndex);
        return;
    }
    storeFields();
    SetFields(index);
    m_CurrentIndex = index;
}

void CGraphProperties::on_autoScaleCheckBox_clicked(bool checked)
{
    ui->minEdit->setEnabled(!checked);
    ui->maxEdit->setEnabled(!checked);
}

void CGraphProperties::on_colorButton_clicked()
{
    IPrompter* prompter = m_pPrompter ? m_pPrompter : ShellPrompter();
    const QColor chosen = prompter->getColor(nullptr, m_Color);
    if (!chosen.isValid())
        return;
    m_Color = chosen;
    showColor();
}

void CGraphProperties::on_unitComboBox_currentIndexChanged(int index)
{
    if (index < 0 || index > 3)
        return;
    // The range fields speak the unit chosen: the range already in them stays the same range,
    // written in the new unit, with the decimals a smaller number needs.
    const double factor = GetMultiplier(short(m_UnitPrefix), short(index));
    if (index != m_UnitPrefix && std::isfinite(factor) && factor > 0.0) {
        const int extra = factor < 1.0 ? int(std::lround(-std::log10(factor))) : 0;
        for (QLineEdit* edit : {ui->minEdit, ui->maxEdit}) {
            double v = 0.0;
            if (NumberField::Read(edit->text(), CNumberRange(), &v))
                edit->setText(Double2String(v * factor, 3 + extra, false, false));
        }
    }
    m_UnitPrefix = index;
}

void CGraphProperties::on_buttonBox_accepted()
{
    if (!rangeFieldsAccepted())
        return;
    storeFields();
    if (m_pGraph) {
        // The graph's plot count is taken again: only plots both sides know are written back.
        const int count = qMin(m_pGraph->GetNumPlots(), m_Plots.size());
        for (int i = 0; i < count; ++i)
            m_pGraph->UpdatePlot(m_Plots.at(i), i);
        m_pGraph->RepaintGraph(CGraphWindow::RepaintFull);
    }
    accept();
}
