#pragma once
// The cells of a full-setup row: the vertical frame several columns stand on, and the simple
// columns (sensor icon, port badge, colour, plot style). Each column knows only its channel
// (and the measurement it edits) and reports every user edit as a signal carrying the value,
// then the channel, then the measurement.
#include <QColor>
#include <QComboBox>
#include <QHBoxLayout>
#include <QPushButton>
#include <QWidget>

class IPrompter;
class QLabel;
class QPainter;
class QVBoxLayout;

class Ui_VerticalLayoutWidget
{
public:
    QVBoxLayout* verticalLayout_2 = nullptr;
    void setupUi(QWidget* form);
    void retranslateUi(QWidget* form);
};

class VerticalLayoutWidget : public QWidget
{
    Q_OBJECT
public:
    explicit VerticalLayoutWidget(QWidget* parent = nullptr);
    ~VerticalLayoutWidget() override;

    void addWidget(QWidget* widget);
    void setAlignment(Qt::Alignment alignment);

private:
    Ui_VerticalLayoutWidget* ui;
};

class FullSetupIconColumn : public VerticalLayoutWidget
{
    Q_OBJECT
public:
    FullSetupIconColumn(int channel, QWidget* parent = nullptr);
    void setPixmap(const QPixmap& pixmap);
    QLabel* iconLabel() const { return m_pLabel; }

private:
    int m_Channel;
    QLabel* m_pLabel;
};

class FullSetupPortColumn : public VerticalLayoutWidget
{
    Q_OBJECT
public:
    FullSetupPortColumn(int channel, QWidget* parent = nullptr);
    // The numbered badge of a channel, centred in a column of this width.
    static void paintBadge(QPainter* painter, int width, int channel);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    int m_Channel;
};

class FullSetupColorSelection : public QWidget
{
    Q_OBJECT
public:
    FullSetupColorSelection(int channel, QWidget* parent = nullptr);
    void init();
    // Its questions go to the prompter of the window that made it (the shell's until then).
    void setPrompter(IPrompter* prompter) { m_pPrompter = prompter; }

    QColor color() const { return m_Color; }
    void setDisabled(bool disabled);
    void setMeasurementIndex(int index) { m_MeasurementIndex = index; }
    int measurementIndex() const { return m_MeasurementIndex; }
    QPushButton* button() { return &m_Button; }

signals:
    void colorModified(QColor color, int index, int measurementIndex);

public slots:
    void buttonClicked();
    void setColor(const QColor& color);

private:
    void styleButton();

    QPushButton m_Button;
    IPrompter* m_pPrompter = nullptr;
    QHBoxLayout m_Layout;
    QColor m_Color = Qt::black;
    int m_Channel;
    int m_MeasurementIndex = 0;
};

class FullSetupPenStyleColumn : public QWidget
{
    Q_OBJECT
public:
    FullSetupPenStyleColumn(int channel, QWidget* parent = nullptr);
    void init();
    void setPlotStyle(int style);
    int plotStyle() const { return m_PlotStyle; }
    void setDisabled(bool disabled);
    void setMeasurementIndex(int index) { m_MeasurementIndex = index; }
    QComboBox* combo() const { return m_pCombo; }

    // The icon of each plot-style code, in code order.
    static QStringList styleIconPaths();

signals:
    void PenStyleModified(int style, int index, int measurement);

public slots:
    void comboModified(int index);

private:
    QVBoxLayout* m_pLayout;
    QComboBox* m_pCombo;
    int m_Channel;
    int m_MeasurementIndex = 0;
    int m_PlotStyle = 0;
};
