// Seeds for the parcellation readers, written into OUTDIR/<target>/ with
// our own writers (annotations in the new table layout, GIFTI label files
// gzip-compressed) and by hand (the old table layout, ASCII GIFTI, label
// files).
#include "parcel_seeds.h"

#include "parcel_files.h"

#include <sys/stat.h>

#include <cstdio>

namespace {

std::string be32(std::int32_t value)
{
    const auto v = std::uint32_t(value);
    return {char(v >> 24), char(v >> 16), char(v >> 8), char(v)};
}

bool write_bytes(const std::string &file, const std::string &bytes)
{
    std::FILE *f = std::fopen(file.c_str(), "wb");
    bool ok = f != nullptr && std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    return f != nullptr && std::fclose(f) == 0 && ok;
}

parcellation sample(int n_vertices)
{
    parcellation p;
    p.format = FREESURFER_ANNOTATION;
    p.regions = {{0, "unknown", {25, 5, 25, 255}}, {1, "bankssts", {25, 100, 40, 255}},
                 {3, "cuneus", {220, 180, 140, 200}}};
    for (int v = 0; v < n_vertices; ++v)
        p.vertex_regions.push_back(v % 4 == 3 ? no_region : v % 3);
    return p;
}

} // namespace

bool write_parcel_seeds(const std::string &out_dir)
{
    bool ok = true;
    for (const char *target : {"annotation", "gifti_labels", "label"})
        ::mkdir((out_dir + "/" + target).c_str(), 0755);
    const std::string annot = out_dir + "/annotation/", gii = out_dir + "/gifti_labels/",
                      label = out_dir + "/label/";
    ok = output_freesurfer_annotation((annot + "new_layout.annot").c_str(), sample(12)) == OK && ok;
    ok = output_freesurfer_annotation((annot + "one_vertex.annot").c_str(), sample(1)) == OK && ok;
    std::string old = be32(2) + be32(0) + be32(25 + 5 * 256 + 25 * 65536) + be32(1) + be32(0) +
                      be32(1) + be32(2) + be32(4) + "ctb" + '\0';
    for (const char *name : {"unknown", "V1"})
        old += be32(std::int32_t(std::string(name).size() + 1)) + name + '\0' + be32(25) +
               be32(5) + be32(25) + be32(0);
    ok = write_bytes(annot + "old_layout.annot", old) && ok;

    ok = output_gifti_labels((gii + "gzip.label.gii").c_str(), sample(10)) == OK && ok;
    ok = write_bytes(gii + "ascii.label.gii",
                     "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                     "<GIFTI Version=\"1.0\" NumberOfDataArrays=\"1\">\n<LabelTable>\n"
                     "<Label Key=\"0\" Red=\"0\" Green=\"0\" Blue=\"0\" Alpha=\"0\">"
                     "<![CDATA[???]]></Label>\n"
                     "<Label Key=\"5\" Red=\"1\" Green=\"0.5\" Blue=\"0\" Alpha=\"1\">"
                     "<![CDATA[V1]]></Label>\n</LabelTable>\n"
                     "<DataArray Intent=\"NIFTI_INTENT_LABEL\" DataType=\"NIFTI_TYPE_INT32\" "
                     "ArrayIndexingOrder=\"RowMajorOrder\" Dimensionality=\"1\" Dim0=\"4\" "
                     "Encoding=\"ASCII\" Endian=\"LittleEndian\" ExternalFileName=\"\" "
                     "ExternalFileOffset=\"\">\n<Data>0 5 5 7</Data>\n</DataArray>\n</GIFTI>\n") &&
         ok;

    freesurfer_label v1{"V1", {0, 3, 999}, {1.5f, -2.0f, 30.25f, 0, 0, 0, -7.5f, 8, 9.125f},
                        {0.5f, 1.0f, 0.0f}};
    ok = output_freesurfer_label((label + "lh.V1.label").c_str(), v1) == OK && ok;
    ok = write_bytes(label + "freesurfer.label",
                     "#!ascii label  , from subject bert vox2ras=TkReg\n2\n"
                     "12  -35.123  -80.456  2.789 0.0000000000\n"
                     "13  -35.500  -80.000  3.000 1.0000000000\n") && ok;
    return ok;
}
