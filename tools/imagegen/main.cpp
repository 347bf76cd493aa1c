// Draws the program's images at build time.
//
//   kv_imagegen SVG_DIR OUT_DIR MANIFEST...
//
// Each manifest line names one image and how to draw it:
//
//   images/Sensors/Temperature.png  48x48  glyph  "Tmp"  #c04040  [state]
//   images/RunButton/Run.png        64x64  svg    run.svg          [state]
//
// "glyph" draws a rounded tile with a short label; "svg" renders a file of SVG_DIR.
// The optional state (normal, hover, pressed, disabled) derives the variant of an icon
// from the same drawing. Blank lines and lines starting with '#' are skipped.
// The PNGs are written under OUT_DIR with the same relative path, and OUT_DIR/images.qrc
// lists them all under the prefix "/".
#include <QColor>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFont>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QSaveFile>
#include <QSet>
#include <QSvgRenderer>
#include <QTextStream>

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

bool drawGlyph(QImage& img, const QString& label, const QColor& fill)
{
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF r(1, 1, img.width() - 2, img.height() - 2);
    QPainterPath path;
    path.addRoundedRect(r, img.width() / 6.0, img.height() / 6.0);
    p.fillPath(path, fill);
    p.setPen(QPen(fill.darker(150), 1.5));
    p.drawPath(path);
    if (!label.isEmpty()) {
        QFont f("DejaVu Sans");
        f.setBold(true);
        f.setPixelSize(qMax(6, int(img.height() * (label.size() > 2 ? 0.30 : 0.45))));
        p.setFont(f);
        p.setPen(qGray(fill.rgb()) > 150 ? Qt::black : Qt::white);
        p.drawText(r, Qt::AlignCenter, label);
    }
    return true;
}

bool drawSvg(QImage& img, const QString& file)
{
    QSvgRenderer r(file);
    if (!r.isValid()) return false;
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    r.render(&p);
    return true;
}

} // namespace

int main(int argc, char** argv)
{
    QGuiApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() < 3) {
        std::fprintf(stderr, "usage: kv_imagegen SVG_DIR OUT_DIR MANIFEST...\n");
        return 2;
    }
    const QDir svgDir(args.at(1));
    const QDir outDir(args.at(2));
    QDir().mkpath(outDir.path());

    QStringList files;
    QSet<QString> seen;
    int errors = 0;
    for (int m = 3; m < args.size(); ++m) {
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
            if (t.size() < 4) { fail("expected: PATH WxH KIND ARGS"); continue; }
            const QStringList wh = t.at(1).split('x');
            const int w = wh.value(0).toInt(), h = wh.value(1).toInt();
            if (wh.size() != 2 || w <= 0 || h <= 0 || w > 1024 || h > 1024) { fail("bad size"); continue; }
            if (seen.contains(t.at(0))) { fail("path listed twice"); continue; }
            seen.insert(t.at(0));

            QImage img(w, h, QImage::Format_ARGB32);
            img.fill(Qt::transparent);
            QString state;
            bool ok = false;
            if (t.at(2) == "glyph" && t.size() >= 5) {
                ok = drawGlyph(img, t.at(3), QColor(t.at(4)));
                state = t.value(5);
            } else if (t.at(2) == "svg") {
                ok = drawSvg(img, svgDir.filePath(t.at(3)));
                state = t.value(4);
            }
            if (!ok) { fail("cannot draw this entry"); continue; }
            applyState(img, state);

            const QString outPath = outDir.filePath(t.at(0));
            QDir().mkpath(QFileInfo(outPath).path());
            if (!img.save(outPath, "PNG")) { fail("cannot write the image"); continue; }
            files << t.at(0);
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
