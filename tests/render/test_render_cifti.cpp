// One CIFTI-2 file of both hemispheres (written by nibabel) colours every
// surface the command line names, each with its own part, and a surface it
// holds no part for is refused in one line.
#include "render_test_files.h"
#include "scratch_dir_test.h"

#include <QColor>
#include <QImage>

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <sys/wait.h>

namespace {

constexpr int cells = 40;
const QColor top(255, 255, 0), bottom(0, 0, 255);

class RenderCiftiTest : public ScratchDirTest {
protected:
    void SetUp() override
    {
        ScratchDirTest::SetUp();
        unsetenv("DISPLAY");
        write("grid.obj", render_test::grid_surface(cells));
        cifti = path("ramps.dscalar.nii");
        labels = path("halves.dlabel.nii");
        for (const auto& [kind, file] : {std::pair{"grid", cifti}, std::pair{"gridlabels", labels}}) {
            const std::string command = std::string(NIBABEL_PYTHON) + " " + CIFTI_HELPER + " " +
                                        kind + " " + std::to_string(cells) + " '" + file + "'";
            ASSERT_EQ(std::system(command.c_str()), 0);
        }
        std::filesystem::create_directory(path("bars"));
        render_test::write_bar(path("bars/ends.png"), top, bottom);
    }

    int run(const std::string& arguments, std::string* err = nullptr) const
    {
        const int raw = std::system((std::string(RENDER_PATH) + " " + arguments + " 2>'" +
                                     path("stderr") + "'")
                                        .c_str());
        if (err)
            *err = slurp(path("stderr"));
        return WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    }

    // A scene of the grid as a left and a right hemisphere.
    std::string scene(const std::string& sides) const
    {
        std::string surfaces;
        for (const char side : sides)
            surfaces += std::string(surfaces.empty() ? "" : ", ") + R"({"path": "grid.obj", "hemisphere": ")" +
                        (side == 'l' ? "left" : "right") + R"("})";
        return write(sides + ".gyrolux", R"({"format": "gyrolux-scene", "version": 1, "surfaces": [)" +
                                             surfaces + "]}");
    }

    std::string cifti, labels;
};

bool near(QColor a, QColor b)
{
    return std::abs(a.red() - b.red()) < 40 && std::abs(a.green() - b.green()) < 40 &&
           std::abs(a.blue() - b.blue()) < 40;
}

TEST_F(RenderCiftiTest, EachHemisphereShowsItsOwnPartOfOneFile)
{
    const std::string out = path("both.png");
    std::string err;
    ASSERT_EQ(run("--scene '" + scene("lr") + "' --stats '" + cifti + "' --layout apart --view dorsal "
                  "--size 200x200 --samples 0 --colourbar-dir '" + path("bars") +
                  "' --colourbar ends -o '" + out + "'", &err),
              0)
        << err;
    const QImage picture = QImage(QString::fromStdString(out)).convertToFormat(QImage::Format_RGB32);
    // Two panels side by side, the legend's strip beside them.
    ASSERT_GE(picture.width(), 400);
    // Left rises along x, right falls: their left quarters differ.
    EXPECT_TRUE(near(picture.pixelColor(70, 100), bottom)) << picture.pixelColor(70, 100).name().toStdString();
    EXPECT_TRUE(near(picture.pixelColor(130, 100), top));
    EXPECT_TRUE(near(picture.pixelColor(270, 100), top));
    EXPECT_TRUE(near(picture.pixelColor(330, 100), bottom));

    // Labels: each hemisphere its own regions; unlabelled shows the surface.
    const std::string regions = path("regions.png");
    ASSERT_EQ(run("--scene '" + scene("lr") + "' --labels '" + labels + "' --layout apart "
                  "--view dorsal --size 200x200 --samples 0 -o '" + regions + "'", &err),
              0)
        << err;
    const QImage drawn = QImage(QString::fromStdString(regions)).convertToFormat(QImage::Format_RGB32);
    EXPECT_TRUE(near(drawn.pixelColor(70, 100), QColor(255, 0, 0)));
    EXPECT_TRUE(near(drawn.pixelColor(130, 100), QColor(0, 255, 0)));
    EXPECT_TRUE(near(drawn.pixelColor(270, 100), QColor(0, 255, 0)));
    const QColor plain = drawn.pixelColor(330, 100);
    EXPECT_TRUE(plain.red() == plain.green() && plain.green() == plain.blue() && plain.red() > 100);

    // A surface of another size: no part for it, refused in one line.
    write("small.obj", render_test::grid_surface(4));
    EXPECT_EQ(run("'" + path("small.obj") + "' --stats '" + cifti + "' -o '" + path("no.png") + "'",
                  &err),
              1);
    EXPECT_NE(err.find("holds no values for a surface of no known side of 25 vertices"),
              std::string::npos)
        << err;
}

}  // namespace
