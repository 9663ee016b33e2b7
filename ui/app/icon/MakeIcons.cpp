// Draws the program's icon from its SVG into the files the program folder and the installer
// need: Vellomar-16.png .. Vellomar-256.png and Vellomar.ico (PNG images in an icon directory).
//   vellomar_make_icons <Vellomar.svg> <output folder>
#include <QBuffer>
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QSvgRenderer>
#include <cstdio>
#include <vector>

namespace {

constexpr int kSizes[] = {16, 32, 48, 256};

void putLe16(QByteArray& out, int v) {
  out.append(static_cast<char>(v & 0xFF));
  out.append(static_cast<char>((v >> 8) & 0xFF));
}

void putLe32(QByteArray& out, quint32 v) {
  putLe16(out, static_cast<int>(v & 0xFFFF));
  putLe16(out, static_cast<int>(v >> 16));
}

}  // namespace

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QGuiApplication app(argc, argv);
  if (argc != 3) {
    std::fprintf(stderr, "usage: vellomar_make_icons <svg> <folder>\n");
    return 2;
  }
  QSvgRenderer renderer(QString::fromLocal8Bit(argv[1]));
  if (!renderer.isValid()) return 1;
  const QString folder = QString::fromLocal8Bit(argv[2]);
  std::vector<QByteArray> pngs;
  for (int size : kSizes) {
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    renderer.render(&painter);
    painter.end();
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    if (!image.save(folder + QStringLiteral("/Vellomar-%1.png").arg(size))) return 1;
    pngs.push_back(png);
  }
  // ICONDIR, one ICONDIRENTRY per size (256 is written as 0), then the PNG data.
  QByteArray ico;
  putLe16(ico, 0);
  putLe16(ico, 1);
  putLe16(ico, static_cast<int>(pngs.size()));
  quint32 offset = 6 + 16 * static_cast<quint32>(pngs.size());
  for (size_t i = 0; i < pngs.size(); ++i) {
    const int size = kSizes[i] >= 256 ? 0 : kSizes[i];
    ico.append(static_cast<char>(size));
    ico.append(static_cast<char>(size));
    ico.append('\0');
    ico.append('\0');
    putLe16(ico, 1);
    putLe16(ico, 32);
    putLe32(ico, static_cast<quint32>(pngs[i].size()));
    putLe32(ico, offset);
    offset += static_cast<quint32>(pngs[i].size());
  }
  for (const QByteArray& png : pngs) ico.append(png);
  QFile file(folder + QStringLiteral("/Vellomar.ico"));
  if (!file.open(QIODevice::WriteOnly) || file.write(ico) != ico.size()) return 1;
  return 0;
}
