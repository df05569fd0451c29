#include "render_test_files.h"

#include "zelVertstatsFile.h"

#include <QImage>

#include <sstream>

namespace render_test {

int grid_points(int n)
{
    return (n + 1) * (n + 1);
}

std::vector<float> grid_x(int n)
{
    std::vector<float> x;
    for (int j = 0; j <= n; ++j)
        for (int i = 0; i <= n; ++i)
            x.push_back(-50.0f + 100.0f * float(i) / float(n));
    return x;
}

std::string grid_surface(int n)
{
    std::ostringstream out;
    out << "P 0.3 0.3 0.4 10 1 " << grid_points(n) << "\n";
    for (int j = 0; j <= n; ++j)
        for (int i = 0; i <= n; ++i)
            out << -50.0 + 100.0 * i / n << " " << -50.0 + 100.0 * j / n << " 0\n";
    for (int k = 0; k < grid_points(n); ++k)
        out << "0 0 1\n";
    const int triangles = 2 * n * n;
    out << triangles << "\n0 1 1 1 1\n";
    for (int t = 1; t <= triangles; ++t)
        out << 3 * t << (t % 8 == 0 ? "\n" : " ");
    out << "\n";
    for (int j = 0; j < n; ++j)
        for (int i = 0; i < n; ++i) {
            const int a = j * (n + 1) + i, b = a + 1, c = a + n + 1, d = c + 1;
            // Counter-clockwise seen from +z.
            out << a << " " << b << " " << d << " " << a << " " << d << " " << c << "\n";
        }
    return out.str();
}

void write_statistics(const std::string& path, const std::vector<std::string>& names,
                      const std::vector<std::vector<float>>& columns)
{
    zelVertstatsFile file;
    for (std::size_t i = 0; i < names.size(); ++i)
        file.putDataColumn(columns[i], names[i]);
    file.writeFile(path, false);
}

void write_bar(const std::string& path, QColor top, QColor bottom)
{
    QImage bar(4, 64, QImage::Format_RGB32);
    for (int y = 0; y < 64; ++y) {
        const double f = y < 16 ? 0.0 : y >= 48 ? 1.0 : (y - 16) / 32.0;
        const QColor c = QColor::fromRgbF(top.redF() * (1 - f) + bottom.redF() * f,
                                          top.greenF() * (1 - f) + bottom.greenF() * f,
                                          top.blueF() * (1 - f) + bottom.blueF() * f);
        for (int x = 0; x < 4; ++x)
            bar.setPixelColor(x, y, c);
    }
    bar.save(QString::fromStdString(path), "PNG");
}

}  // namespace render_test
