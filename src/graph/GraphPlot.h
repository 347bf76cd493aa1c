#pragma once
// One curve of a graph window and the texts attached to its samples: plain values that the
// window hands out as copies and takes back whole, with their workspace records.
#include <QColor>
#include <QList>
#include <QRect>
#include <QString>
#include <QVector>

class QDataStream;

class CGraphTextAnnotation
{
public:
    enum Tag : qint32 { TagText = 1421, TagSample = 1422, TagAngle = 1423, TagLength = 1424, TagEnd = 1429 };

    int m_Sample = 0;
    QString m_Text;
    double m_Angle = 45.0;
    double m_Length = 60.0;
    QRect m_TextRect;   // where the text was drawn last; null until drawn, never stored
    double m_StartAngle = 0.0;
    double m_StartLength = 0.0;

    void saveToFile(QDataStream* stream) const;
    // 0 when read up to its end tag, -4 when the stream ended or failed first; fields the
    // stream did not deliver whole keep their values.
    int loadFromFile(QDataStream* stream);
};

class CGraphPlot
{
public:
    enum Tag : qint16 {
        TagStart = 1400, TagName = 1401, TagUnit = 1402, TagKey = 1403, TagColor = 1404,
        TagAutoScale = 1405, TagMin = 1406, TagMax = 1407, TagStyle = 1412, TagPrefixes = 1413,
        TagAnnotation = 1420, TagEnd = 1440
    };
    // Line styles.
    enum Style { StyleLine = 0, StyleDashed = 1, StyleLineDots = 2, StyleDots = 3 };
    // A stored range beyond this is treated as damaged; it keeps curves and scales finite.
    static constexpr float MaxRange = 1.0e30f;

    CGraphPlot() { init(); }
    // Every field back to its default; the annotations stay.
    void init();

    void AddAnnotation(const CGraphTextAnnotation& annotation) { m_Annotations.append(annotation); }
    int GetNumAnnotations() const { return m_Annotations.size(); }
    CGraphTextAnnotation GetAnnoation(int index) const;
    void RemoveAnnotation(int index);

    void saveToFile(QDataStream* stream) const;
    // Reads after the start tag, which the caller has consumed. 0 when read up to its end tag,
    // -4 when the stream ended or failed first; fields the stream did not deliver whole keep
    // their values. An annotation is added only when its record was read whole.
    int loadFromFile(QDataStream* stream);
    // Whether the record read held the unit prefixes (records of older writers do not; the
    // window then takes them from the plot's series).
    bool m_bPrefixesRead = false;

    int m_Key;
    QString m_Name;
    QString m_Unit;
    bool m_bAutoScale;
    float m_Min;
    float m_Max;
    bool m_bLogScale;
    int m_UnitPrefix;
    int m_DataUnitPrefix;
    int m_Decimals;
    bool m_bScientific;
    QColor m_Color;
    int m_Style;
    int m_PenWidth;
    bool m_bVisible;
    QColor m_TextColor;
    int m_Reserved;
    bool m_bSelected;
    int m_RateCode;
    QList<CGraphTextAnnotation> m_Annotations;
    float m_DragStartMax = 10.0f;
};

// A user-drawn prediction curve: a plot head for its range and colour, and its points.
class CPredictPlot
{
public:
    CGraphPlot m_Plot;
    QVector<float> m_X;
    QVector<float> m_Y;
};

// One bar of a timing-results bar graph as last drawn, for the data tooltip.
struct CBarData
{
    QRect m_Rect;
    double m_Value = 0.0;
};
