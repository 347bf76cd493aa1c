#include "graph/GraphPlot.h"
#include "Core/Data/RecordIO.h"

#include <QDataStream>

#include <algorithm>
#include <cmath>

namespace {

// Colour parts and styles come from files; anything outside their ranges is brought inside.
int ClampColorPart(qint32 v)
{
    return std::clamp<qint32>(v, 0, 255);
}

float ClampRange(double v, float fallback)
{
    if (!std::isfinite(v))
        return fallback;
    return float(std::clamp<double>(v, -CGraphPlot::MaxRange, CGraphPlot::MaxRange));
}

double ClampFinite(double v, double fallback, double limit)
{
    return std::isfinite(v) ? std::clamp(v, -limit, limit) : fallback;
}

// Reads 16-bit tags until the end of the stream, a failed read, or a tag for which field
// answers false (the record's end). Tags field does not know it passes over, reading nothing.
// 0 when the end tag was met, -4 otherwise.
template <typename Field>
int ReadTagged(QDataStream& in, Field field)
{
    while (!in.atEnd() && in.status() == QDataStream::Ok) {
        qint16 tag = 0;
        in >> tag;
        if (in.status() != QDataStream::Ok)
            break;
        if (!field(tag))
            return in.status() == QDataStream::Ok ? 0 : -4;
    }
    return -4;
}

} // namespace

void CGraphTextAnnotation::saveToFile(QDataStream* stream) const
{
    QDataStream& out = *stream;
    out << qint32(TagText) << m_Text;
    out << qint32(TagSample) << qint32(m_Sample);
    out << qint32(TagAngle) << m_Angle;
    out << qint32(TagLength) << m_Length;
    out << qint32(TagEnd);
}

int CGraphTextAnnotation::loadFromFile(QDataStream* stream)
{
    QDataStream& in = *stream;
    // Tags are read 16 bits at a time: the upper half of a 32-bit tag reads as 0 and is
    // passed over like any tag this reader does not know.
    return ReadTagged(in, [&](qint16 tag) {
        qint32 i = 0;
        double d = 0;
        switch (tag) {
        case TagText: RecordIO::ReadField(in, m_Text); break;
        case TagSample:
            if (RecordIO::ReadField(in, i))
                m_Sample = std::max<qint32>(i, 0);
            break;
        case TagAngle:
            if (RecordIO::ReadField(in, d))
                m_Angle = ClampFinite(d, 45.0, 1.0e6);
            break;
        case TagLength:
            if (RecordIO::ReadField(in, d))
                m_Length = ClampFinite(d, 60.0, 10000.0);
            break;
        case TagEnd: return false;
        default: break;
        }
        return in.status() == QDataStream::Ok;
    });
}

void CGraphPlot::init()
{
    m_Key = -1;
    m_Name.clear();
    m_Unit.clear();
    m_bAutoScale = true;
    m_Min = 0.0f;
    m_Max = 10.0f;
    m_bLogScale = false;
    m_UnitPrefix = 0;
    m_DataUnitPrefix = 0;
    m_Decimals = 2;
    m_bScientific = false;
    m_Color = QColor(Qt::gray);
    m_Style = StyleLine;
    m_PenWidth = 0;
    m_bVisible = true;
    m_TextColor = QColor(0, 0, 0, 255);
    m_Reserved = 0;
    m_bSelected = false;
    m_RateCode = 7;
    m_bPrefixesRead = false;
}

CGraphTextAnnotation CGraphPlot::GetAnnoation(int index) const
{
    if (index < 0 || index >= m_Annotations.size()) {
        CGraphTextAnnotation none;
        none.m_Text.clear();
        return none;
    }
    return m_Annotations.at(index);
}

void CGraphPlot::RemoveAnnotation(int index)
{
    if (index >= 0 && index < m_Annotations.size())
        m_Annotations.removeAt(index);
}

void CGraphPlot::saveToFile(QDataStream* stream) const
{
    QDataStream& out = *stream;
    out << qint16(TagStart);
    out << qint16(TagName) << m_Name;
    out << qint16(TagUnit) << m_Unit;
    out << qint16(TagKey) << qint32(m_Key);
    out << qint16(TagAutoScale) << m_bAutoScale;
    out << qint16(TagMin) << m_Min;
    out << qint16(TagMax) << m_Max;
    out << qint16(TagColor) << qint32(m_Color.red()) << qint32(m_Color.green()) << qint32(m_Color.blue());
    out << qint16(TagStyle) << qint32(m_Style);
    // The prefixes of the values stored and shown, without which "Pa" over kPa values would be
    // read back. Two 16-bit words of 0 to 3: a reader that does not know the tag passes over
    // it and over them as over tags of its own. Written only where a prefix is set.
    if (m_UnitPrefix != 0 || m_DataUnitPrefix != 0)
        out << qint16(TagPrefixes) << qint16(m_UnitPrefix) << qint16(m_DataUnitPrefix);
    for (const CGraphTextAnnotation& a : m_Annotations) {
        out << qint32(TagAnnotation);
        a.saveToFile(stream);
    }
    out << qint16(TagEnd);
}

int CGraphPlot::loadFromFile(QDataStream* stream)
{
    QDataStream& in = *stream;
    return ReadTagged(in, [&](qint16 tag) {
        qint32 i = 0;
        double d = 0;
        switch (tag) {
        case TagEnd: return false;
        case TagName: RecordIO::ReadField(in, m_Name); break;
        case TagUnit: RecordIO::ReadField(in, m_Unit); break;
        case TagKey:
            if (RecordIO::ReadField(in, i))
                m_Key = i < -1 ? -1 : i;
            break;
        case TagAutoScale: RecordIO::ReadField(in, m_bAutoScale); break;
        // The range is read at the stream's precision as a double, so a value beyond float
        // is seen.
        case TagMin:
            if (RecordIO::ReadField(in, d))
                m_Min = ClampRange(d, 0.0f);
            break;
        case TagMax:
            if (RecordIO::ReadField(in, d))
                m_Max = ClampRange(d, 10.0f);
            break;
        case TagColor: {
            qint32 r = 0, g = 0, b = 0;
            in >> r >> g >> b;
            if (in.status() == QDataStream::Ok)
                m_Color = QColor(ClampColorPart(r), ClampColorPart(g), ClampColorPart(b), 255);
            break;
        }
        case TagStyle:
            if (RecordIO::ReadField(in, i))
                m_Style = (i >= StyleLine && i <= StyleDots) ? i : StyleLine;
            break;
        case TagPrefixes: {
            qint16 shown = 0, stored = 0;
            in >> shown >> stored;
            const auto known = [](qint16 code) { return code >= 0 && code <= 3; };
            if (in.status() == QDataStream::Ok && known(shown) && known(stored)) {
                m_UnitPrefix = shown;
                m_DataUnitPrefix = stored;
                m_bPrefixesRead = true;
            }
            break;
        }
        case TagAnnotation: {
            CGraphTextAnnotation a;
            a.m_Text.clear();
            if (a.loadFromFile(stream) == 0)
                m_Annotations.append(a);
            break;
        }
        default: break;
        }
        return in.status() == QDataStream::Ok;
    });
}
