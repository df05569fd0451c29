// The legend image and its overlay nodes.
#include "legend.h"

#include <Inventor/SoDB.h>
#include <Inventor/nodes/SoImage.h>
#include <Inventor/nodes/SoOrthographicCamera.h>
#include <Inventor/nodes/SoSeparator.h>
#include <Inventor/nodes/SoTranslation.h>

#include <QFontMetrics>
#include <QGuiApplication>
#include <gtest/gtest.h>

namespace {

gyroscene::legend_content redToBlue(float lower, float upper)
{
    gyroscene::legend_content content;
    content.bar = QImage(6, 100, QImage::Format_RGB32);
    for (int y = 0; y < 100; ++y)
        for (int x = 0; x < 6; ++x)
            content.bar.setPixelColor(x, y, y < 50 ? QColor(Qt::blue) : QColor(Qt::red));
    content.lower = lower;
    content.upper = upper;
    content.name = "t";
    return content;
}

QColor barAt(const gyroscene::legend_content& content, double fromTop)
{
    const QImage image = gyroscene::legend_image(content);
    const gyroscene::legend_layout layout = gyroscene::layout_legend(content);
    return image.pixelColor(layout.bar_left + layout.bar_width / 2,
                            layout.bar_top + int(fromTop * (layout.bar_height - 1)));
}

TEST(LegendImage, BarBesideItsLimitsLargerOnTop)
{
    const gyroscene::legend_content content = redToBlue(-2, 5);
    const QImage image = gyroscene::legend_image(content);
    const gyroscene::legend_layout layout = gyroscene::layout_legend(content);
    EXPECT_EQ(image.size(), QSize(layout.width, layout.height));
    EXPECT_EQ(barAt(content, 0.1), QColor(Qt::blue));
    EXPECT_EQ(barAt(content, 0.9), QColor(Qt::red));
    // Reversed: the bar turns over, the larger value (the lower limit) on top.
    const gyroscene::legend_content reversed = redToBlue(5, -2);
    EXPECT_EQ(barAt(reversed, 0.1), QColor(Qt::red));
    EXPECT_EQ(barAt(reversed, 0.9), QColor(Qt::blue));
    // Different numbers draw a different legend.
    EXPECT_NE(gyroscene::legend_image(redToBlue(-2, 6)), image);
}

// Narrow limits leave the name to set the width: it must fit whole, not
// cut to "smoo...".
TEST(LegendImage, ShortLimitsLeaveRoomForTheWholeName)
{
    QFont bold;
    bold.setBold(true);
    const QFontMetricsF metrics(bold);
    for (const char* name : {"smooth", "thickness", "blob", "W", "curvature_sulc"}) {
        gyroscene::legend_content content = redToBlue(0, 1);
        content.name = name;
        const gyroscene::legend_layout layout = gyroscene::layout_legend(content);
        const int room = layout.width - 2 * layout.bar_left;
        EXPECT_GE(double(room), metrics.horizontalAdvance(content.name)) << name;
        EXPECT_EQ(QFontMetrics(bold).elidedText(content.name, Qt::ElideRight, room), content.name) << name;
    }
}

TEST(LegendImage, ThresholdBandAndLine)
{
    gyroscene::legend_content content = redToBlue(-10, 10);
    const QImage plain = gyroscene::legend_image(content);
    content.threshold = 5;
    content.underneath = QColor(10, 200, 10);
    const gyroscene::legend_layout layout = gyroscene::layout_legend(content);
    EXPECT_GT(layout.height, plain.height());  // a line for the threshold
    // -5..5 is the middle half of the bar.
    EXPECT_EQ(barAt(content, 0.5), content.underneath);
    EXPECT_EQ(barAt(content, 0.3), content.underneath);
    EXPECT_EQ(barAt(content, 0.2), QColor(Qt::blue));
    EXPECT_EQ(barAt(content, 0.8), QColor(Qt::red));
    // A threshold beyond the limits covers the whole bar, no more.
    content.threshold = 100;
    EXPECT_EQ(barAt(content, 0.01), content.underneath);
    EXPECT_EQ(barAt(content, 0.99), content.underneath);
}

TEST(LegendNodes, ImageInTheBottomRightCornerOfAnyViewport)
{
    SoDB::init();
    const gyroscene::legend_content content = redToBlue(0, 1);
    SoSeparator* legend = gyroscene::make_legend(content, SbVec2s(800, 600));
    EXPECT_EQ(legend->getRefCount(), 1);
    auto* image = static_cast<SoImage*>(legend->getChild(5));
    ASSERT_TRUE(image->isOfType(SoImage::getClassTypeId()));
    SbVec2s size;
    int components = 0;
    image->image.getValue(size, components);
    const gyroscene::legend_layout layout = gyroscene::layout_legend(content);
    EXPECT_EQ(size, SbVec2s(short(layout.width), short(layout.height)));

    const auto corner = [&] {
        return static_cast<SoTranslation*>(legend->getChild(4))->translation.getValue();
    };
    const auto* camera = static_cast<SoOrthographicCamera*>(legend->getChild(1));
    EXPECT_FLOAT_EQ(corner()[0], 800 - gyroscene::legend_margin - layout.width + 0.25f);
    EXPECT_FLOAT_EQ(corner()[1], gyroscene::legend_margin + 0.25f);
    EXPECT_FLOAT_EQ(camera->height.getValue(), 600);
    gyroscene::place_legend(legend, SbVec2s(1601, 901));
    EXPECT_FLOAT_EQ(corner()[0], 1601 - gyroscene::legend_margin - layout.width + 0.25f);
    EXPECT_FLOAT_EQ(camera->height.getValue(), 901);
    EXPECT_FLOAT_EQ(camera->aspectRatio.getValue(), 1601.0f / 901.0f);
    legend->unref();
}

}  // namespace

int main(int argc, char** argv)
{
    // Text needs fonts, which need a GUI application; no display is used.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
