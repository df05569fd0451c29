// 16-bit pixel images in ASCII objects: their raw bytes begin right after
// the last digit of the row count, whatever those bytes are.
#include "object_read_test.h"
#include "object_io.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

using testing::HasSubstr;

namespace {

class Pixels16Test : public ObjectReadTest {
protected:
    // The image's bytes as they lie in memory (the file holds them so).
    static std::string image_bytes(const object_struct *object)
    {
        const pixels_struct &p = object->specific.pixels;
        return std::string(static_cast<const char *>(p.data), 2 * std::size_t(p.x_size) *
                                                                  std::size_t(p.y_size));
    }

};

const std::string marker = "M 0 1 1 1 1 1 0 0 0 0 0 \"after\"\n";

// Three pixels in one row; the first byte is chosen, the rest are bytes an
// ASCII reader would trip over.
std::string pixel_bytes(char first)
{
    return std::string(1, first) + std::string("\n 7.e\0", 5);
}

object_struct *make_image(const std::string &bytes)
{
    object_struct *object = create_object(PIXELS);
    pixels_struct *p = get_pixels_ptr(object);
    p->pixel_type = PIXEL_INDEX16;
    p->x_size = int(bytes.size() / 2);
    p->y_size = 1;
    p->data = alloc_memory_1d(bytes.size() / 2, 2, "test_pixels16", __LINE__);
    std::memcpy(p->data, bytes.data(), bytes.size());
    return object;
}

TEST_F(Pixels16Test, ReadsBytesRightAfterTheRowCount)
{
    // as another writer puts them: no separator after the row count
    for (char first : {'\n', '.', 'e', ' '}) {
        SCOPED_TRACE(int(first));
        const std::string bytes = pixel_bytes(first);
        const std::string name = write("elsewhere.obj", "X 1 3 1" + bytes + marker);
        ASSERT_EQ(read(name), OK) << messages;
        ASSERT_EQ(n_objects, 2);
        const pixels_struct *p = get_pixels_ptr(objects[0]);
        EXPECT_EQ(p->pixel_type, PIXEL_INDEX16);
        EXPECT_EQ(p->x_size, 3);
        EXPECT_EQ(p->y_size, 1);
        EXPECT_EQ(image_bytes(objects[0]), bytes);
        ASSERT_EQ(get_object_type(objects[1]), MARKER);
        EXPECT_STREQ(get_marker_ptr(objects[1])->label, "after");
    }
}

TEST_F(Pixels16Test, WritesBytesRightAfterTheRowCountOrTheObjectInBinary)
{
    for (char first : {'\n', '.', '7', '0', ' '}) {
        SCOPED_TRACE(int(first));
        const std::string bytes = pixel_bytes(first);
        object_struct *list[2] = {make_image(bytes), create_object(MARKER)};
        marker_struct *m = get_marker_ptr(list[1]);
        initialize_marker(m, 0, make_Colour(255, 255, 255));
        m->label = create_string("after");
        const std::string name = path("written.obj");
        ASSERT_EQ(output_graphics_file(name.c_str(), ASCII_FORMAT, 2, list), OK);
        const std::string text = slurp(name);
        if (first >= '0' && first <= '9') {
            // a digit would join the row count: this object alone is binary
            int sizes[3] = {PIXEL_INDEX16, 3, 1};
            EXPECT_EQ(text.substr(0, 1 + sizeof sizes + bytes.size()),
                      "x" + std::string(reinterpret_cast<const char *>(sizes), sizeof sizes) +
                          bytes);
            EXPECT_EQ(text[1 + sizeof sizes + bytes.size()], 'M');
        } else {
            EXPECT_EQ(text.substr(0, 7 + bytes.size() + 1), "X 1 3 1" + bytes + "M");
        }
        delete_object(list[0]);
        delete_object(list[1]);

        int n = 0;
        object_struct **back = nullptr;
        object_details *details = nullptr;
        ASSERT_EQ(input_graphics_file_with_details(name.c_str(), &n, &back, &details), OK);
        ASSERT_EQ(n, 2);
        EXPECT_EQ(image_bytes(back[0]), bytes);
        EXPECT_EQ(details[0].form, first >= '0' && first <= '9' ? BINARY_FORMAT : ASCII_FORMAT);
        EXPECT_EQ(details[1].form, ASCII_FORMAT);
        EXPECT_STREQ(get_marker_ptr(back[1])->label, "after");
        delete_object_list(n, back);
        free_array(details, "test_pixels16", __LINE__);
    }
}

TEST_F(Pixels16Test, ShortOrMalformedImagesAreRefused)
{
    // the row count ends the file, or the data stops a byte short
    for (const std::string &body : {std::string("X 1 3 1"), "X 1 3 1" + std::string(5, 'a'),
                                    std::string("X 1 3 x")}) {
        SCOPED_TRACE(body);
        EXPECT_EQ(read(write("short.obj", body)), ERROR);
        EXPECT_THAT(messages, HasSubstr("short.obj"));
        EXPECT_EQ(n_objects, 0);
    }
    // an empty image may be followed by white space, which is no data
    ASSERT_EQ(read(write("empty.obj", "X 1 3 0\n" + marker)), OK) << messages;
    EXPECT_EQ(n_objects, 2);
}

} // namespace
