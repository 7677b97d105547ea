// Renders one of our SVG drawings to a PNG of the drawing's own size, optionally turned
// about its centre (used for the frames of the feedback animation).
// Usage: svg2png <in.svg> <out.png> [degrees] [background colour]
#include <QColor>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QSvgRenderer>

#include <cstdio>

int main(int argc, char* argv[]) {
    QGuiApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() < 3) {
        std::fprintf(stderr, "usage: svg2png <in.svg> <out.png> [degrees] [background]\n");
        return 2;
    }
    QSvgRenderer renderer(args.at(1));
    if (!renderer.isValid()) {
        std::fprintf(stderr, "cannot read %s\n", qPrintable(args.at(1)));
        return 1;
    }
    const QSize size = renderer.defaultSize();
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    image.fill(args.size() > 4 ? QColor(args.at(4)) : QColor(Qt::transparent));
    QPainter painter(&image);
    painter.setRenderHints(QPainter::Antialiasing | QPainter::TextAntialiasing |
                           QPainter::SmoothPixmapTransform);
    if (args.size() > 3) {
        painter.translate(size.width() / 2.0, size.height() / 2.0);
        painter.rotate(args.at(3).toDouble());
        painter.translate(-size.width() / 2.0, -size.height() / 2.0);
    }
    renderer.render(&painter);
    painter.end();
    return image.save(args.at(2), "PNG") ? 0 : 1;
}
