// Small valid files of every format the new readers take: FreeSurfer
// surfaces and curv files and MGH volumes as big-endian bytes, MGZ through
// zlib, GIFTI through our writers (gzip-compressed base64) and as ASCII text.
#include "format_seeds.h"

#include "geometry.h"
#include "gifti_surface.h"
#include "vertex_data.h"

#include <zlib.h>

#include <sys/stat.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <initializer_list>

namespace {

std::string root;
bool ok = true;

std::string path(const char *target, const char *name)
{
    std::string dir = root + "/" + target;
    ::mkdir(dir.c_str(), 0755);
    return dir + "/" + name;
}

void write_bytes(const char *target, const char *name, const std::string &bytes)
{
    std::string p = path(target, name);
    std::FILE *f = std::fopen(p.c_str(), "wb");
    if (f == nullptr || std::fwrite(bytes.data(), 1, bytes.size(), f) != bytes.size() ||
        std::fclose(f) != 0) {
        std::fprintf(stderr, "make_seeds: cannot write %s\n", p.c_str());
        ok = false;
    }
}

void write_gzip(const char *target, const char *name, const std::string &bytes)
{
    std::string p = path(target, name);
    gzFile f = gzopen(p.c_str(), "wb9");
    if (f == nullptr || gzwrite(f, bytes.data(), unsigned(bytes.size())) != int(bytes.size()) ||
        gzclose(f) != Z_OK) {
        std::fprintf(stderr, "make_seeds: cannot write %s\n", p.c_str());
        ok = false;
    }
}

std::string read_back(const std::string &p)
{
    std::string bytes;
    if (std::FILE *f = std::fopen(p.c_str(), "rb")) {
        char chunk[4096];
        std::size_t n;
        while ((n = std::fread(chunk, 1, sizeof chunk, f)) > 0)
            bytes.append(chunk, n);
        std::fclose(f);
    }
    return bytes;
}

std::string be32(std::uint32_t v)
{
    return {char(v >> 24), char(v >> 16), char(v >> 8), char(v)};
}
std::string be_float(float f)
{
    std::uint32_t bits;
    std::memcpy(&bits, &f, 4);
    return be32(bits);
}
std::string be_floats(std::initializer_list<float> values)
{
    std::string out;
    for (float f : values)
        out += be_float(f);
    return out;
}

const std::string magic_triangles("\xff\xff\xfe", 3), magic_curv("\xff\xff\xff", 3);

void freesurfer_surface_seeds()
{
    polygons_struct tetra;
    create_unit_tetrahedron(&tetra);
    std::string body = be32(std::uint32_t(tetra.n_points)) + be32(std::uint32_t(tetra.n_items));
    for (int i = 0; i < tetra.n_points; ++i)
        body += be_floats({tetra.points[i].x, tetra.points[i].y, tetra.points[i].z});
    for (int i = 0; i < 3 * tetra.n_items; ++i)
        body += be32(std::uint32_t(tetra.indices[i]));
    delete_polygons(&tetra);
    const std::string head = magic_triangles + "created by make_seeds\n\n";
    write_bytes("freesurfer_surface", "lh.tetrahedron", head + body);
    write_bytes("freesurfer_surface", "lh.with_geometry",
                head + body + be32(2) + be32(0) + be32(20) +
                    "valid = 1  # volume info valid\nfilename = orig.mgz\n"
                    "volume = 256 256 256\nvoxelsize = 1 1 1\nxras   = -1 0 0\n"
                    "yras   = 0 0 -1\nzras   = 0 1 0\ncras   = 1.5 -17.25 9\n");
    // the shared magic number: a curv file, and a quadrangle surface
    write_bytes("freesurfer_surface", "lh.curv",
                magic_curv + be32(2) + be32(0) + be32(1) + be_floats({1, 2}));
    write_bytes("freesurfer_surface", "lh.quad",
                magic_curv + std::string("\0\0\x04\0\0\x01", 6) + std::string(24, '\x01') +
                    std::string("\0\0\0\0\0\x01\0\0\x02\0\0\x03", 12));
}

void curv_seeds()
{
    write_bytes("curv", "lh.thickness",
                magic_curv + be32(4) + be32(4) + be32(1) + be_floats({2.5f, -1, 0, 1e-3f}));
    write_bytes("curv", "lh.old_sulc",
                std::string("\0\0\x03\0\0\x02", 6) + std::string("\0\x64\xff\x9c\x7f\xff", 6));
}

std::string mgh(std::int32_t width, std::int32_t frames, std::int32_t type,
                const std::string &values)
{
    std::string header = be32(1) + be32(std::uint32_t(width)) + be32(1) + be32(1) +
                         be32(std::uint32_t(frames)) + be32(std::uint32_t(type)) + be32(0);
    header += std::string(284 - header.size(), '\0');
    return header + values;
}

void mgh_seeds()
{
    const std::string floats = mgh(3, 2, 3, be_floats({1, 2, 3, -1, -2, 1e20f}));
    write_bytes("mgh", "float_frames.mgh", floats);
    write_bytes("mgh", "uchar.mgh", mgh(4, 1, 0, "\x01\x02\xfe\xff"));
    write_bytes("mgh", "short.mgh", mgh(2, 1, 4, std::string("\x80\0\x7f\xff", 4)));
    write_bytes("mgh", "int.mgh", mgh(1, 1, 1, be32(0xfffffff6)));
    write_gzip("mgh", "float_frames.mgz", floats);
    // one voxel, far more frames than columns are allowed
    write_gzip("mgh", "many_frames.mgz", mgh(1, 200000, 3, std::string(800000, '\0')));
}

std::string ascii_array(const char *intent, const char *type, const char *order,
                        const char *dims, const char *meta, const char *values)
{
    return std::string("<DataArray Intent=\"") + intent + "\" DataType=\"" + type +
           "\" ArrayIndexingOrder=\"" + order + "\" " + dims +
           " Encoding=\"ASCII\" Endian=\"LittleEndian\" ExternalFileName=\"\" "
           "ExternalFileOffset=\"\">" + meta + "<Data>" + values + "</Data></DataArray>\n";
}

std::string gifti(const std::string &arrays, int n)
{
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<GIFTI Version=\"1.0\" "
           "NumberOfDataArrays=\"" + std::to_string(n) + "\">\n" + arrays + "</GIFTI>\n";
}

void gifti_seeds()
{
    polygons_struct tetra;
    create_unit_tetrahedron(&tetra);
    if (output_gifti_surface(path("gifti_surface", "tetrahedron.surf.gii").c_str(), &tetra, nullptr) != OK)
        ok = false;
    delete_polygons(&tetra);
    // column-major points, 16-bit triangles, a coordinate system
    write_bytes("gifti_surface", "ascii_column_major.surf.gii",
                gifti(ascii_array("NIFTI_INTENT_POINTSET", "NIFTI_TYPE_FLOAT64", "ColumnMajorOrder",
                                  "Dimensionality=\"2\" Dim0=\"4\" Dim1=\"3\"",
                                  "<CoordinateSystemTransformMatrix><DataSpace>NIFTI_XFORM_UNKNOWN"
                                  "</DataSpace><TransformedSpace>NIFTI_XFORM_TALAIRACH"
                                  "</TransformedSpace><MatrixData>1 0 0 5 0 1 0 0 0 0 1 0 0 0 0 1"
                                  "</MatrixData></CoordinateSystemTransformMatrix>",
                                  "0 1 0 0 0 0 1 0 0 0 0 1") +
                          ascii_array("NIFTI_INTENT_TRIANGLE", "NIFTI_TYPE_INT16", "RowMajorOrder",
                                      "Dimensionality=\"2\" Dim0=\"2\" Dim1=\"3\"", "",
                                      "0 1 2 0 1 3"),
                      2));

    // the same compressed whole, as template surfaces are published
    write_gzip("gifti_surface", "tetrahedron.surf.gii.gz",
               read_back(path("gifti_surface", "tetrahedron.surf.gii")));
    // older writers' spellings; big-endian values
    write_bytes("gifti_surface", "legacy_big_endian.surf.gii",
                gifti("<DataArray Intent=\"NIFTI_INTENT_POINTSET\" DataType=\"float32\" "
                      "ArrayIndexingOrder=\"RowMajorOrder\" Dimensionality=\"2\" Dim0=\"3\" "
                      "Dim1=\"3\" Encoding=\"GIFTI_ENCODING_B64BIN\" Endian=\"GIFTI_ENDIAN_BIG\">"
                      "<Data>AAAAAAAAAAAAAAAAP4AAAAAAAAAAAAAAAAAAAD+AAAAAAAAA</Data></DataArray>\n"
                      "<DataArray Intent=\"NIFTI_INTENT_TRIANGLE\" DataType=\"NIFTI_TYPE_INT32\" "
                      "ArrayIndexingOrder=\"C\" Dimensionality=\"2\" Dim0=\"1\" Dim1=\"3\" "
                      "Encoding=\"GIFTI_ENCODING_ASCII\" Endian=\"big\"><Data>0 1 2</Data>"
                      "</DataArray>\n", 2));

    if (output_gifti_data(path("gifti_data", "two_columns.func.gii").c_str(),
                          {{"thickness", {1.5f, 2.5f, -3.0f}}, {"p_value", {0.5f, 0.25f, 1.0f}}}) != OK)
        ok = false;
    write_bytes("gifti_data", "ascii_named.shape.gii",
                gifti(ascii_array("NIFTI_INTENT_SHAPE", "NIFTI_TYPE_UINT8", "RowMajorOrder",
                                  "Dimensionality=\"1\" Dim0=\"3\"",
                                  "<MetaData><MD><Name>Name</Name><Value>sulc depth</Value></MD>"
                                  "</MetaData>", "1 2 255") +
                          ascii_array("NIFTI_INTENT_NONE", "NIFTI_TYPE_FLOAT32", "ColumnMajorOrder",
                                      "Dimensionality=\"2\" Dim0=\"3\" Dim1=\"2\"", "",
                                      "1 2 3 4 5 6"),
                      2));
    write_gzip("gifti_data", "two_columns.func.gii.gz",
               read_back(path("gifti_data", "two_columns.func.gii")));
    // no rows and a million columns; one row of far too many columns
    write_bytes("gifti_data", "no_rows.func.gii",
                gifti(ascii_array("NIFTI_INTENT_NONE", "NIFTI_TYPE_FLOAT32", "RowMajorOrder",
                                  "Dimensionality=\"2\" Dim0=\"0\" Dim1=\"1000000\"", "", ""),
                      1));
    std::string wide = gifti(ascii_array("NIFTI_INTENT_NONE", "uint8", "RowMajorOrder",
                                         "Dimensionality=\"2\" Dim0=\"1\" Dim1=\"200000\"", "",
                                         "@"),
                             1);
    std::string zeros;
    for (int i = 0; i < 200000; ++i)
        zeros += "0 ";
    wide.replace(wide.find('@'), 1, zeros);
    write_gzip("gifti_data", "many_columns.func.gii.gz", wide);
}

} // namespace

bool write_format_seeds(const std::string &out_dir)
{
    root = out_dir;
    freesurfer_surface_seeds();
    curv_seeds();
    mgh_seeds();
    gifti_seeds();
    return ok;
}
