#pragma once
// The base of every child window in the document area: the common icon and empty system menu,
// snapping to a 20-pixel grid, the unsaved-changes notice and the window record (title and
// geometry) that every stored window record begins with.
#include <QList>
#include <QMdiSubWindow>

class QDataStream;
class IChildWindowHost;

class CKorvantaWindow : public QMdiSubWindow
{
    Q_OBJECT
public:
    // Tags of the window record in the workspace file.
    enum RecordTag : qint16 {
        TagTitle = 1100,
        TagX = 1101,
        TagY = 1102,
        TagWidth = 1103,
        TagHeight = 1104,
        TagStart = 1113,
        TagEnd = 1114,
        // Written only for a window kept minimised or maximised; the geometry fields then hold
        // the window's normal place and size, not its icon's.
        TagState = 1116,
    };
    static constexpr int s_GridStep = 20;
    // A stored or snapped size never goes below this, nor a stored one above the maximum; a
    // stored position is kept within the same bound.
    static constexpr int s_MinWindowSize = 40;
    static constexpr int s_MaxWindowExtent = 16000;

    CKorvantaWindow(QWidget* parent, Qt::WindowFlags flags);

    virtual void initWindow();
    virtual int GetTitleBarHeight();
    virtual int saveToFile(QDataStream* stream);
    virtual int loadFromFile(QDataStream* stream);
    // The data-branch key of each plot the window shows, in plot order (the upload of the
    // current graph reads them); empties the list. Windows without plots leave it empty.
    virtual void GetPlotKeys(QList<int>* keys);

    void notifyHasNewDataToSave();

    // The minimised or maximised state the window record asked for, applied once the window
    // has been shown in its stored place; a window without one stays as it is.
    void ApplyStoredState();
    Qt::WindowStates StoredState() const { return m_StoredState; }
    // Where and how large the window is when neither minimised nor maximised.
    QRect NormalGeometry() const;

    // The grid arithmetic, shared with the tests.
    static int SnapSize(int requested, int current);
    static int SnapPosition(int coordinate);

protected:
    void moveEvent(QMoveEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

    IChildWindowHost* m_pHost = nullptr;

private:
    bool alignOn() const;
    void noteNormalGeometry();

    QRect m_NormalGeometry;
    Qt::WindowStates m_StoredState = Qt::WindowNoState;
};
