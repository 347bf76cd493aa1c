#include "graph/CurveLayer.h"

#include <QMutex>
#include <QPainter>
#include <QRunnable>
#include <QThreadPool>

#include <cstring>

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <mutex>
#include <vector>

namespace {

// How far beyond its end points a segment's stroke (two pixels wide, square caps, smoothed) and
// a dot's outline can reach, with a pixel to spare.
constexpr int LineReach = 4;
constexpr int DotReach = 6;
// Strips narrower than this cost more in painter set-up than they share out.
constexpr int MinStripWidth = 48;
// A strip this wide over a plot area of common height fits the processor's second-level cache.
constexpr int CachedStripWidth = 128;

bool Is32Bit(QImage::Format f)
{
    return f == QImage::Format_RGB32 || f == QImage::Format_ARGB32 || f == QImage::Format_ARGB32_Premultiplied;
}

QRect ColumnRect(const QLine& c)
{
    return QRect(c.x1() - 1, std::min(c.y1(), c.y2()) - 1, 2, std::abs(c.y2() - c.y1()) + 2);
}

// The pixels of a 32-bit image or of a strip of one, written while a painter is open on it
// (the image itself must not be touched then: asking it for its bits could copy it).
struct CPixels
{
    uchar* bits;
    qsizetype bytesPerLine;
    long long width, height;
};

void FillColumns(const CPixels& px, QPoint origin, QRgb value, const QVector<QLine>& columns)
{
    for (const QLine& c : columns) {
        const long long left = (long long)c.x1() - 1 - origin.x();
        const long long top = (long long)std::min(c.y1(), c.y2()) - 1 - origin.y();
        const long long bottom = (long long)std::max(c.y1(), c.y2()) - origin.y();
        const int x0 = int(std::max(left, 0LL)), x1 = int(std::min(left + 1, px.width - 1));
        const int y0 = int(std::max(top, 0LL)), y1 = int(std::min(bottom, px.height - 1));
        for (int y = y0; y <= y1; ++y) {
            QRgb* row = reinterpret_cast<QRgb*>(px.bits + qsizetype(y) * px.bytesPerLine);
            for (int x = x0; x <= x1; ++x)
                row[x] = value;
        }
    }
}

// One curve into one strip: the painter is translated so that it draws in the curves'
// coordinates; left and right are the strip's first and last pixel column in them.
void PaintInStrip(QPainter& p, const CPixels& strip, QPoint stripOrigin, const CCurveInk& ink)
{
    const int left = stripOrigin.x(), right = left + int(strip.width) - 1;
    const CPlotStrokes& strokes = *ink.m_pStrokes;
    QVector<QLine> columns;
    for (const QLine& c : strokes.m_Columns)
        if (c.x1() >= left && c.x1() - 1 <= right)
            columns.append(c);
    if (ink.m_Color.alpha() == 255) {
        FillColumns(strip, stripOrigin, ink.m_Color.rgba(), columns);
    } else if (!columns.isEmpty()) {
        // A see-through colour blends: the painter does that.
        QVector<QRect> rects;
        rects.reserve(columns.size());
        for (const QLine& c : columns)
            rects.append(ColumnRect(c));
        p.setRenderHint(QPainter::Antialiasing, false);
        p.setPen(Qt::NoPen);
        p.setBrush(QBrush(ink.m_Color, Qt::SolidPattern));
        p.drawRects(rects);
    }
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(ink.m_Color, 2, Qt::SolidLine));
    p.setRenderHint(QPainter::Antialiasing, true);
    // With a solid pen of whole-pixel lines the painter smooths each line on its own, so a
    // strip takes just the lines that reach it.
    for (const QLine& l : ink.m_Visible)
        if (std::max(l.x1(), l.x2()) >= left - LineReach && std::min(l.x1(), l.x2()) <= right + LineReach)
            p.drawLine(l);
    if (strokes.m_Dots.isEmpty())
        return;
    p.setPen(QPen(ink.m_Color, 1, Qt::SolidLine));
    p.setBrush(QBrush(ink.m_Color, Qt::SolidPattern));
    for (const QPoint& d : strokes.m_Dots)
        if (d.x() >= left - DotReach && d.x() <= right + DotReach)
            p.drawEllipse(QRect(QPoint(d.x() - 3, d.y() - 3), QPoint(d.x() + 2, d.y() + 2)));
    p.setBrush(Qt::NoBrush);
}

// The threads that help a paint's thread, started once and kept: starting threads on every
// paint cost more than a small curve's share. The pool is the graph's own, so that work on the
// application's global pool (statistics, say) never holds up a paint, nor a paint that work.
// With the caller's thread it makes one thread per usable processor; it follows the processors
// the process may run on, which can change while it runs. Returns the pool's size.
int CurvePoolSize(QThreadPool*& pool)
{
    // Never destroyed: its idle threads wait until the process ends. Destroying it among the
    // static objects at exit would leave its threads still ending while the exit handlers run
    // (a leak check's stop of every thread then met threads half gone).
    static QThreadPool& curves = *new QThreadPool;
    static std::mutex sizing;
    static int size = 0;   // under sizing
    const int want = std::max(CurveThreads() - 1, 1);
    std::lock_guard<std::mutex> lock(sizing);
    if (size == 0) {
        curves.setObjectName(QStringLiteral("graph curves"));
        // Kept for the program's life: a graph left alone for a while paints without
        // starting threads again.
        curves.setExpiryTimeout(-1);
    }
    if (size != want)
        curves.setMaxThreadCount(want);
    size = want;
    pool = &curves;
    return want;
}

QThreadPool& CurvePool()
{
    QThreadPool* pool = nullptr;
    CurvePoolSize(pool);
    return *pool;
}

// Work is queued on the pool under this lock, which the pool thread that takes it up locks
// first: what the queuing thread set up (the work itself, its own locks) is then ordered
// before the work by a lock the race checker sees; the pool's own queue lock orders it as
// well, but inside Qt, out of its sight. It outlives all work: a pool thread's first step
// must not be on memory the queuing thread just made.
std::mutex& HandOver()
{
    static std::mutex handOver;
    return handOver;
}

// The indices of one ParallelFor, handed out to whoever asks next: the caller and the helpers
// it queued on the pool (this one runnable, queued once per helper). The pool may be busy with
// other calls' helpers, or with the very call that asked (a nested call), so the caller never
// waits for a helper to start: it works through the indices itself, takes back the helpers
// still queued and waits only for those under way, each of which ends with its index.
class CIndexShare final : public QRunnable
{
public:
    CIndexShare(int count, const std::function<void(int)>& fn) : m_Count(count), m_Fn(fn) { setAutoDelete(false); }

    // The helpers are queued under the hand-over lock, each of them takes it first.
    void queueHelpers(QThreadPool& pool, int helpers)
    {
        std::lock_guard<std::mutex> lock(HandOver());
        m_Pending = helpers;
        for (int t = 0; t < helpers; ++t)
            pool.start(this);
    }
    void work()
    {
        for (int i = m_Next++; i < m_Count; i = m_Next++)
            m_Fn(i);
    }
    void run() override
    {
        HandOver().lock();
        HandOver().unlock();
        work();
        leave();
    }
    // A thread that joins in of its own (one waiting for the task that made this call) counts
    // as a helper until it leaves; false, counting nothing, once every index is taken.
    bool enlist()
    {
        std::lock_guard<std::mutex> lock(m_Mutex);
        if (m_Next.load() >= m_Count)
            return false;
        ++m_Pending;
        return true;
    }
    void leave()
    {
        // Notified under the lock: once the caller sees the count reach zero it frees this.
        std::lock_guard<std::mutex> lock(m_Mutex);
        if (--m_Pending == 0)
            m_Done.notify_all();
    }
    void waitForHelpers(QThreadPool& pool)
    {
        int neverStarted = 0;
        while (pool.tryTake(this))
            ++neverStarted;
        std::unique_lock<std::mutex> lock(m_Mutex);
        m_Pending -= neverStarted;
        m_Done.wait(lock, [this] { return m_Pending == 0; });
    }

private:
    const int m_Count;
    const std::function<void(int)>& m_Fn;
    std::atomic<int> m_Next{0};
    std::mutex m_Mutex;
    std::condition_variable m_Done;
    int m_Pending = 0;   // helpers queued and not yet finished (under m_Mutex once queued)
};

} // namespace

// The work of a CCurveTask, queued under the hand-over lock like a ParallelFor's helpers. The
// pool keeps a thread per processor but the caller's, and a task takes one of them: a split job
// in it would find too few helpers (with two processors, none) while the task's waiter sat idle.
// So the task opens its outermost split job to its waiter, who takes indices as a helper does.
class CCurveTask::CRunner final : public QRunnable
{
public:
    CRunner() { setAutoDelete(false); }
    void run() override
    {
        HandOver().lock();
        HandOver().unlock();
        std::function<void()> fn;
        {
            std::lock_guard<std::mutex> lock(m_Mutex);
            fn.swap(m_Fn);
        }
        CRunner* const outer = t_pRunning;
        t_pRunning = this;
        fn();
        t_pRunning = outer;
        // Notified under the lock: once the waiter sees the work done it may free this.
        std::lock_guard<std::mutex> lock(m_Mutex);
        m_bDone = true;
        m_Done.notify_all();
    }
    // The split job being run on the task's thread, opened to the waiter; false when one is
    // open already (a nested call stays the caller's own).
    bool open(CIndexShare* share)
    {
        std::lock_guard<std::mutex> lock(m_Mutex);
        if (m_pOpen)
            return false;
        m_pOpen = share;
        m_Done.notify_all();
        return true;
    }
    void close()
    {
        std::lock_guard<std::mutex> lock(m_Mutex);
        m_pOpen = nullptr;
    }
    // Waits until the work is done, helping with each split job it opens meanwhile.
    void helpUntilDone()
    {
        std::unique_lock<std::mutex> lock(m_Mutex);
        while (!m_bDone) {
            CIndexShare* const share = m_pOpen;
            if (share && share->enlist()) {
                // Closing waits for the helpers it counts, so the share outlives this.
                lock.unlock();
                share->work();
                share->leave();
                lock.lock();
                continue;
            }
            m_Done.wait(lock);
        }
    }

    // The task whose work runs on this thread, if any.
    static thread_local CRunner* t_pRunning;

    std::mutex m_Mutex;
    std::condition_variable m_Done;   // the work is done, or a split job was opened
    std::function<void()> m_Fn;   // under m_Mutex
    bool m_bDone = true;          // under m_Mutex
    CIndexShare* m_pOpen = nullptr;   // under m_Mutex
};

thread_local CCurveTask::CRunner* CCurveTask::CRunner::t_pRunning = nullptr;

CCurveTask::CCurveTask() : m_pRunner(std::make_unique<CRunner>()) {}

CCurveTask::~CCurveTask()
{
    wait();
}

void CCurveTask::start(std::function<void()> fn)
{
    wait();
    std::lock_guard<std::mutex> handOver(HandOver());
    {
        std::lock_guard<std::mutex> lock(m_pRunner->m_Mutex);
        m_pRunner->m_Fn = std::move(fn);
        m_pRunner->m_bDone = false;
    }
    CurvePool().start(m_pRunner.get());
}

void CCurveTask::wait()
{
    if (CurvePool().tryTake(m_pRunner.get())) {
        m_pRunner->run();
        return;
    }
    m_pRunner->helpUntilDone();
}

void ParallelFor(int count, int threads, const std::function<void(int)>& fn,
                 const std::function<void()>& callerFirst) noexcept
{
    CIndexShare share(count, fn);
    QThreadPool* pool = nullptr;
    const int poolSize = CurvePoolSize(pool);
    const int helpers = std::clamp(std::min(threads, count) - 1, 0, poolSize);
    share.queueHelpers(*pool, helpers);
    CCurveTask::CRunner* const task = CCurveTask::CRunner::t_pRunning;
    const bool opened = task && helpers > 0 && task->open(&share);
    if (callerFirst)
        callerFirst();
    share.work();
    if (opened)
        task->close();
    share.waitForHelpers(*pool);
}

bool FillColumnStrokes(QImage& image, QPoint origin, const QColor& colour, const QVector<QLine>& columns)
{
    if (colour.alpha() != 255 || !Is32Bit(image.format()))
        return false;
    FillColumns(CPixels{image.bits(), image.bytesPerLine(), image.width(), image.height()}, origin, colour.rgba(),
                columns);
    return true;
}

void PaintCurvesInStrips(QImage& image, QPoint origin, const QRect& area, const QVector<CCurveInk>& curves,
                         int threads)
{
    const QRect clip = area.intersected(image.rect());
    const int w = clip.width();
    if (clip.isEmpty() || curves.isEmpty() || !Is32Bit(image.format()))
        return;
    uchar* bits = image.bits();   // detached here, on one thread
    const qsizetype bpl = image.bytesPerLine();
    const QImage::Format format = image.format();
    const int workers = std::clamp(std::min(threads, w / MinStripWidth), 1, 16);
    // Each worker paints a few strips one after the other, narrow enough that the part of the
    // image a strip's curves sweep over again and again stays in the processor's cache.
    const int strips = workers * std::clamp(w / (workers * CachedStripWidth), 1, 6);
    // The smoothing of a line depends on where it lies in its device and on the device's edges
    // (a line is cut at them before it is smoothed). So each worker paints in an image of the
    // whole size, with the same clip, of which only its strips' columns are kept: their pixels
    // then come out as a painter over the whole image makes them. The images are kept from
    // one paint to the next; only the columns of the strip at hand are ever read.
    static QMutex scratchMutex;
    static std::vector<QImage> scratch;
    QMutexLocker lock(&scratchMutex);
    scratch.resize(std::max(scratch.size(), size_t(workers)));
    for (int k = 0; k < workers; ++k) {
        QImage& img = scratch[size_t(k)];
        if (img.size() != image.size() || img.format() != format)
            img = QImage(image.size(), format);
        if (img.isNull())
            return;   // no memory for it: the caller's image stays as it was
        img.bits();   // detached here, on one thread
    }
    auto paintStrip = [&](QImage& img, int s) {
        const int x0 = clip.left() + int((long long)w * s / strips);
        const int x1 = clip.left() + int((long long)w * (s + 1) / strips);
        uchar* own = img.bits();
        const qsizetype ownBpl = img.bytesPerLine();
        const size_t rowBytes = size_t(x1 - x0) * 4;
        for (int y = clip.top(); y <= clip.bottom(); ++y)
            memcpy(own + y * ownBpl + qsizetype(x0) * 4, bits + y * bpl + qsizetype(x0) * 4, rowBytes);
        {
            QPainter p(&img);
            p.setClipRect(clip);
            p.translate(-origin);
            const CPixels pixels{own + clip.top() * ownBpl + qsizetype(x0) * 4, ownBpl, x1 - x0, clip.height()};
            const QPoint stripOrigin(origin.x() + x0, origin.y() + clip.top());
            for (const CCurveInk& ink : curves)
                if (ink.m_pStrokes)
                    PaintInStrip(p, pixels, stripOrigin, ink);
        }
        for (int y = clip.top(); y <= clip.bottom(); ++y)
            memcpy(bits + y * bpl + qsizetype(x0) * 4, own + y * ownBpl + qsizetype(x0) * 4, rowBytes);
    };
    // Strips are handed out as workers come free: one held up by other work on the machine
    // leaves more to the rest.
    std::atomic<int> next{0};
    ParallelFor(workers, workers, [&](int worker) {
        QImage& img = scratch[size_t(worker)];
        for (int s = next++; s < strips; s = next++)
            paintStrip(img, s);
    });
}
