// The demo's FreeSurfer subject: both hemispheres' white, pial, inflated and
// sphere surfaces (one vertex count), their curv, sulc and thickness files
// and an aparc annotation, in DIR/surf and DIR/label.
#pragma once

#include <string>

// False, with a message on standard error naming the file, when a file
// cannot be written.
bool write_sample_subject(const std::string &dir);
