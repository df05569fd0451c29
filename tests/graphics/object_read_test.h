// A scratch-directory fixture that reads surface files, keeping what was
// read (released after each read and at the end) and the messages printed.
#pragma once

#include "object_io.h"
#include "scratch_dir_test.h"

#include <string>

class ObjectReadTest : public ScratchDirTest {
protected:
    void TearDown() override
    {
        delete_object_list(n_objects, objects);
        ScratchDirTest::TearDown();
    }

    Status read(const std::string &name)
    {
        delete_object_list(n_objects, objects);
        objects = nullptr;
        n_objects = 0;
        File_formats form;
        testing::internal::CaptureStderr();
        Status status = input_graphics_file(name.c_str(), &form, &n_objects, &objects);
        messages = testing::internal::GetCapturedStderr();
        return status;
    }

    int n_objects = 0;
    object_struct **objects = nullptr;
    std::string messages;
};
