// PLACEHOLDER until the sphere tessellations land: the compressed form is
// refused on reading and never chosen on writing.
#include "compressed_polygons.h"
#include "object_io.h"

Status input_compressed_polygons(File, File_formats, polygons_struct *, int)
{
    print_error("Compressed polygons are not supported yet.\n");
    return ERROR;
}
Status output_compressed_polygons(File, File_formats, polygons_struct *)
{
    return ERROR;
}
bool can_compress_polygons(const polygons_struct *) { return false; }
bool use_compressed_polygons() { return false; }
void set_use_compressed_polygons_flag(bool) {}
bool get_use_compressed_polygons_flag() { return false; }
