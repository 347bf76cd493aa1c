#pragma once
// The "Graph Properties" dialog: per plot automatic scaling, range, colour, unit prefix and
// line style, edited on copies of the graph's plots that reach the graph only on OK.
#include "graph/GraphPlot.h"

#include <QColor>
#include <QDialog>
#include <QList>

class CGraphWindow;
class IPrompter;
namespace Ui {
class CGraphProperties;
}

class CGraphProperties : public QDialog
{
    Q_OBJECT
public:
    explicit CGraphProperties(QWidget* parent = nullptr);
    ~CGraphProperties() override;

    void Init(CGraphWindow* graph);
    void SetFields(int index);
    // The colour chooser goes through this prompter (the shell's when none is set).
    void SetPrompter(IPrompter* prompter) { m_pPrompter = prompter; }

    // The plot copies as edited so far.
    const QList<CGraphPlot>& Plots() const { return m_Plots; }
    int CurrentIndex() const { return m_CurrentIndex; }

public slots:
    void on_plotsComboBox_currentIndexChanged(int index);
    void on_autoScaleCheckBox_clicked(bool checked);
    void on_colorButton_clicked();
    void on_unitComboBox_currentIndexChanged(int index);
    void on_buttonBox_accepted();

private:
    void storeFields();
    // False, with the field named to the user, while a range field of a plot that does not
    // scale itself holds no number.
    bool rangeFieldsAccepted();
    void showColor();

    Ui::CGraphProperties* ui = nullptr;
    CGraphWindow* m_pGraph = nullptr;
    QList<CGraphPlot> m_Plots;
    int m_CurrentIndex = 0;
    bool m_bFilling = false;
    QColor m_Color;
    int m_UnitPrefix = 0;
    IPrompter* m_pPrompter = nullptr;
};
