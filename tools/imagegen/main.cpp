// Draws the program's images at build time.
//
//   kv_imagegen SVG_DIR THEME_DIR OUT_DIR MANIFEST...
//
// Each manifest line names one image and how to draw it:
//
//   images/Sensors/Temperature.png  48x48  svg    sensors/temperature.svg          [state]
//   images/BasicFunctionsBar/Open.png 32x32 theme actions/32/document-open.svg [#rrggbb] [state]
//
// "svg" renders a drawing of our own from SVG_DIR; "theme" renders an icon of the installed
// icon theme under THEME_DIR, optionally in another colour. The optional state (normal,
// hover, pressed, disabled) derives the variant of an icon from the same drawing. Blank lines
// and lines starting with '#' are skipped. Every picture is written twice under OUT_DIR with
// its relative path: at its size and at double size (name@2x.png), and OUT_DIR/images.qrc
// lists them all under the prefix "/".
#include <QColor>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QSaveFile>
#include <QSet>
#include <QSvgRenderer>
#include <QTextStream>

#include <cmath>
#include <cstdio>

namespace {

QStringList tokenize(const QString& line)
{
    QStringList out;
    QString cur;
    bool quoted = false, have = false;
    for (QChar c : line) {
        if (c == '"') {
            quoted = !quoted;
            have = true;
        } else if (c.isSpace() && !quoted) {
            if (have) out << cur;
            cur.clear();
            have = false;
        } else {
            cur += c;
            have = true;
        }
    }
    if (have) out << cur;
    return out;
}

void applyState(QImage& img, const QString& state)
{
    if (state.isEmpty() || state == "normal") return;
    for (int y = 0; y < img.height(); ++y) {
        auto* row = reinterpret_cast<QRgb*>(img.scanLine(y));
        for (int x = 0; x < img.width(); ++x) {
            QColor c = QColor::fromRgba(row[x]);
            const int a = c.alpha();
            if (state == "hover") c = c.lighter(125);
            else if (state == "pressed") c = c.darker(135);
            else if (state == "disabled") {
                const int g = qGray(c.rgb());
                c = QColor(g, g, g);
                c.setAlpha(a / 2);
            }
            c.setAlpha(state == "disabled" ? a / 2 : a);
            row[x] = c.rgba();
        }
    }
}

// Renders SVG text into the whole image.
bool drawSvgData(QImage& img, const QByteArray& svg)
{
    QSvgRenderer r(svg);
    if (!r.isValid()) return false;
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    r.render(&p);
    return true;
}

bool drawSvg(QImage& img, const QString& file)
{
    QFile f(file);
    return f.open(QIODevice::ReadOnly) && drawSvgData(img, f.readAll());
}

// A theme icon is drawn on a pixel grid of its own size (its folder: 16, 22, 32...). It is
// scaled by a whole factor and centred on whole pixels, so its one-pixel lines stay sharp; a
// grid that would fill less than three quarters of the image is scaled to fit instead. The
// theme's text colour can be swapped for one of ours.
bool drawTheme(QImage& img, const QString& file, const QString& colour)
{
    QFile f(file);
    if (!f.open(QIODevice::ReadOnly)) return false;
    QByteArray svg = f.readAll();
    if (!colour.isEmpty()) svg.replace("#232629", colour.toLatin1());
    QSvgRenderer r(svg);
    if (!r.isValid()) return false;
    const QSizeF grid = r.viewBoxF().size();
    if (grid.isEmpty()) return false;
    const int side = qMin(img.width(), img.height());
    const double whole = qMax(1.0, std::floor(side / grid.width()));
    const double scale = whole * grid.width() >= 0.75 * side ? whole : side / grid.width();
    const QSizeF drawn = grid * scale;
    const QRectF target(std::floor((img.width() - drawn.width()) / 2), std::floor((img.height() - drawn.height()) / 2),
                        drawn.width(), drawn.height());
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    r.render(&p, target);
    return true;
}

// The double-density twin of a picture, which QIcon picks on a 2x screen.
QString twinPath(const QString& path)
{
    const int dot = path.lastIndexOf('.');
    return dot < 0 ? path + "@2x" : path.left(dot) + "@2x" + path.mid(dot);
}

} // namespace

int main(int argc, char** argv)
{
    QGuiApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() < 4) {
        std::fprintf(stderr, "usage: kv_imagegen SVG_DIR THEME_DIR OUT_DIR MANIFEST...\n");
        return 2;
    }
    const QDir svgDir(args.at(1));
    const QDir themeDir(args.at(2));
    const QDir outDir(args.at(3));
    QDir().mkpath(outDir.path());

    QStringList files;
    QSet<QString> seen;
    int errors = 0;
    for (int m = 4; m < args.size(); ++m) {
        QFile mf(args.at(m));
        if (!mf.open(QIODevice::ReadOnly | QIODevice::Text)) {
            std::fprintf(stderr, "cannot read %s\n", qPrintable(args.at(m)));
            return 1;
        }
        int lineNo = 0;
        QTextStream in(&mf);
        while (!in.atEnd()) {
            const QString line = in.readLine().trimmed();
            ++lineNo;
            if (line.isEmpty() || line.startsWith('#')) continue;
            const QStringList t = tokenize(line);
            auto fail = [&](const char* why) {
                std::fprintf(stderr, "%s:%d: %s\n", qPrintable(args.at(m)), lineNo, why);
                ++errors;
            };
            if (t.size() < 4) { fail("expected: PATH WxH KIND FILE [COLOUR] [STATE]"); continue; }
            const QStringList wh = t.at(1).split('x');
            const int w = wh.value(0).toInt(), h = wh.value(1).toInt();
            if (wh.size() != 2 || w <= 0 || h <= 0 || w > 1024 || h > 1024) { fail("bad size"); continue; }
            if (seen.contains(t.at(0))) { fail("path listed twice"); continue; }
            seen.insert(t.at(0));

            const bool theme = t.at(2) == "theme";
            if (!theme && t.at(2) != "svg") { fail("unknown kind (svg or theme)"); continue; }
            QString colour, state = t.value(4);
            if (theme && state.startsWith('#')) {
                colour = state;
                state = t.value(5);
            }
            bool ok = true;
            for (int scale = 1; scale <= 2 && ok; ++scale) {
                QImage img(w * scale, h * scale, QImage::Format_ARGB32);
                img.fill(Qt::transparent);
                ok = theme ? drawTheme(img, themeDir.filePath(t.at(3)), colour)
                           : drawSvg(img, svgDir.filePath(t.at(3)));
                if (!ok) { fail("cannot draw this entry"); break; }
                applyState(img, state);
                const QString rel = scale == 1 ? t.at(0) : twinPath(t.at(0));
                const QString outPath = outDir.filePath(rel);
                QDir().mkpath(QFileInfo(outPath).path());
                if (!img.save(outPath, "PNG")) { fail("cannot write the image"); ok = false; break; }
                files << rel;
            }
        }
    }
    if (errors) return 1;

    QSaveFile qrc(outDir.filePath("images.qrc"));
    if (!qrc.open(QIODevice::WriteOnly | QIODevice::Text)) return 1;
    QTextStream out(&qrc);
    out << "<RCC>\n  <qresource prefix=\"/\">\n";
    for (const QString& f : files) out << "    <file>" << f.toHtmlEscaped() << "</file>\n";
    out << "  </qresource>\n</RCC>\n";
    out.flush();
    return qrc.commit() ? 0 : 1;
}
