"""Writes CIFTI-2 files with nibabel's cifti2 module and prints nibabel's
reading of them, the independent side of the CIFTI tests.

    cifti_helper.py KIND PATH
    cifti_helper.py grid N PATH
    cifti_helper.py gridlabels N PATH
    cifti_helper.py hemispheres N PATH

KIND: dscalar (two maps, left cortex without its medial wall, the whole
right cortex, voxels of a subcortical structure), dtseries (float64, a
series of four frames), dlabel (two label maps with their tables),
bigendian (the dscalar written in big-endian byte order by hand). "grid N"
writes a dscalar for a left and a right cortex of (N+1)^2 vertices each,
the render tests' grid: the left rising from 0 to 1 along x, the right
falling, the first vertex of each without a value; "gridlabels N" a dlabel
whose left cortex is red ("west") left of x = 0.5 and green ("east") right
of it, the right cortex green then unlabelled (key 0, transparent);
"hemispheres N" a dscalar of two cortices of N vertices, vertex v holding v
on the left and -v on the right, vertex 0 of each without a value. The dump:
"rows AXIS N", one "row NAME" per map or "series START STEP UNIT", one
"label MAP KEY R G B A NAME" per label, one "model STRUCTURE KIND OFFSET
COUNT VERTICES" per brain model with a "vertices ..." line for surfaces,
then per row "values" and the row's values ('%.9g').
"""
import struct
import sys

import numpy as np
import nibabel as nib
from nibabel import cifti2 as ci


def models():
    left = np.array([0, 1, 3, 4, 6, 7, 9], dtype=int)  # 10 vertices, 3 without a value
    return (ci.BrainModelAxis.from_surface(left, 10, 'CortexLeft') +
            ci.BrainModelAxis.from_surface(np.arange(8), 8, 'CortexRight') +
            ci.BrainModelAxis.from_mask(np.ones((2, 1, 1), bool), name='thalamus_left',
                                        affine=np.eye(4)))


def write(kind, path):
    rng = np.random.default_rng(7)
    bm = models()
    n = len(bm)
    if kind in ('dscalar', 'bigendian'):
        data = (rng.standard_normal((2, n)) * 3).astype(np.float32)
        img = ci.Cifti2Image(data, header=(ci.ScalarAxis(['thickness', 'myelin map']), bm))
    elif kind == 'dtseries':
        data = rng.standard_normal((4, n))
        img = ci.Cifti2Image(data, header=(ci.SeriesAxis(0.5, 0.72, 4, 'second'), bm))
    else:
        tables = [{0: ('???', (0, 0, 0, 0)), 1: ('V1', (1, 0, 0, 1)), 2: ('V2 dorsal', (0, 0.5, 1, 1))},
                  {0: ('none', (0, 0, 0, 0)), 5: ('frontal', (0.25, 0.75, 0.125, 1))}]
        data = np.stack([rng.integers(0, 3, n), rng.choice([0, 5], n)]).astype(np.int32)
        img = ci.Cifti2Image(data, header=(ci.LabelAxis(['parcels', 'lobes'], tables), bm))
    img.to_filename(path)
    if kind == 'bigendian':
        swap_file(path)


def swap_file(path):
    raw = open(path, 'rb').read()
    hdr = nib.Nifti2Header.from_fileobj(open(path, 'rb'))
    offset = int(hdr['vox_offset'])
    big = hdr.as_byteswapped('>')
    out = bytearray(big.binaryblock) + raw[540:544]
    at = 544
    while at + 8 <= offset:
        size, code = struct.unpack('<ii', raw[at:at + 8])
        out += struct.pack('>ii', size, code) + raw[at + 8:at + size]
        at += size
    out += raw[len(out):offset]
    out += np.frombuffer(raw[offset:], dtype='<f4').astype('>f4').tobytes()
    open(path, 'wb').write(bytes(out))


def dump(path):
    img = ci.load(path)
    rows, columns = img.header.get_axis(0), img.header.get_axis(1)
    data = np.asarray(img.dataobj, dtype=np.float64)
    lines = []
    if isinstance(rows, ci.SeriesAxis):
        lines.append('rows series %d' % len(rows))
        lines.append('series %.9g %.9g %s' % (rows.start, rows.step, rows.unit.upper()))
    else:
        lines.append('rows %s %d' % ('labels' if isinstance(rows, ci.LabelAxis) else 'scalars',
                                     len(rows)))
        for name in rows.name:
            lines.append('row %s' % name)
    if isinstance(rows, ci.LabelAxis):
        for m, table in enumerate(rows.label):
            for key in sorted(table):
                name, rgba = table[key]
                lines.append('label %d %d %s %s' % (m, key, ' '.join('%.9g' % c for c in rgba),
                                                      name))
    for name, part, model in columns.iter_structures():
        start = part.start or 0
        stop = part.stop if part.stop is not None else len(columns)
        surface = model.surface_mask.any()
        vertices = columns.nvertices.get(name, 0) if surface else 0
        lines.append('model %s %s %d %d %d' % (name, 'surface' if surface else 'voxels', start,
                                                stop - start, vertices))
        if surface:
            lines.append('vertices ' + ' '.join(str(v) for v in model.vertex[model.surface_mask]))
    for row in data:
        lines.append('values ' + ' '.join('%.9g' % np.float32(v) for v in row))
    print('\n'.join(lines))


def grid(n, path):
    side = n + 1
    vertices = np.arange(1, side * side)
    x = (vertices % side) / n
    bm = (ci.BrainModelAxis.from_surface(vertices, side * side, 'CortexLeft') +
          ci.BrainModelAxis.from_surface(vertices, side * side, 'CortexRight'))
    data = np.concatenate([x, 1 - x]).astype(np.float32)[None, :]
    ci.Cifti2Image(data, header=(ci.ScalarAxis(['ramp']), bm)).to_filename(path)


def grid_labels(n, path):
    side = n + 1
    vertices = np.arange(side * side)
    x = (vertices % side) / n
    bm = (ci.BrainModelAxis.from_surface(vertices, side * side, 'CortexLeft') +
          ci.BrainModelAxis.from_surface(vertices, side * side, 'CortexRight'))
    table = {0: ('???', (0, 0, 0, 0)), 1: ('west', (1, 0, 0, 1)), 2: ('east', (0, 1, 0, 1))}
    data = np.concatenate([np.where(x < 0.5, 1, 2), np.where(x < 0.5, 2, 0)])[None, :]
    ci.Cifti2Image(data.astype(np.int32),
                   header=(ci.LabelAxis(['halves'], [table]), bm)).to_filename(path)


if __name__ == '__main__':
    if sys.argv[1] == 'grid':
        grid(int(sys.argv[2]), sys.argv[3])
    elif sys.argv[1] == 'hemispheres':
        n = int(sys.argv[2])
        v = np.arange(1, n)
        bm = (ci.BrainModelAxis.from_surface(v, n, 'CortexLeft') +
              ci.BrainModelAxis.from_surface(v, n, 'CortexRight'))
        data = np.concatenate([v, -v]).astype(np.float32)[None, :]
        ci.Cifti2Image(data, header=(ci.ScalarAxis(['index']), bm)).to_filename(sys.argv[3])
    elif sys.argv[1] == 'gridlabels':
        grid_labels(int(sys.argv[2]), sys.argv[3])
    else:
        write(sys.argv[1], sys.argv[2])
        dump(sys.argv[2])
