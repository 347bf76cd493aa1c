#pragma once
// The graph's two cursors without the window: the plot and sample each stands on and the value
// read there, where each was drawn last and what its read-out said, the distance in samples
// cursor 2 keeps from cursor 1, and which one a drag moves. Cursor 2 stands on cursor 1's plot.
// The graph window owns one and draws what it holds.
#include <QPoint>
#include <QString>

class CDataBranch;
class CGraphX;

class CGraphCursors
{
public:
    struct CCursor
    {
        int m_Plot = -1;   // the plot it stands on; -1: off
        int m_Sample = -1;
        float m_X = 0.0f;   // the stored X and Y values at its sample
        float m_Y = 0.0f;
        QPoint m_Point;   // where the last paint drew it
        QString m_Text;   // and the read-out it showed there
    };
    const CCursor& First() const { return m_First; }
    const CCursor& Second() const { return m_Second; }
    const CCursor& Cursor(int which) const { return which == 2 ? m_Second : m_First; }
    int SampleDelta() const { return m_SampleDelta; }
    // The cursor a drag moves: 1 or 2, 0 for none.
    int Dragged() const { return m_Dragged; }
    // The area between the cursors as the last paint read it out (empty: none shown).
    const QString& AreaText() const { return m_AreaText; }

    // Both off, their samples and distance forgotten; or only off their plots, the samples kept
    // for the distance cursor 2 comes back at.
    void Off();
    void DropPlots();
    // Cursor 1 off (cursor 2 then keeps no distance); cursor 2 off.
    void FirstOff();
    void SecondOff();
    // The plots or the axis changed under them: cursor 1 goes, and cursor 2 unless keepSecond.
    void Detach(bool keepSecond);
    // A cursor onto a plot's sample, reading (x, y) there.
    void Place(int which, int plot, int sample, float x, float y);
    // Cursor 2's sample on an XY graph of points samples: cursor 1's plus the distance kept
    // from before while that lands inside the data, else half-way from cursor 1 to the last
    // sample (from the last sample, half-way back to the first).
    static int Cursor2Sample(int cursor1, int cursor2, int delta, int points);
    // Cursor 2 onto cursor 1's plot, whose series is branch: on an XY graph (Cursor2Sample)
    // among the samples that stand on an X value; on a time graph at
    // the distance kept from before while that stays inside the visible data, else half-way
    // from cursor 1 to the end of the visible data. Without cursor 1 or samples it goes off.
    void PlaceSecond(const CDataBranch* branch, const CGraphX& x, bool xyGraph);

    // Which cursor's handle (ten pixels square about where it was drawn) holds p: cursor 2 over
    // cursor 1, 0 for neither; a drag of that one starts, and ends.
    int HandleAt(const QPoint& p) const;
    void StartDrag(int which) { m_Dragged = which == 1 || which == 2 ? which : 0; }
    void EndDrag() { m_Dragged = 0; }
    // The cursor a drag moves onto another sample of its plot; the distance follows while
    // cursor 2 is on.
    void MoveTo(int which, int sample, float x, float y);

    // What a paint drew: the cursor's pixel, its read-out, the area's.
    void DrawnAt(int which, const QPoint& point) { edit(which).m_Point = point; }
    void SetText(int which, const QString& text) { edit(which).m_Text = text; }
    void SetAreaText(const QString& text) { m_AreaText = text; }
    // Cursor 2's read-out differences from cursor 1: in X values on an XY graph, in positions
    // (the samples between them) on a time graph; and in stored Y values.
    double DeltaX(bool xyGraph) const;
    float DeltaY() const { return m_Second.m_Y - m_First.m_Y; }

    // State as a record, a script or a test sets it, one value at a time.
    void SetPlot(int which, int plot) { edit(which).m_Plot = plot; }
    void SetSample(int which, int sample) { edit(which).m_Sample = sample; }
    void SetX(int which, float x) { edit(which).m_X = x; }
    void SetY(int which, float y) { edit(which).m_Y = y; }
    void SetSampleDelta(int delta) { m_SampleDelta = delta; }

private:
    CCursor& edit(int which) { return which == 2 ? m_Second : m_First; }

    CCursor m_First;
    CCursor m_Second;
    int m_SampleDelta = 0;
    int m_Dragged = 0;
    QString m_AreaText;
};
